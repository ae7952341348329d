// Trayvane's own org.kde.StatusNotifierWatcher, run while no other program
// owns that name. It keeps the registered items and hosts, drops them when
// their owners leave the bus, and gives the name up when a desktop shell
// takes it over. What it accepts, and how much, is bounded so that no client
// can fill it, stall it or take another client's place (see the Linux README).
//
// It lives on a thread and a bus connection of its own: Qt's tray icon in this
// process asks the watcher synchronously from the main thread, over a private
// connection, when it is first shown, and a watcher on the main thread could
// not answer until that call timed out. It never calls a client, so its thread
// never waits on another application.
#pragma once

#include "Platform/linux/SniRegistration.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class QDBusServiceWatcher;

namespace Trayvane {

// The protocol's face is generated from interfaces/org.kde.StatusNotifierWatcher.xml
// (StatusNotifierWatcherAdaptor); its property reads are answered by
// StatusNotifierWatcherProperties below.
class StatusNotifierWatcher : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    /// `ownHostConnection` is the unique name of the connection Trayvane's
    /// host uses; hosts registered from it do not count as another host.
    explicit StatusNotifierWatcher(const QString &ownHostConnection, QObject *parent = nullptr);
    ~StatusNotifierWatcher() override;

    /// Opens the watcher's own bus connection (call on the watcher's thread)
    /// and starts following the watcher name.
    Q_INVOKABLE void initialize();
    /// Takes the watcher name when nobody owns it (allowing replacement).
    /// Returns whether Trayvane now runs the watcher. Talks to the bus daemon
    /// only, never to another application.
    Q_INVOKABLE bool tryStart();
    /// Gives the name up, forgets every registration and closes the connection.
    Q_INVOKABLE void shutdown();
    bool isActive() const { return m_active; }
    /// The unique name of the watcher's own connection.
    QString connectionName() const { return m_connection.baseService(); }
    QDBusConnection connection() const { return m_connection; }

    /// Registers Trayvane's host without a bus round trip.
    Q_INVOKABLE void registerLocalHost(const QString &service);

    /// While another program's X11 tray runs and no other host shows items,
    /// the watcher leaves the clients to that tray: Trayvane's own host does
    /// not count as registered, and new items are refused, upon which
    /// libayatana clients dock their icon in the X11 tray instead.
    Q_INVOKABLE void setDeferToXEmbedTray(bool defer);

    /// The registered items as "service/path" entries, in registration order.
    QStringList registeredItems() const;
    bool isHostRegistered() const { return isDeferring() ? false : !m_hosts.isEmpty(); }
    /// Whether another connection than Trayvane's own shows the items: it
    /// registered as a host, or it read the item list and is still on the bus
    /// (some desktop trays read a running watcher without registering).
    bool isOtherHostRegistered() const;
    int protocolVersion() const { return 0; }
    /// A peer read the item list (called through the properties adaptor).
    void noteItemListRead(const QDBusMessage &message);

    // The protocol's methods, called by the generated adaptor with the
    // caller's message in the D-Bus context.
    void RegisterStatusNotifierItem(const QString &service);
    void RegisterStatusNotifierHost(const QString &service);

signals:
    void StatusNotifierItemRegistered(const QString &entry);
    void StatusNotifierItemUnregistered(const QString &entry);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();
    /// The name was taken or lost.
    void activeChanged(bool active);
    /// Whether a host other than Trayvane's is registered changed.
    void otherHostChanged(bool present);

private:
    struct Registration
    {
        Sni::ItemAddress address;
        QString owner; // the unique name of the connection that owns address.service
    };
    struct Host
    {
        QString service;
        QString sender; // the registrant, which owns `service`
    };
    void registerItem(const QString &argument, const QDBusMessage &message);
    void registerHost(const QString &service, const QDBusMessage &message);
    void onNameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void onClientGone(const QString &name);
    /// Follows `name` until it leaves the bus; `verify`: and makes sure it is there now.
    void watchClient(const QString &name, bool verify = true);
    void acceptItem(const Sni::ItemAddress &address, const QString &owner);
    void acceptHost(const QString &service, const QString &sender);
    /// Asks the bus daemon (never the client) who owns `name` and calls
    /// `then` with the owner, or an empty string, on the watcher's thread.
    /// Returns false when too many questions of `sender` are open.
    bool askOwner(const QString &name, const QString &sender, std::function<void(const QString &)> then);
    void reset();
    void announceHosts();
    void handOver(const QString &newOwner);
    bool isDeferring() const { return m_deferToXEmbedTray && !isOtherHostRegistered(); }

    QString m_ownHostConnection;
    QDBusConnection m_connection{QString()};
    bool m_otherHost = false;
    bool m_deferToXEmbedTray = false;
    QDBusServiceWatcher *m_nameWatcher = nullptr;   // our own name
    QDBusServiceWatcher *m_clientWatcher = nullptr; // items and hosts
    QList<Registration> m_items;
    QList<Host> m_hosts;
    QStringList m_readers; // connections that read the item list
    QSet<QString> m_entries;               // m_items' entries
    QHash<QString, int> m_itemsPerOwner;
    QSet<QString> m_watched;               // names m_clientWatcher follows
    QHash<QString, int> m_openQuestions;   // per sender: owner questions in flight
    int m_openQuestionsTotal = 0;
    quint64 m_generation = 0;              // answers from before a reset are stale
    bool m_active = false;
    bool m_objectRegistered = false;
};

// Answers the watcher's property reads itself, so that the watcher learns who
// reads the item list; the values are the watcher's properties.
class StatusNotifierWatcherProperties : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.Properties")
    // Qt describes the standard interface already; nothing is added to it.
    Q_CLASSINFO("D-Bus Introspection", " ")

public:
    explicit StatusNotifierWatcherProperties(StatusNotifierWatcher *watcher);

public slots:
    QDBusVariant Get(const QString &interface, const QString &name, const QDBusMessage &message);
    QVariantMap GetAll(const QString &interface, const QDBusMessage &message);

private:
    StatusNotifierWatcher *m_watcher;
};

} // namespace Trayvane
