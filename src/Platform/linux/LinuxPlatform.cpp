// The Linux backend over StatusNotifierItem.
#include "Platform/linux/LinuxPlatform.h"

#include "Platform/linux/ItemActivation.h"
#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/ItemPictures.h"
#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/ListedItems.h"
#include "Platform/linux/SniHelpers.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/StatusNotifierWatcher.h"
#include "Platform/linux/WindowList.h"
#include "Platform/linux/XEmbedTray.h"
#include "Platform/linux/XTestMouse.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Trayvane {

namespace {

// How long the own item's visibility must hold before the status icon follows it.
constexpr int ownItemFirstDecisionMs = 1000;
constexpr int ownItemSettleMs = 300;

class LinuxMouseEvent : public PlatformMouseEvent
{
public:
    LinuxMouseEvent(Type type, QPointF point) : m_type(type), m_point(point) {}
    Type type() const override { return m_type; }
    QPointF point() const override { return m_point; }

private:
    Type m_type;
    QPointF m_point;
};

int terminationPipe[2] = {-1, -1};

void onTermination(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

// A desktop session ends its programs with SIGTERM (or SIGHUP): the event
// loop ends instead, so that the watcher hands its items to the program
// waiting for the name rather than leaving them unregistered.
void quitOnTermination(QObject *context)
{
    if (terminationPipe[0] >= 0 || ::pipe2(terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, []() {
        char byte;
        while (::read(terminationPipe[0], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

} // namespace

LinuxPlatform::LinuxPlatform(const QDBusConnection &connection, QObject *parent)
    : QObject(parent), m_connection(connection), m_mouse(std::make_unique<XTestMouse>())
{
    QString watcherConnection;
    if (m_connection.isConnected()) {
        m_watcher = new StatusNotifierWatcher(m_connection.baseService());
        m_watcher->moveToThread(&m_watcherThread);
        m_watcherThread.setObjectName(QStringLiteral("StatusNotifierWatcher"));
        m_watcherThread.start();
        // Waits on our own thread only, which talks to nobody but the bus daemon.
        QMetaObject::invokeMethod(
            m_watcher,
            [this, &watcherConnection]() {
                m_watcher->initialize();
                watcherConnection = m_watcher->connectionName();
            },
            Qt::BlockingQueuedConnection);
    }
    m_host = new StatusNotifierHost(m_connection, watcherConnection, this);
    // Decided before the watcher takes its name: where another program's X11
    // tray shows the icons, the clients must keep docking there.
    m_xembed = std::make_unique<XEmbedTray>();
    m_listed = std::make_unique<ListedItems>(*m_host, *m_xembed);
    m_attributes = std::make_unique<ItemAttributes>(*m_host, *m_xembed, *m_listed);
    m_pictures = std::make_unique<ItemPictures>(*m_xembed, *m_listed);
    m_activation = std::make_unique<ItemActivation>(m_connection, *m_host, *m_xembed);
    connect(m_xembed.get(), &XEmbedTray::iconsChanged, this, [this]() {
        m_listed->markDirty();
        notifyStateChanged();
    });
    if (m_watcher) {
        QMetaObject::invokeMethod(
            m_watcher,
            [watcher = m_watcher, defer = m_xembed->isForeignTrayPresent()]() {
                watcher->setDeferToXEmbedTray(defer);
            },
            Qt::BlockingQueuedConnection);
        connect(m_xembed.get(), &XEmbedTray::foreignTrayChanged, m_watcher,
                &StatusNotifierWatcher::setDeferToXEmbedTray, Qt::QueuedConnection);
    }
    if (m_watcher) {
        connect(m_watcher, &StatusNotifierWatcher::otherHostChanged, m_host,
                &StatusNotifierHost::setOwnWatcherHasOtherHost, Qt::QueuedConnection);
        const QString hostService = m_host->hostService();
        QMetaObject::invokeMethod(
            m_watcher,
            [watcher = m_watcher, hostService]() {
                watcher->tryStart();
                watcher->registerLocalHost(hostService);
            },
            Qt::BlockingQueuedConnection);
    }
    connect(m_host, &StatusNotifierHost::changed, this, &LinuxPlatform::onHostChanged);
    connect(m_host, &StatusNotifierHost::watcherReplaced, this, &LinuxPlatform::trayIconRegistrationLost);
    m_reportCheck.setSingleShot(true);
    m_reportCheck.setInterval(0);
    connect(&m_reportCheck, &QTimer::timeout, this, &LinuxPlatform::reportIfChanged);
    m_ownItemSettle.setSingleShot(true);
    connect(&m_ownItemSettle, &QTimer::timeout, this, [this]() {
        // Qt's tray icon takes its item off the bus while hidden, so the
        // decision rests on the host alone: the icon's status is always active.
        const bool displayed = m_host->isOtherHostPresent();
        // The first decision is always announced; later ones only on change.
        if (displayed != m_ownItemDisplayed || !m_ownItemDecided) {
            m_ownItemDecided = true;
            m_ownItemDisplayed = displayed;
            emit ownItemDisplayedChanged(displayed);
        }
    });
    m_desktopEntries.load(DesktopEntryIndex::standardDataDirs(), DesktopEntryIndex::environmentLocale());
    if (QCoreApplication::instance())
        quitOnTermination(QCoreApplication::instance());
    m_host->start();
    m_ownItemSettle.start(ownItemFirstDecisionMs);
}

LinuxPlatform::~LinuxPlatform()
{
    if (m_watcher) {
        QMetaObject::invokeMethod(m_watcher, &StatusNotifierWatcher::shutdown, Qt::BlockingQueuedConnection);
        // Deleted on its own thread as that thread ends.
        connect(&m_watcherThread, &QThread::finished, m_watcher, &QObject::deleteLater);
        m_watcherThread.quit();
        m_watcherThread.wait();
    }
}

void LinuxPlatform::onHostChanged()
{
    m_listed->markDirty();
    // Forget processes without items, so that a reused pid is looked up anew.
    QSet<qint32> present;
    for (const SniItemRef &item : m_host->items())
        present.insert(item->pid);
    for (auto it = m_apps.begin(); it != m_apps.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_apps.erase(it);
    }
    m_pictures->forgetAbsent(m_host->items());
    // Application data is looked up here, off the scan's path, once per pid.
    for (const SniItemRef &item : m_host->items()) {
        if (item->isListed() && !m_apps.contains(item->pid))
            appInfo(item->pid, item->id);
    }
    if (!m_ownItemSettle.isActive() || m_ownItemSettle.interval() != ownItemFirstDecisionMs)
        m_ownItemSettle.start(ownItemSettleMs);

    if (!m_reportCheck.isActive())
        m_reportCheck.start();
}

void LinuxPlatform::reportIfChanged()
{
    QList<ScanFacts> facts = scanFacts();
    const bool trusted = isProcessTrusted();
    const bool otherHost = m_host->isOtherHostPresent();
    if (facts != m_reportedFacts || trusted != m_reportedTrusted || otherHost != m_reportedOtherHost) {
        m_reportedFacts = std::move(facts);
        m_reportedTrusted = trusted;
        m_reportedOtherHost = otherHost;
        notifyStateChanged();
    }
}

QList<LinuxPlatform::ScanFacts> LinuxPlatform::scanFacts() const
{
    QList<ScanFacts> facts;
    facts.reserve(m_host->items().size());
    for (const SniItemRef &item : m_host->items()) {
        if (item->isListed())
            facts.append({item->owner, item->address.path, item->sequence, item->pid, item->id, item->title,
                          item->toolTipTitle, item->status, item->icon, item->attentionIcon});
    }
    return facts;
}

const LinuxPlatform::AppInfo &LinuxPlatform::appInfo(qint32 pid, const QString &firstItemId)
{
    if (const auto it = m_apps.constFind(pid); it != m_apps.constEnd())
        return *it;
    ProcessFacts facts = DesktopEntryIndex::readProcess(pid);
    facts.itemId = firstItemId;
    AppInfo info;
    if (const auto entry = m_desktopEntries.find(facts)) {
        info.name = entry->name.isEmpty() ? entry->id : Sni::capText(entry->name);
        info.bundleIdentifier = entry->id;
        if (!entry->icon.isEmpty())
            info.icon = loadNamedIcon(entry->icon, QString(), StatusNotifierHost::iconPixels);
    } else {
        info.name = facts.processName;
    }
    return *m_apps.insert(pid, info);
}

qint32 LinuxPlatform::ownProcessIdentifier() const
{
    return qint32(QCoreApplication::applicationPid());
}

QList<RunningApplication> LinuxPlatform::runningApplications()
{
    m_host->retryMissing();
    QList<RunningApplication> applications;
    QSet<qint32> seen;
    for (const SniItemRef &item : m_host->items()) {
        if (!item->isListed() || seen.contains(item->pid))
            continue;
        seen.insert(item->pid);
        const AppInfo &info = appInfo(item->pid, item->id);
        RunningApplication application;
        application.processIdentifier = item->pid;
        if (!info.name.isEmpty())
            application.localizedName = info.name;
        application.bundleIdentifier = info.bundleIdentifier;
        application.icon = info.icon.isNull() ? item->icon : info.icon;
        applications.append(application);
    }
    for (const XEmbedIcon &icon : m_xembed->icons()) {
        if (icon.pid <= 0 || seen.contains(icon.pid))
            continue;
        seen.insert(icon.pid);
        const AppInfo &info = appInfo(icon.pid, icon.instance);
        RunningApplication application;
        application.processIdentifier = icon.pid;
        if (!info.name.isEmpty())
            application.localizedName = info.name;
        application.bundleIdentifier = info.bundleIdentifier;
        application.icon = info.icon;
        applications.append(application);
    }
    return applications;
}

ElementRef LinuxPlatform::createApplicationElement(qint32 processIdentifier)
{
    return ElementRef(new LinuxElement(LinuxElement::Kind::Application, processIdentifier));
}

AttributeResult LinuxPlatform::copyAttributeValue(const ElementRef &element, const QString &attribute)
{
    return m_attributes->copy(element, attribute);
}

int LinuxPlatform::performAction(const ElementRef &element, const QString &action)
{
    return m_activation->perform(element, action);
}

bool LinuxPlatform::isProcessTrusted()
{
    return m_host->isConnected() && m_host->isWatcherReachable();
}

void LinuxPlatform::requestTrustPrompt()
{
    // Nothing to ask the user on this system: the reset has already run.
}

QVariant LinuxPlatform::copyWindowList()
{
    return windowList(m_listed->current(), *m_host, m_xembed->icons());
}

QImage LinuxPlatform::createWindowImage(const QRectF &rect, quint32 windowID)
{
    return m_pictures->create(rect, windowID);
}

MouseEventRef LinuxPlatform::createMouseEvent(PlatformMouseEvent::Type type, const QPointF &point)
{
    if (!m_mouse->isAvailable())
        return {};
    return MouseEventRef(new LinuxMouseEvent(type, point));
}

void LinuxPlatform::postMouseEvent(const MouseEventRef &event)
{
    if (!event || !m_mouse->isAvailable())
        return;
    const double scale = screenScale();
    m_mouse->post((event->point() * scale).toPoint(), event->type() == PlatformMouseEvent::Type::LeftMouseDown);
}

void LinuxPlatform::runAfter(double seconds, std::function<void()> step)
{
    QTimer::singleShot(std::max(0, int(seconds * 1000.0 + 0.5)), this, std::move(step));
}

QStringList LinuxPlatform::settingsCommand(const QString &currentDesktop)
{
    static const QList<std::pair<QString, QStringList>> known{
        {QStringLiteral("kde"), {QStringLiteral("systemsettings")}},
        {QStringLiteral("gnome"), {QStringLiteral("gnome-control-center")}},
        {QStringLiteral("unity"), {QStringLiteral("gnome-control-center")}},
        {QStringLiteral("xfce"), {QStringLiteral("xfce4-settings-manager")}},
        {QStringLiteral("mate"), {QStringLiteral("mate-control-center")}},
        {QStringLiteral("x-cinnamon"), {QStringLiteral("cinnamon-settings")}},
        {QStringLiteral("cinnamon"), {QStringLiteral("cinnamon-settings")}},
        {QStringLiteral("lxqt"), {QStringLiteral("lxqt-config")}},
        {QStringLiteral("budgie"), {QStringLiteral("budgie-control-center")}},
        {QStringLiteral("deepin"), {QStringLiteral("dde-control-center")}},
    };
    for (const QString &desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const auto &[name, command] : known) {
            if (desktop.compare(name, Qt::CaseInsensitive) == 0)
                return command;
        }
    }
    return {};
}

bool LinuxPlatform::openUrl(const QUrl &url)
{
    if (url == accessibilitySettingsUrl) {
        const QStringList command = settingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
        if (command.isEmpty())
            return false;
        return QProcess::startDetached(command.constFirst(), command.mid(1));
    }
    return QDesktopServices::openUrl(url);
}

std::optional<QString> LinuxPlatform::mainBundleIdentifier() const
{
    const QString name = QGuiApplication::desktopFileName();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

QString LinuxPlatform::applicationDataDirectory() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool LinuxPlatform::runPermissionTool(const QString &, const QStringList &)
{
    // The counterpart of clearing a stored decision: start over on the bus.
    m_apps.clear();
    m_desktopEntries.load(DesktopEntryIndex::standardDataDirs(), DesktopEntryIndex::environmentLocale());
    if (m_watcher)
        QMetaObject::invokeMethod(m_watcher, &StatusNotifierWatcher::tryStart, Qt::QueuedConnection);
    m_host->reset();
    return true;
}

} // namespace Trayvane
