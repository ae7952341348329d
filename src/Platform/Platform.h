// The platform layer under MenuBarService: every operation the service performs
// on other applications, the window server and the workspace, in one interface.
//
// Values come back untyped, the way the native interfaces hand them out (an
// attribute as an error code plus an optional value of any kind, a window
// description as a map), so that every type check lives in the service, where
// it is tested once for all backends. No platform header leaks through here.
#pragma once

#include "Platform/PlatformElement.h"

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPointF>
#include <QRectF>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <optional>

namespace Trayvane {

// A typed geometry value as the accessibility interface wraps it. Reading it as
// the wrong kind leaves the reader's value untouched.
struct GeometryValue
{
    enum class Kind { Point = 1, Size = 2, Rect = 3, Range = 4 };
    Kind kind = Kind::Point;
    double first = 0.0;  // x or width
    double second = 0.0; // y or height
};

// A synthesized mouse event, created first and posted later.
class PlatformMouseEvent
{
public:
    enum class Type { LeftMouseDown = 1, LeftMouseUp = 2 };
    virtual ~PlatformMouseEvent() = default;
    virtual Type type() const = 0;
    virtual QPointF point() const = 0;
};
using MouseEventRef = QSharedPointer<PlatformMouseEvent>;

// One running application as the workspace lists it.
struct RunningApplication
{
    qint32 processIdentifier = 0;
    std::optional<QString> localizedName;
    QImage icon; // null when the application has none
    std::optional<QString> bundleIdentifier;
};

// The answer of an attribute query: 0 is success. `value` is invalid when
// nothing came back. A value may hold a QString, an ElementRef, an ElementList,
// a GeometryValue, or anything else a peer chose to send.
struct AttributeResult
{
    int error = 0;
    QVariant value;
};

// Error codes the service distinguishes (the rest are just "not 0").
namespace AXError {
constexpr int Success = 0;
constexpr int Failure = -25200;
constexpr int AttributeUnsupported = -25205;
constexpr int NoValue = -25212;
constexpr int CannotComplete = -25204;
} // namespace AXError

// The accessibility attributes the service reads, and the action it performs.
namespace AXName {
inline const QString ExtrasMenuBar = QStringLiteral("AXExtrasMenuBar");
inline const QString Children = QStringLiteral("AXChildren");
inline const QString Description = QStringLiteral("AXDescription");
inline const QString Title = QStringLiteral("AXTitle");
inline const QString Position = QStringLiteral("AXPosition");
inline const QString Size = QStringLiteral("AXSize");
inline const QString Press = QStringLiteral("AXPress");
} // namespace AXName

// Keys of one window description, and the keys inside its bounds map.
namespace WindowKey {
inline const QString Bounds = QStringLiteral("kCGWindowBounds");
inline const QString Number = QStringLiteral("kCGWindowNumber");
inline const QString Layer = QStringLiteral("kCGWindowLayer");
inline const QString X = QStringLiteral("X");
inline const QString Y = QStringLiteral("Y");
inline const QString Width = QStringLiteral("Width");
inline const QString Height = QStringLiteral("Height");
} // namespace WindowKey

// The window layer of status item windows in the window list.
constexpr int statusWindowLayer = 25;

// The permission's settings page. The service opens it; a backend without
// that page opens its desktop's own settings for it instead.
inline const QUrl accessibilitySettingsUrl =
    QUrl(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));

class Platform
{
public:
    virtual ~Platform() = default;

    /// The program's own process identifier; the scan skips that application.
    virtual qint32 ownProcessIdentifier() const = 0;

    /// Every running application, in the platform's order. The scan walks them
    /// in this order, so it is the discovery order of their items.
    virtual QList<RunningApplication> runningApplications() = 0;

    /// The accessibility element of the application with this process id.
    /// Never null for a pid the platform listed; may be null otherwise.
    virtual ElementRef createApplicationElement(qint32 processIdentifier) = 0;

    /// Reads one attribute of an element ("AXExtrasMenuBar", "AXChildren",
    /// "AXDescription", "AXTitle", "AXPosition", "AXSize"). The service checks
    /// the error code and the value's kind itself; a backend passes on whatever
    /// the peer reported, wrong kinds included. A null element yields an error.
    virtual AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) = 0;

    /// Performs an action ("AXPress") on an element. Returns the error code,
    /// which the service does not examine. Must not wait on the peer.
    virtual int performAction(const ElementRef &element, const QString &action) = 0;

    /// Whether the program currently holds the permission to read other
    /// applications' status items.
    virtual bool isProcessTrusted() = 0;

    /// Asks the system to prompt the user for that permission (the answer is
    /// not used).
    virtual void requestTrustPrompt() = 0;

    /// The on-screen windows, front to back: a QVariantList of QVariantMaps
    /// keyed by WindowKey, or an invalid QVariant when the list is unavailable.
    /// Values are passed on untyped; the service checks every key and kind.
    virtual QVariant copyWindowList() = 0;

    /// A picture of one window inside a rectangle of global screen points;
    /// null when none could be made.
    virtual QImage createWindowImage(const QRectF &rect, quint32 windowID) = 0;

    /// Creates a left mouse event at a global screen point; null when the
    /// platform cannot make one.
    virtual MouseEventRef createMouseEvent(PlatformMouseEvent::Type type, const QPointF &point) = 0;

    /// Delivers an event as if it came from the hardware.
    virtual void postMouseEvent(const MouseEventRef &event) = 0;

    /// Runs `step` on the main thread once `seconds` have passed.
    virtual void runAfter(double seconds, std::function<void()> step) = 0;

    /// Opens a link (the system settings' accessibility list). Returns false
    /// when it could not be opened; the service ignores the result.
    virtual bool openUrl(const QUrl &url) = 0;

    /// The main bundle's identifier, when the running program has one.
    virtual std::optional<QString> mainBundleIdentifier() const = 0;

    /// The per-user application data folder (macOS: Application Support;
    /// Linux: $XDG_DATA_HOME). Empty when the platform reports none.
    virtual QString applicationDataDirectory() const = 0;

    /// Launches the permission database tool with these arguments and returns
    /// once it has exited (at once when it could not be started). This is one
    /// of the few calls allowed to block the main thread. Returns whether it ran.
    virtual bool runPermissionTool(const QString &executable, const QStringList &arguments) = 0;

    /// The service's wish to hear when state that a scan reads has changed (an
    /// item came, went or changed). The service answers with one more scan,
    /// coalesced; a backend that keeps no such state never calls it.
    void setStateChangedHandler(std::function<void()> handler) { m_stateChanged = std::move(handler); }

protected:
    /// Tells the service that a scan would now find something new.
    void notifyStateChanged()
    {
        if (m_stateChanged)
            m_stateChanged();
    }

private:
    std::function<void()> m_stateChanged;
};

} // namespace Trayvane

Q_DECLARE_METATYPE(Trayvane::GeometryValue)
