// A platform described as data, for tests, screenshots and benchmarks: the
// running applications with their status items, the on-screen windows, the
// captures and the permission, plus per-call failures. It records every press,
// mouse event, tool launch, prompt and opened link. Delayed steps run on a
// virtual clock that the caller advances.
#pragma once

#include "Platform/AppIdentity.h"
#include "Platform/Platform.h"

#include <QHash>
#include <QList>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace Trayvane {

// One status item of a scripted application: each attribute is given as the
// peer would answer it (an error code and any value, or nothing).
struct ScriptedItem
{
    AttributeResult description{AXError::NoValue, {}};
    AttributeResult title{AXError::NoValue, {}};
    AttributeResult position{AXError::NoValue, {}};
    AttributeResult size{AXError::NoValue, {}};

    /// A well-formed item: optional texts, a point and a size.
    static ScriptedItem make(const std::optional<QString> &description, const std::optional<QString> &title,
                             double x, double width, double y = 0.0, double height = 24.0);
    static AttributeResult text(const QString &value) { return {AXError::Success, value}; }
    static AttributeResult point(double x, double y);
    static AttributeResult size2(double width, double height);
};

struct ScriptedApplication
{
    qint32 processIdentifier = 0;
    std::optional<QString> localizedName;
    QImage icon;
    std::optional<QString> bundleIdentifier;
    QList<ScriptedItem> items;
    // When set, these replace the normal answers for the extras bar of the
    // application element and for the bar's children.
    std::optional<AttributeResult> extrasBarAnswer;
    std::optional<AttributeResult> childrenAnswer;
    int childrenError = AXError::Success; // error code sent with the normal children list
};

struct ScriptedWorld
{
    qint32 ownProcessIdentifier = 1;
    QList<ScriptedApplication> applications;
    QVariant windowList = QVariantList{}; // invalid: the list is unavailable
    QHash<quint32, QImage> captures;      // window number -> picture
    bool trusted = true;
    std::optional<QString> bundleIdentifier = applicationId;
    QString dataDirectory;                // empty: the platform reports none
    bool mouseEventsAvailable = true;
    bool permissionToolStarts = true;
    double permissionToolDuration = 0.5;  // virtual seconds the tool runs
    bool openUrlSucceeds = true;

    /// A window description as the window server gives it.
    static QVariantMap window(quint32 number, double x, double y, double width, double height, int layer);
};

class ScriptedPlatform : public Platform
{
public:
    struct Press
    {
        qint32 processIdentifier = 0;
        int itemIndex = -1;
        QString action;
        double time = 0.0;
    };
    struct PostedEvent
    {
        PlatformMouseEvent::Type type;
        QPointF point;
        double time = 0.0;
    };
    struct ToolLaunch
    {
        QString executable;
        QStringList arguments;
        double startTime = 0.0;
        double endTime = 0.0;
    };
    struct CaptureRequest
    {
        QRectF rect;
        quint32 windowID = 0;
    };

    explicit ScriptedPlatform(ScriptedWorld world = {});

    ScriptedWorld &world() { return m_world; }
    const ScriptedWorld &world() const { return m_world; }

    // Virtual clock for runAfter(): steps run when the clock passes their time.
    double now() const { return m_now; }
    void advance(double seconds);
    int pendingSteps() const { return int(m_pending.size()); }
    /// Tells the service that the world changed, as a backend that keeps its
    /// own state does.
    void reportStateChanged() { notifyStateChanged(); }

    // What the service did.
    QList<Press> presses;
    QList<PostedEvent> createdEvents;
    QList<PostedEvent> postedEvents;
    QList<ToolLaunch> toolLaunches;
    QList<double> prompts;          // times of the prompt requests
    QList<QUrl> openedUrls;
    QList<CaptureRequest> captureRequests;
    int runningApplicationCalls = 0;
    int windowListCalls = 0;
    int trustQueries = 0;

    // Platform
    qint32 ownProcessIdentifier() const override { return m_world.ownProcessIdentifier; }
    QList<RunningApplication> runningApplications() override;
    ElementRef createApplicationElement(qint32 processIdentifier) override;
    AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) override;
    int performAction(const ElementRef &element, const QString &action) override;
    bool isProcessTrusted() override;
    void requestTrustPrompt() override;
    QVariant copyWindowList() override;
    QImage createWindowImage(const QRectF &rect, quint32 windowID) override;
    MouseEventRef createMouseEvent(PlatformMouseEvent::Type type, const QPointF &point) override;
    void postMouseEvent(const MouseEventRef &event) override;
    void runAfter(double seconds, std::function<void()> step) override;
    bool openUrl(const QUrl &url) override;
    std::optional<QString> mainBundleIdentifier() const override { return m_world.bundleIdentifier; }
    QString applicationDataDirectory() const override { return m_world.dataDirectory; }
    bool runPermissionTool(const QString &executable, const QStringList &arguments) override;

private:
    const ScriptedApplication *application(qint32 processIdentifier) const;

    struct Pending
    {
        double due;
        quint64 sequence;
        std::function<void()> step;
    };
    ScriptedWorld m_world;
    double m_now = 0.0;
    quint64 m_sequence = 0;
    QList<Pending> m_pending;
};

} // namespace Trayvane
