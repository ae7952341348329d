// Trayvane's own StatusNotifierWatcher.
#include "Platform/linux/StatusNotifierWatcher.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace Trayvane {

StatusNotifierWatcher::StatusNotifierWatcher(const QDBusConnection &connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{
    new StatusNotifierWatcherAdaptor(this);
    m_nameWatcher = new QDBusServiceWatcher(Sni::WatcherService, m_connection,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_nameWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &StatusNotifierWatcher::onNameOwnerChanged);
    m_clientWatcher = new QDBusServiceWatcher(this);
    m_clientWatcher->setConnection(m_connection);
    m_clientWatcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_clientWatcher, &QDBusServiceWatcher::serviceUnregistered, this, &StatusNotifierWatcher::onClientGone);
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    stop();
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
    // Registered through the connection first, so that Qt's own tray icon in
    // this process reaches the watcher by a direct local call (a bus round
    // trip to ourselves would wait on our own busy thread); then the same
    // request again with replacement allowed, which updates the flags.
    if (!m_connection.registerService(Sni::WatcherService))
        return false;
    const auto reply = bus->registerService(Sni::WatcherService, QDBusConnectionInterface::DontQueueService,
                                            QDBusConnectionInterface::AllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        m_connection.unregisterService(Sni::WatcherService);
        return false;
    }
    m_active = true;
    emit activeChanged(true);
    return true;
}

void StatusNotifierWatcher::stop()
{
    const bool wasActive = m_active;
    m_active = false;
    m_items.clear();
    m_hosts.clear();
    for (const QString &name : m_clientWatcher->watchedServices())
        m_clientWatcher->removeWatchedService(name);
    if (m_connection.isConnected()) {
        m_connection.unregisterService(Sni::WatcherService);
        if (m_objectRegistered)
            m_connection.unregisterObject(Sni::WatcherPath);
    }
    m_objectRegistered = false;
    if (wasActive)
        emit activeChanged(false);
}

void StatusNotifierWatcher::registerLocalHost(const QString &service)
{
    QDBusMessage none;
    registerHost(service, none);
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
    const QString own = m_connection.baseService();
    for (const Host &host : m_hosts) {
        if (host.sender != own)
            return true;
    }
    return false;
}

void StatusNotifierWatcher::registerItem(const QString &argument, const QDBusMessage &message)
{
    if (!m_active)
        return;
    QString sender = message.service();
    if (sender.isEmpty())
        sender = m_connection.baseService(); // a local call from this process
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
    QString sender = message.service();
    if (sender.isEmpty())
        sender = m_connection.baseService();
    for (const Host &host : m_hosts) {
        if (host.service == service && host.sender == sender)
            return;
    }
    const bool first = m_hosts.isEmpty();
    m_hosts.append({service, sender});
    if (sender != m_connection.baseService()) {
        watchClient(sender);
        watchClient(service);
    }
    if (first || sender != m_connection.baseService())
        emit StatusNotifierHostRegistered();
}

void StatusNotifierWatcher::watchClient(const QString &name)
{
    if (name.isEmpty() || name == m_connection.baseService() || m_clientWatcher->watchedServices().contains(name))
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
    if (hostGone)
        emit StatusNotifierHostUnregistered();
}

void StatusNotifierWatcher::onNameOwnerChanged(const QString &, const QString &, const QString &newOwner)
{
    if (m_active && newOwner != m_connection.baseService()) {
        // A desktop shell replaced us; it keeps the registrations from here on.
        m_active = false;
        m_items.clear();
        m_hosts.clear();
        m_connection.unregisterService(Sni::WatcherService);
        emit activeChanged(false);
    }
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
