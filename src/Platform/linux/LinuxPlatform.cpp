// The Linux backend over StatusNotifierItem: starts the pieces and hands each
// operation of the platform interface to the unit of its role.
#include "Platform/linux/LinuxPlatform.h"

#include "Platform/linux/ChangeReports.h"
#include "Platform/linux/ItemActivation.h"
#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/ItemPictures.h"
#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/ListedItems.h"
#include "Platform/linux/OwnItemDisplay.h"
#include "Platform/linux/Permission.h"
#include "Platform/linux/RunningApplications.h"
#include "Platform/linux/SettingsPrograms.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/StatusNotifierWatcher.h"
#include "Platform/linux/TerminationSignals.h"
#include "Platform/linux/WindowList.h"
#include "Platform/linux/XEmbedTray.h"
#include "Platform/linux/XTestMouse.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTimer>

namespace Trayvane {

namespace {

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
    m_applications = std::make_unique<RunningApplications>(*m_host, *m_xembed);
    m_attributes = std::make_unique<ItemAttributes>(*m_host, *m_xembed, *m_listed);
    m_pictures = std::make_unique<ItemPictures>(*m_xembed, *m_listed);
    m_activation = std::make_unique<ItemActivation>(m_connection, *m_host, *m_xembed);
    m_reports = std::make_unique<ChangeReports>(*m_host, [this]() { notifyStateChanged(); });
    m_ownItem = std::make_unique<OwnItemDisplay>(
        *m_host, [this](bool displayed) { emit ownItemDisplayedChanged(displayed); });
    connect(m_xembed.get(), &XEmbedTray::iconsChanged, this, [this]() {
        m_listed->markDirty();
        m_applications->iconsChanged();
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
    m_applications->load();
    if (QCoreApplication::instance())
        quitOnTermination(QCoreApplication::instance());
    m_host->start();
    m_ownItem->start();
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

bool LinuxPlatform::isOwnItemDisplayed() const
{
    return m_ownItem->isDisplayed();
}

void LinuxPlatform::onHostChanged()
{
    m_listed->markDirty();
    m_applications->hostChanged();
    m_pictures->forgetAbsent(m_host->items());
    m_ownItem->hostChanged();
    m_reports->hostChanged();
}

qint32 LinuxPlatform::ownProcessIdentifier() const
{
    return qint32(QCoreApplication::applicationPid());
}

QList<RunningApplication> LinuxPlatform::runningApplications()
{
    m_host->retryMissing();
    return m_applications->list();
}

ElementRef LinuxPlatform::createApplicationElement(qint32 processIdentifier)
{
    const ListedItems::Snapshot &current = m_listed->current();
    if (const auto kept = current.processByPid.constFind(processIdentifier); kept != current.processByPid.cend())
        return kept->application;
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
    return Permission::isTrusted(*m_host);
}

void LinuxPlatform::requestTrustPrompt()
{
    // Nothing to ask the user on this system: the reset has already run.
}

QVariant LinuxPlatform::copyWindowList()
{
    const ListedItems::Snapshot &current = m_listed->current();
    if (current.generation != m_windowsGeneration) {
        m_windows = windowList(current, *m_host, m_xembed->icons());
        m_windowsGeneration = current.generation;
    }
    return m_windows;
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
    return SettingsPrograms::command(currentDesktop);
}

bool LinuxPlatform::openUrl(const QUrl &url)
{
    if (url == accessibilitySettingsUrl)
        return SettingsPrograms::open();
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
    Permission::reset(*m_applications, m_watcher, *m_host);
    return true;
}

} // namespace Trayvane
