// Trayvane's own StatusNotifierWatcher.
#include "Platform/linux/StatusNotifierWatcher.h"

#include "Platform/linux/DBusCall.h"
#include "Platform/linux/SniProtocol.h"
#include "statusnotifierwatcheradaptor.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QHash>

namespace Trayvane {

StatusNotifierWatcher::StatusNotifierWatcher(const QString &ownHostConnection, QObject *parent)
    : QObject(parent), m_ownHostConnection(ownHostConnection)
{
    new StatusNotifierWatcherAdaptor(this);
    new StatusNotifierWatcherProperties(this);
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
    ++m_generation;
    m_items.clear();
    m_entries.clear();
    m_itemsPerOwner.clear();
    m_hosts.clear();
    m_readers.clear();
    if (m_clientWatcher) {
        for (const QString &name : std::as_const(m_watched))
            m_clientWatcher->removeWatchedService(name);
    }
    m_watched.clear();
    announceHosts();
}

void StatusNotifierWatcher::shutdown()
{
    const bool wasActive = m_active;
    m_active = false;
    QString next;
    if (wasActive && m_connection.isConnected() && !m_items.isEmpty()) {
        // A program waiting for the name gets it the moment it is released.
        const auto ask = DBus::busDaemonCall(QStringLiteral("ListQueuedOwners"), {Sni::WatcherService});
        const QDBusMessage queued = m_connection.call(ask, QDBus::Block, Sni::callTimeoutMs);
        if (queued.type() == QDBusMessage::ReplyMessage && !queued.arguments().isEmpty()) {
            for (const QString &owner : queued.arguments().constFirst().toStringList()) {
                if (owner != m_connection.baseService()) {
                    next = owner;
                    break;
                }
            }
        }
    }
    if (m_connection.isConnected()) {
        if (wasActive)
            m_connection.interface()->unregisterService(Sni::WatcherService);
        if (!next.isEmpty()) {
            handOver(next);
            // The bus daemon answers only after it has passed on what was
            // sent before, so nothing is lost when the connection closes.
            m_connection.interface()->isServiceRegistered(Sni::WatcherService);
        }
        if (m_objectRegistered)
            m_connection.unregisterObject(Sni::WatcherPath);
    }
    reset();
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

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    if (calledFromDBus())
        registerItem(service, message());
}

void StatusNotifierWatcher::RegisterStatusNotifierHost(const QString &service)
{
    if (calledFromDBus())
        registerHost(service, message());
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
    if (!m_readers.isEmpty())
        return true;
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
    if (!address || sender.isEmpty())
        return;
    if (m_entries.contains(address->entry()))
        return; // registering twice is harmless
    if (address->service.startsWith(QLatin1Char(':'))) {
        // A unique name only from its own connection: nobody can register a
        // name that another connection will get, or has.
        if (address->service != sender)
            return;
        acceptItem(*address, sender);
        return;
    }
    // A well-known name counts once the bus says who owns it now.
    const Sni::ItemAddress wanted = *address;
    askOwner(wanted.service, sender, [this, wanted](const QString &owner) {
        if (!owner.isEmpty())
            acceptItem(wanted, owner);
    });
}

void StatusNotifierWatcher::acceptItem(const Sni::ItemAddress &address, const QString &owner)
{
    int &owned = m_itemsPerOwner[owner];
    if (m_items.size() >= Sni::maxItemsPerWatcher || owned >= Sni::maxItemsPerConnection
        || m_entries.contains(address.entry())) {
        if (owned == 0)
            m_itemsPerOwner.remove(owner);
        return;
    }
    ++owned;
    m_items.append({address, owner});
    m_entries.insert(address.entry());
    watchClient(owner);
    watchClient(address.service);
    emit StatusNotifierItemRegistered(address.entry());
}

void StatusNotifierWatcher::registerHost(const QString &service, const QDBusMessage &message)
{
    if (!Sni::isValidBusName(service))
        return;
    // A host registered without a message is Trayvane's own.
    if (message.service().isEmpty()) {
        acceptHost(service, m_ownHostConnection);
        return;
    }
    const QString sender = message.service();
    for (const Host &host : std::as_const(m_hosts)) {
        if (host.service == service && host.sender == sender)
            return;
    }
    // A host counts only under a name its registrant owns.
    if (service.startsWith(QLatin1Char(':'))) {
        if (service == sender)
            acceptHost(service, sender);
        return;
    }
    askOwner(service, sender, [this, service, sender](const QString &owner) {
        if (owner == sender)
            acceptHost(service, sender);
    });
}

void StatusNotifierWatcher::acceptHost(const QString &service, const QString &sender)
{
    qsizetype fromSender = 0;
    for (const Host &host : std::as_const(m_hosts)) {
        if (host.service == service && host.sender == sender)
            return;
        fromSender += host.sender == sender;
    }
    if (m_hosts.size() >= Sni::maxHostsPerWatcher || fromSender >= Sni::maxHostsPerConnection)
        return;
    m_hosts.append({service, sender});
    // Trayvane's own host may register before its name is on the bus.
    const bool own = sender == m_ownHostConnection;
    watchClient(sender, !own);
    watchClient(service, !own);
    emit StatusNotifierHostRegistered();
    announceHosts();
}

void StatusNotifierWatcher::noteItemListRead(const QDBusMessage &message)
{
    const QString reader = message.service();
    if (!m_active || reader.isEmpty() || reader == m_ownHostConnection || reader == m_connection.baseService()
        || m_readers.contains(reader) || m_readers.size() >= 32)
        return;
    m_readers.append(reader);
    watchClient(reader);
    announceHosts();
}

void StatusNotifierWatcher::handOver(const QString &newOwner)
{
    // Qt and KDE clients register by bus name, and again only when the
    // watcher name appears anew, not when it passes straight from one owner
    // to the next: the new owner learns of them from here. Items elsewhere
    // than at the default path come from clients that follow every change of
    // owner themselves (libappindicator), and a watcher would not take them
    // from another connection anyway. Nobody waits for the answers.
    //
    // Trayvane's own tray icon shows itself anew and is left out: announced
    // for a connection about to close, a watcher may keep it forever. Asking
    // the bus daemon for a process is all that waits here.
    QHash<QString, bool> ownProcess;
    const auto isOwn = [&](const QString &sender) {
        if (const auto it = ownProcess.constFind(sender); it != ownProcess.constEnd())
            return *it;
        const auto pid = m_connection.interface()->servicePid(sender);
        return *ownProcess.insert(sender, pid.isValid() && qint64(pid.value()) == QCoreApplication::applicationPid());
    };
    for (const Registration &item : std::as_const(m_items)) {
        if (item.address.path != Sni::DefaultItemPath || isOwn(item.owner))
            continue;
        auto call = QDBusMessage::createMethodCall(newOwner, Sni::WatcherPath, Sni::WatcherService,
                                                   QStringLiteral("RegisterStatusNotifierItem"));
        call << item.address.service;
        m_connection.send(call);
    }
}

bool StatusNotifierWatcher::askOwner(const QString &name, const QString &sender,
                                     std::function<void(const QString &)> then)
{
    // Bounded, so that a flood of registrations costs a fixed amount of
    // memory and bus traffic; whatever is over the bound is not registered.
    int &open = m_openQuestions[sender];
    if (open >= Sni::maxOwnerQuestionsPerConnection || m_openQuestionsTotal >= Sni::maxOwnerQuestions) {
        if (open == 0)
            m_openQuestions.remove(sender);
        return false;
    }
    ++open;
    ++m_openQuestionsTotal;
    const quint64 generation = m_generation;
    DBus::callAsync(m_connection, DBus::busDaemonCall(QStringLiteral("GetNameOwner"), {name}), this,
                    [this, sender, generation, then](const QDBusMessage &reply) {
                        if (const auto it = m_openQuestions.find(sender); it != m_openQuestions.end() && --*it <= 0)
                            m_openQuestions.erase(it);
                        --m_openQuestionsTotal;
                        if (generation != m_generation || !m_active)
                            return;
                        then(DBus::firstArgument(reply).toString());
                    });
    return true;
}

void StatusNotifierWatcher::watchClient(const QString &name, bool verify)
{
    if (name.isEmpty() || !m_clientWatcher || name == m_connection.baseService() || m_watched.contains(name))
        return;
    m_watched.insert(name);
    m_clientWatcher->addWatchedService(name);
    if (!verify)
        return;
    // A name that went away before the bus followed it for us would stay
    // forever: ask once, after the watch is in place, whether it still exists.
    const quint64 generation = m_generation;
    DBus::callAsync(m_connection, DBus::busDaemonCall(QStringLiteral("NameHasOwner"), {name}), this,
                    [this, name, generation](const QDBusMessage &reply) {
                        const QVariant has = DBus::firstArgument(reply);
                        if (generation == m_generation && m_watched.contains(name) && has.isValid() && !has.toBool())
                            onClientGone(name);
                    });
}

void StatusNotifierWatcher::onClientGone(const QString &name)
{
    if (m_watched.remove(name))
        m_clientWatcher->removeWatchedService(name);
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (m_items[i].owner == name || m_items[i].address.service == name) {
            const QString entry = m_items[i].address.entry();
            if (const auto it = m_itemsPerOwner.find(m_items[i].owner); it != m_itemsPerOwner.end() && --*it <= 0)
                m_itemsPerOwner.erase(it);
            m_entries.remove(entry);
            m_items.removeAt(i);
            emit StatusNotifierItemUnregistered(entry);
        }
    }
    const bool readerGone = m_readers.removeAll(name) > 0;
    bool hostGone = false;
    for (qsizetype i = m_hosts.size() - 1; i >= 0; --i) {
        if (m_hosts[i].sender == name || m_hosts[i].service == name) {
            m_hosts.removeAt(i);
            hostGone = true;
        }
    }
    if (hostGone)
        emit StatusNotifierHostUnregistered();
    if (hostGone || readerGone)
        announceHosts();
}

void StatusNotifierWatcher::onNameOwnerChanged(const QString &, const QString &, const QString &newOwner)
{
    if (m_active && newOwner != m_connection.baseService()) {
        // A desktop shell replaced us; it keeps the registrations from here on.
        if (!newOwner.isEmpty())
            handOver(newOwner);
        m_active = false;
        reset();
        emit activeChanged(false);
    }
    if (newOwner.isEmpty())
        tryStart(); // the name is free again: keep the items reachable
}

StatusNotifierWatcherProperties::StatusNotifierWatcherProperties(StatusNotifierWatcher *watcher)
    : QDBusAbstractAdaptor(watcher), m_watcher(watcher)
{
}

QDBusVariant StatusNotifierWatcherProperties::Get(const QString &interface, const QString &name,
                                                  const QDBusMessage &message)
{
    const QVariantMap values = GetAll(interface, message);
    if (message.isDelayedReply())
        return {}; // answered with an error already
    if (!values.contains(name)) {
        message.setDelayedReply(true);
        m_watcher->connection().send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such property")));
        return {};
    }
    return QDBusVariant(values.value(name));
}

QVariantMap StatusNotifierWatcherProperties::GetAll(const QString &interface, const QDBusMessage &message)
{
    if (!interface.isEmpty() && interface != Sni::WatcherService) {
        message.setDelayedReply(true);
        m_watcher->connection().send(message.createErrorReply(
            QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), QStringLiteral("No such interface")));
        return {};
    }
    const QString name = message.member() == QLatin1String("Get") && message.arguments().size() > 1
                             ? message.arguments().at(1).toString()
                             : QString();
    if (name.isEmpty() || name == QLatin1String("RegisteredStatusNotifierItems"))
        m_watcher->noteItemListRead(message);
    return {{QStringLiteral("RegisteredStatusNotifierItems"), m_watcher->registeredItems()},
            {QStringLiteral("IsStatusNotifierHostRegistered"), m_watcher->isHostRegistered()},
            {QStringLiteral("ProtocolVersion"), 0}};
}

} // namespace Trayvane
