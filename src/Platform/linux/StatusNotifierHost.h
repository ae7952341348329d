// The host side of the StatusNotifierItem protocol: follows whichever watcher
// runs (Trayvane's own or a desktop shell's), registers as a host with it, and
// keeps every registered item's properties current from its change signals.
// All calls to other applications are asynchronous with a timeout; readers get
// the kept state at once.
#pragma once

#include "Platform/linux/IconLoader.h"
#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/SniRegistration.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QTimer>

class QDBusServiceWatcher;

namespace Trayvane {

/// What the host knows of one registered item.
struct SniItemState
{
    Sni::ItemAddress address;
    QString key;              // what the host files it under (Sni::WatcherEntry::key)
    bool pathGiven = true;    // false: the watcher named the service only
    bool pathSearched = false;
    QString owner;            // unique connection name, once known
    quint64 sequence = 0;     // registration order, also the generation of callbacks
    quint32 windowNumber = 0; // stable per item
    qint32 pid = 0;           // 0 until known
    bool propertiesArrived = false;
    QString interfaceName = Sni::ItemInterface;

    QString id;
    QString title;
    QString toolTipTitle;
    QString status;
    QString menuPath;
    bool itemIsMenu = false;
    QImage icon;
    QImage attentionIcon;
    // What each picture was made from, and which request it waits for.
    QByteArray iconSource;
    QByteArray attentionIconSource;
    quint64 iconTicket = 0;
    quint64 attentionIconTicket = 0;

    bool fetching = false;
    bool resolvingPid = false;
    bool refetch = false;
    bool triedFallbackInterface = false;
    QTimer coalesce;

    /// Shown to the service only once its owner and properties are known.
    bool isListed() const { return propertiesArrived && pid > 0; }
};
using SniItemRef = QSharedPointer<SniItemState>;

class StatusNotifierHost : public QObject
{
    Q_OBJECT

public:
    /// `ownWatcherConnection` is the unique name of the connection Trayvane's
    /// own watcher runs on (empty when it has none).
    StatusNotifierHost(const QDBusConnection &connection, const QString &ownWatcherConnection,
                       QObject *parent = nullptr);

    /// Registers as host with whichever watcher runs and reads the items.
    void start();
    /// Trayvane's own watcher reports whether another host registered with it.
    void setOwnWatcherHasOtherHost(bool present);
    /// The unique name under which the host registers.
    QString hostService() const { return m_hostService; }
    /// Drops every item and starts again as if newly launched.
    void reset();
    /// Asks again, without waiting, for what items have not answered yet (a
    /// client that hung for a while shows up once it answers).
    void retryMissing();

    /// Every registered item, in registration order (listed or not).
    const QList<SniItemRef> &items() const { return m_items; }
    /// The item filed under `key` (its SniItemState::key).
    SniItemRef item(const QString &key) const { return m_byEntry.value(key); }

    bool isConnected() const { return m_connection.isConnected(); }
    /// A watcher runs: Trayvane's own or another program's.
    bool isWatcherReachable() const;
    /// Another host than Trayvane shows items.
    bool isOtherHostPresent() const;
    /// The image size items' icons are prepared at, in pixels.
    static constexpr int iconPixels = 48;

signals:
    /// Something an answer of the backend depends on changed.
    void changed();
    /// Another program's watcher took the name over from the one followed so
    /// far; clients that only register on a fresh name must be told again.
    void watcherReplaced();

private slots:
    void onItemSignal(const QDBusMessage &message);
    void onExternalItemRegistered(const QString &entry, const QDBusMessage &message);
    void onExternalHostRegistered(const QDBusMessage &message);
    void onExternalHostUnregistered(const QDBusMessage &message);
    void onExternalItemUnregistered(const QString &entry, const QDBusMessage &message);

private:
    enum class Source { None, Watcher };

    void follow();
    void followWatcher(const QString &service, int attempt);
    void syncEntries(const QStringList &entries);
    void addItem(const QString &entry);
    void removeItem(const QString &entry);
    void clearItems();
    void resolveOwner(const SniItemRef &item);
    void findService(const SniItemRef &item);
    struct PathSearch;
    void searchPath(const SniItemRef &item, const QString &path, int depth, const QSharedPointer<PathSearch> &search);
    void resolvePid(const SniItemRef &item);
    void scheduleFetch(const SniItemRef &item);
    void fetch(const SniItemRef &item);
    void applyProperties(const SniItemRef &item, const QVariantMap &properties);
    /// Sets the item's icon or attention icon; returns the bytes its pixmaps claim.
    qint64 updatePicture(const SniItemRef &item, const QVariantMap &properties, bool attention,
                         const QString &themePath);

    QDBusConnection m_connection;
    QString m_ownWatcherConnection;
    bool m_ownWatcherHasOtherHost = false;
    QDBusServiceWatcher *m_watcherNames = nullptr;
    QString m_hostService;
    Source m_source = Source::None;
    QString m_externalService; // followed watcher name
    QString m_externalOwner;   // its unique owner
    bool m_externalIsOwn = false; // that owner is our own watcher; asked for every item of every scan
    quint64 m_followGeneration = 0;
    bool m_followAnswered = false; // the bus said at least once which watcher runs
    bool m_externalHostShown = false; // another program's watcher has a host besides us
    bool m_ownHostRegistered = false;  // with the watcher followed now
    QList<SniItemRef> m_items;
    // The items still without their properties or their owner's pid: a
    // complete item stays complete, so a retry looks at these only.
    QList<QWeakPointer<SniItemState>> m_incomplete;
    QHash<QString, SniItemRef> m_byEntry; // by key
    quint64 m_nextSequence = 1;
    quint32 m_nextWindowNumber = 1;
    IconLoader *m_icons = nullptr;
};

} // namespace Trayvane
