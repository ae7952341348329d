// Trayvane's own org.kde.StatusNotifierWatcher, run while no other program
// owns that name. It keeps the registered items and hosts, drops them when
// their owners leave the bus, and gives the name up when a desktop shell
// takes it over.
//
// It lives on a thread and a bus connection of its own: Qt's tray icon in this
// process asks the watcher synchronously from the main thread, over a private
// connection, when it is first shown, and a watcher on the main thread could
// not answer until that call timed out. It never calls a client, so its thread
// never waits on another application.
#pragma once

#include "Platform/linux/SniHelpers.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>

class QDBusServiceWatcher;

namespace Trayvane {

class StatusNotifierWatcher : public QObject
{
    Q_OBJECT

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
    /// Whether a host of another connection than Trayvane's own registered.
    bool isOtherHostRegistered() const;

    // The protocol's methods (called through the adaptor).
    void registerItem(const QString &argument, const QDBusMessage &message);
    void registerHost(const QString &service, const QDBusMessage &message);

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
        QString sender; // the unique name that registered it
    };
    struct Host
    {
        QString service;
        QString sender;
    };
    void onNameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void onClientGone(const QString &name);
    void watchClient(const QString &name);
    void reset();
    void announceHosts();
    bool isDeferring() const { return m_deferToXEmbedTray && !isOtherHostRegistered(); }

    QString m_ownHostConnection;
    QDBusConnection m_connection{QString()};
    bool m_otherHost = false;
    bool m_deferToXEmbedTray = false;
    QDBusServiceWatcher *m_nameWatcher = nullptr;   // our own name
    QDBusServiceWatcher *m_clientWatcher = nullptr; // items and hosts
    QList<Registration> m_items;
    QList<Host> m_hosts;
    bool m_active = false;
    bool m_objectRegistered = false;
};

// The D-Bus face of the watcher, with the protocol's names.
class StatusNotifierWatcherAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredStatusNotifierItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit StatusNotifierWatcherAdaptor(StatusNotifierWatcher *watcher);

    QStringList registeredStatusNotifierItems() const { return m_watcher->registeredItems(); }
    bool isStatusNotifierHostRegistered() const { return m_watcher->isHostRegistered(); }
    int protocolVersion() const { return 0; }

public slots:
    void RegisterStatusNotifierItem(const QString &service, const QDBusMessage &message);
    void RegisterStatusNotifierHost(const QString &service, const QDBusMessage &message);

signals:
    void StatusNotifierItemRegistered(const QString &service);
    void StatusNotifierItemUnregistered(const QString &service);
    void StatusNotifierHostRegistered();
    void StatusNotifierHostUnregistered();

private:
    StatusNotifierWatcher *m_watcher;
};

} // namespace Trayvane
