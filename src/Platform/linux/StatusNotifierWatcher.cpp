// Trayvane's own StatusNotifierWatcher.
#include "Platform/linux/StatusNotifierWatcher.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace Trayvane {

StatusNotifierWatcher::StatusNotifierWatcher(const QString &ownHostConnection, QObject *parent)
    : QObject(parent), m_ownHostConnection(ownHostConnection)
{
    new StatusNotifierWatcherAdaptor(this);
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    shutdown();
}

void StatusNotifierWatcher::initialize()
{
    m_connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("trayvane-watcher"));
    m_nameWatcher = new QDBusServiceWatcher(Sni::WatcherService, m_connection,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_nameWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &StatusNotifierWatcher::onNameOwnerChanged);
    m_clientWatcher = new QDBusServiceWatcher(this);
    m_clientWatcher->setConnection(m_connection);
    m_clientWatcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_clientWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &StatusNotifierWatcher::onClientGone);
}

bool StatusNotifierWatcher::tryStart()
{
    if (m_active)
        return true;
    if (!m_connection.isConnected())
        return false;
    QDBusConnectionInterface *bus = m_connection.interface();
    if (!bus)
        return false;
    if (!m_objectRegistered)
        m_objectRegistered = m_connection.registerObject(Sni::WatcherPath, this, QDBusConnection::ExportAdaptors);
    if (!m_objectRegistered)
        return false;
    const auto reply = bus->registerService(Sni::WatcherService, QDBusConnectionInterface::DontQueueService,
                                            QDBusConnectionInterface::AllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered)
        return false;
    m_active = true;
    emit activeChanged(true);
    return true;
}

void StatusNotifierWatcher::reset()
{
    m_items.clear();
    m_hosts.clear();
    if (m_clientWatcher) {
        for (const QString &name : m_clientWatcher->watchedServices())
            m_clientWatcher->removeWatchedService(name);
    }
    announceHosts();
}

void StatusNotifierWatcher::shutdown()
{
    const bool wasActive = m_active;
    m_active = false;
    reset();
    if (m_connection.isConnected()) {
        if (wasActive)
            m_connection.interface()->unregisterService(Sni::WatcherService);
        if (m_objectRegistered)
            m_connection.unregisterObject(Sni::WatcherPath);
    }
    m_objectRegistered = false;
    delete m_nameWatcher;
    m_nameWatcher = nullptr;
    delete m_clientWatcher;
    m_clientWatcher = nullptr;
    if (!m_connection.name().isEmpty()) {
        const QString name = m_connection.name();
        m_connection = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(name);
    }
    if (wasActive)
        emit activeChanged(false);
}

void StatusNotifierWatcher::registerLocalHost(const QString &service)
{
    QDBusMessage none;
    registerHost(service, none);
}

void StatusNotifierWatcher::announceHosts()
{
    const bool other = isOtherHostRegistered();
    if (other != m_otherHost) {
        m_otherHost = other;
        emit otherHostChanged(other);
    }
}

QStringList StatusNotifierWatcher::registeredItems() const
{
    QStringList entries;
    entries.reserve(m_items.size());
    for (const Registration &item : m_items)
        entries.append(item.address.entry());
    return entries;
}

bool StatusNotifierWatcher::isOtherHostRegistered() const
{
    for (const Host &host : m_hosts) {
        if (host.sender != m_ownHostConnection && host.sender != m_connection.baseService())
            return true;
    }
    return false;
}

void StatusNotifierWatcher::setDeferToXEmbedTray(bool defer)
{
    m_deferToXEmbedTray = defer;
}

void StatusNotifierWatcher::registerItem(const QString &argument, const QDBusMessage &message)
{
    if (!m_active)
        return;
    if (isDeferring()) {
        message.setDelayedReply(true);
        m_connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"),
                                                   QStringLiteral("No tray host; use the X11 tray")));
        return;
    }
    const QString sender = message.service();
    const auto address = Sni::splitRegistration(argument, sender);
    if (!address || m_items.size() >= Sni::maxItemsPerWatcher)
        return;
    for (const Registration &item : m_items) {
        if (item.address == *address)
            return; // registering twice is harmless
    }
    m_items.append({*address, sender});
    watchClient(sender);
    watchClient(address->service);
    emit StatusNotifierItemRegistered(address->entry());
}

void StatusNotifierWatcher::registerHost(const QString &service, const QDBusMessage &message)
{
    if (!Sni::isValidBusName(service))
        return;
    // A host registered without a message is Trayvane's own.
    const QString sender = message.service().isEmpty() ? m_ownHostConnection : message.service();
    for (const Host &host : m_hosts) {
        if (host.service == service && host.sender == sender)
            return;
    }
    m_hosts.append({service, sender});
    watchClient(sender);
    watchClient(service);
    emit StatusNotifierHostRegistered();
    announceHosts();
}

void StatusNotifierWatcher::watchClient(const QString &name)
{
    if (name.isEmpty() || !m_clientWatcher || name == m_connection.baseService()
        || m_clientWatcher->watchedServices().contains(name))
        return;
    m_clientWatcher->addWatchedService(name);
}

void StatusNotifierWatcher::onClientGone(const QString &name)
{
    m_clientWatcher->removeWatchedService(name);
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (m_items[i].sender == name || m_items[i].address.service == name) {
            const QString entry = m_items[i].address.entry();
            m_items.removeAt(i);
            emit StatusNotifierItemUnregistered(entry);
        }
    }
    bool hostGone = false;
    for (qsizetype i = m_hosts.size() - 1; i >= 0; --i) {
        if (m_hosts[i].sender == name || m_hosts[i].service == name) {
            m_hosts.removeAt(i);
            hostGone = true;
        }
    }
    if (hostGone) {
        emit StatusNotifierHostUnregistered();
        announceHosts();
    }
}

void StatusNotifierWatcher::onNameOwnerChanged(const QString &, const QString &, const QString &newOwner)
{
    if (m_active && newOwner != m_connection.baseService()) {
        // A desktop shell replaced us; it keeps the registrations from here on.
        m_active = false;
        reset();
        emit activeChanged(false);
    }
    if (newOwner.isEmpty())
        tryStart(); // the name is free again: keep the items reachable
}

StatusNotifierWatcherAdaptor::StatusNotifierWatcherAdaptor(StatusNotifierWatcher *watcher)
    : QDBusAbstractAdaptor(watcher), m_watcher(watcher)
{
    setAutoRelaySignals(true);
}

void StatusNotifierWatcherAdaptor::RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message)
{
    m_watcher->registerItem(service, message);
}

void StatusNotifierWatcherAdaptor::RegisterStatusNotifierHost(const QString &service, const QDBusMessage &message)
{
    m_watcher->registerHost(service, message);
}

} // namespace Trayvane
