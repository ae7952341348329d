// The Linux backend: the status items of running applications, read over the
// StatusNotifierItem protocol on the session bus and presented to the service
// the way the accessibility interface presents menu bar extras. Every answer
// comes from kept state at once; nothing here waits on another application.
#pragma once

#include "Platform/Platform.h"
#include "Platform/linux/DesktopEntries.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <memory>

namespace Trayvane {

class ItemActivation;
class ItemAttributes;
class ItemPictures;
class ListedItems;
class StatusNotifierHost;
class StatusNotifierWatcher;
class XTestMouse;
class XEmbedTray;
struct SniItemState;

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
    bool isOwnItemDisplayed() const { return m_ownItemDisplayed; }

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
    struct AppInfo
    {
        QString name;
        std::optional<QString> bundleIdentifier;
        QImage icon; // null: the icon of the first item is used
    };
    const AppInfo &appInfo(qint32 pid, const QString &firstItemId);
    void onHostChanged();
    // What a scan reads of the kept state, to tell the service only about
    // changes it would see.
    struct ScanFacts
    {
        QString owner;
        QString path;
        quint64 sequence = 0;
        qint32 pid = 0;
        QString id;
        QString title;
        QString toolTipTitle;
        QString status;
        QImage icon; // compared by content: a client may send the same icon anew
        QImage attentionIcon;
        bool operator==(const ScanFacts &) const = default;
    };
    QList<ScanFacts> scanFacts() const;
    void reportIfChanged();

    QDBusConnection m_connection;
    QThread m_watcherThread;
    StatusNotifierWatcher *m_watcher = nullptr; // lives on m_watcherThread
    StatusNotifierHost *m_host = nullptr;
    std::unique_ptr<XTestMouse> m_mouse;
    std::unique_ptr<XEmbedTray> m_xembed;
    std::unique_ptr<ListedItems> m_listed;
    std::unique_ptr<ItemAttributes> m_attributes;
    std::unique_ptr<ItemPictures> m_pictures;
    std::unique_ptr<ItemActivation> m_activation;
    DesktopEntryIndex m_desktopEntries;
    bool m_desktopEntriesLoaded = false;
    QHash<qint32, AppInfo> m_apps;
    // Compares once per burst of host changes (a thousand answers arriving
    // together are one comparison, not a thousand).
    QTimer m_reportCheck;
    QList<ScanFacts> m_reportedFacts;
    bool m_reportedTrusted = false;
    bool m_reportedOtherHost = false;
    bool m_ownItemDisplayed = false;
    bool m_ownItemDecided = false;
    QTimer m_ownItemSettle;
};

} // namespace Trayvane
