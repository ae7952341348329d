// The Linux backend: the status items of running applications, read over the
// StatusNotifierItem protocol on the session bus (and legacy X11 tray icons)
// and presented to the service the way the accessibility interface presents
// menu bar extras. Every answer comes from kept state at once; nothing here
// waits on another application. This class starts the watcher, the host and
// the X11 tray and hands each operation to the unit of its role.
#pragma once

#include "Platform/Platform.h"

#include <QDBusConnection>
#include <QObject>
#include <QThread>

#include <memory>

namespace Trayvane {

class ChangeReports;
class ItemActivation;
class ItemAttributes;
class ItemPictures;
class ListedItems;
class OwnItemDisplay;
class RunningApplications;
class StatusNotifierHost;
class StatusNotifierWatcher;
class XTestMouse;
class XEmbedTray;

class LinuxPlatform : public QObject, public Platform
{
    Q_OBJECT

public:
    /// Takes the watcher name if free (on the watcher's own thread) and
    /// registers as host with it before it returns, so that a tray icon created
    /// afterwards in this process finds a watcher with a host.
    explicit LinuxPlatform(const QDBusConnection &connection = QDBusConnection::sessionBus(),
                           QObject *parent = nullptr);
    ~LinuxPlatform() override;

    /// Whether a desktop shows Trayvane's own status item: another host than
    /// Trayvane shows the items of the watcher its tray icon registers with.
    /// Announced once about a second after start, then whenever it changes.
    bool isOwnItemDisplayed() const;

    StatusNotifierHost &host() { return *m_host; }

    // Platform
    qint32 ownProcessIdentifier() const override;
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
    std::optional<QString> mainBundleIdentifier() const override;
    QString applicationDataDirectory() const override;
    bool runPermissionTool(const QString &executable, const QStringList &arguments) override;

    /// The settings program of a desktop named in XDG_CURRENT_DESKTOP, with
    /// its arguments; empty when none is known.
    static QStringList settingsCommand(const QString &currentDesktop);

signals:
    void ownItemDisplayedChanged(bool displayed);
    /// A desktop shell's watcher replaced the one Trayvane's tray icon
    /// registered with; Qt's tray icon registers again only when shown anew.
    void trayIconRegistrationLost();

private:
    void onHostChanged();

    QDBusConnection m_connection;
    QThread m_watcherThread;
    StatusNotifierWatcher *m_watcher = nullptr; // lives on m_watcherThread
    StatusNotifierHost *m_host = nullptr;
    std::unique_ptr<XTestMouse> m_mouse;
    std::unique_ptr<XEmbedTray> m_xembed;
    std::unique_ptr<ListedItems> m_listed;
    std::unique_ptr<RunningApplications> m_applications;
    std::unique_ptr<ItemAttributes> m_attributes;
    std::unique_ptr<ItemPictures> m_pictures;
    std::unique_ptr<ItemActivation> m_activation;
    std::unique_ptr<ChangeReports> m_reports;
    std::unique_ptr<OwnItemDisplay> m_ownItem;
    // The status windows, made once per rebuild of the listing: their places
    // and numbers change only with it.
    QVariant m_windows;
    quint64 m_windowsGeneration = 0;
};

} // namespace Trayvane
