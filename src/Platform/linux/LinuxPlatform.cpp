// The Linux backend over StatusNotifierItem.
#include "Platform/linux/LinuxPlatform.h"

#include "Platform/linux/DBusMenu.h"
#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/ListedItems.h"
#include "Platform/linux/SniHelpers.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/StatusNotifierWatcher.h"
#include "Platform/linux/XEmbedTray.h"
#include "Platform/linux/XTestMouse.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
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

double screenScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1.0, screen->devicePixelRatio()) : 1.0;
}

// Errors after which the item's menu is not worth trying: the application is
// gone or does not answer.
bool isUnreachable(const QString &errorName)
{
    static const QStringList names{
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
        QStringLiteral("org.freedesktop.DBus.Error.Timeout"),
        QStringLiteral("org.freedesktop.DBus.Error.TimedOut"),
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
    };
    return names.contains(errorName);
}

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
    QSet<quint32> windows;
    for (const SniItemRef &item : m_host->items())
        windows.insert(item->windowNumber);
    m_pictures.removeIf([&windows](const auto &entry) { return !windows.contains(entry.key()); });
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
    const auto *linuxElement = dynamic_cast<const LinuxElement *>(element.data());
    if (linuxElement && linuxElement->kind == LinuxElement::Kind::XEmbedIcon && action == AXName::Press) {
        return m_xembed->activate(quint32(linuxElement->sequence)) ? AXError::Success : AXError::CannotComplete;
    }
    if (!linuxElement || linuxElement->kind != LinuxElement::Kind::Item || action != AXName::Press)
        return AXError::Failure;
    const SniItemRef item = m_host->item(linuxElement->entry);
    if (!item || item->sequence != linuxElement->sequence || !item->isListed())
        return AXError::CannotComplete;
    press(*item);
    return AXError::Success;
}

void LinuxPlatform::press(const SniItemState &item)
{
    const QPoint position = QCursor::pos();
    const QString service = item.owner;
    const QString path = item.address.path;
    const QString menuPath = item.menuPath;
    const QString interface = item.interfaceName;
    if (item.itemIsMenu && !menuPath.isEmpty()) {
        DBusMenuPopup::show(m_connection, service, menuPath, position);
        return;
    }
    auto activate = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Activate"));
    activate << position.x() << position.y();
    auto *watcher = new QDBusPendingCallWatcher(m_connection.asyncCall(activate, Sni::callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, service, path, menuPath, interface, position]() {
                watcher->deleteLater();
                if (!watcher->isError() || isUnreachable(watcher->error().name()))
                    return;
                if (!menuPath.isEmpty()) {
                    DBusMenuPopup::show(m_connection, service, menuPath, position);
                    return;
                }
                auto context = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("ContextMenu"));
                context << position.x() << position.y();
                m_connection.asyncCall(context, Sni::callTimeoutMs);
            });
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
    QVariantList windows;
    const ListedItems::Snapshot &current = m_listed->current();
    for (qsizetype i = 0; i < current.items.size(); ++i) {
        const SniItemState &item = *current.items.at(i);
        if (!Sni::isDisplayed(m_host->isOtherHostPresent(), item.status))
            continue;
        const QRectF geometry = Sni::barGeometry(int(i) + 1, true);
        QVariantMap bounds{{WindowKey::X, geometry.x()},
                           {WindowKey::Y, 0.0},
                           {WindowKey::Width, Sni::barSlot},
                           {WindowKey::Height, Sni::barSlot}};
        windows.append(QVariantMap{{WindowKey::Bounds, bounds},
                                   {WindowKey::Number, QVariant::fromValue<quint32>(item.windowNumber)},
                                   {WindowKey::Layer, statusWindowLayer}});
    }
    // Every X11 tray icon has a picture, also one that only Trayvane's tray holds.
    const QList<XEmbedIcon> &icons = m_xembed->icons();
    for (qsizetype i = 0; i < icons.size(); ++i) {
        const QRectF geometry = Sni::barGeometry(xembedFirstRank + int(i), true);
        QVariantMap bounds{{WindowKey::X, geometry.x()},
                           {WindowKey::Y, 0.0},
                           {WindowKey::Width, Sni::barSlot},
                           {WindowKey::Height, Sni::barSlot}};
        windows.append(QVariantMap{{WindowKey::Bounds, bounds},
                                   {WindowKey::Number,
                                    QVariant::fromValue<quint32>(icons.at(i).window | xembedWindowBit)},
                                   {WindowKey::Layer, statusWindowLayer}});
    }
    return windows;
}

QImage LinuxPlatform::createWindowImage(const QRectF &rect, quint32 windowID)
{
    if (!(rect.width() > 0.0 && rect.height() > 0.0) || rect.width() > 4096.0 || rect.height() > 4096.0)
        return {};
    if (windowID & xembedWindowBit)
        return xembedPicture(rect, windowID & ~xembedWindowBit);
    const ListedItems::Snapshot &current = m_listed->current();
    const int index = current.indexByWindowNumber.value(windowID, -1);
    if (index < 0)
        return {};
    const SniItemState &item = *current.items.at(index);
    const QImage icon = item.status == QLatin1String("NeedsAttention") && !item.attentionIcon.isNull()
                            ? item.attentionIcon
                            : item.icon;
    if (icon.isNull())
        return {};
    const double scale = screenScale();
    Picture &picture = m_pictures[windowID];
    if (picture.iconKey == icon.cacheKey() && picture.slot == rect.size() && picture.scale == scale
        && !picture.image.isNull())
        return picture.image;
    // A square around the icon with the margin an application icon has in the
    // panel (18 of 22), so that captured and application icons look alike.
    const double slot = std::min({Sni::barSlot, rect.width(), rect.height()});
    QImage image(QSize(qCeil(slot * scale), qCeil(slot * scale)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    const double side = slot * 18.0 / 22.0;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF((slot - side) / 2.0, (slot - side) / 2.0, side, side), icon);
    }
    picture = {icon.cacheKey(), rect.size(), scale, image};
    return image;
}

QImage LinuxPlatform::xembedPicture(const QRectF &rect, quint32 window)
{
    const QImage content = m_xembed->picture(window);
    if (content.isNull())
        return {};
    const double scale = screenScale();
    QImage image(QSize(qCeil(rect.width() * scale), qCeil(rect.height() * scale)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    const double side = std::min({Sni::barSlot, rect.width(), rect.height()}) - 2.0;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF size = QSizeF(content.size()).scaled(side, side, Qt::KeepAspectRatio);
    painter.drawImage(QRectF((rect.width() - size.width()) / 2.0, (rect.height() - size.height()) / 2.0,
                             size.width(), size.height()),
                      content);
    painter.end();
    return image;
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
