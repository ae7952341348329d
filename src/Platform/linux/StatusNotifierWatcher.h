// Trayvane's own org.kde.StatusNotifierWatcher, run while no other program
// owns that name. It keeps the registered items and hosts, drops them when
// their owners leave the bus, and gives the name up when a desktop shell
// takes it over.
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
    explicit StatusNotifierWatcher(const QDBusConnection &connection, QObject *parent = nullptr);
    ~StatusNotifierWatcher() override;

    /// Takes the watcher name when nobody owns it (allowing replacement).
    /// Returns whether Trayvane now runs the watcher. Talks to the bus daemon
    /// only, never to another application.
    bool tryStart();
    /// Gives the name up and forgets every registration.
    void stop();
    bool isActive() const { return m_active; }

    /// Registers a host of this process directly, without a bus round trip.
    void registerLocalHost(const QString &service);

    /// The registered items as "service/path" entries, in registration order.
    QStringList registeredItems() const;
    bool isHostRegistered() const { return !m_hosts.isEmpty(); }
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

    QDBusConnection m_connection;
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
