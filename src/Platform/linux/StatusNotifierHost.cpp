// The StatusNotifierItem host: kept state of every registered item.
#include "Platform/linux/StatusNotifierHost.h"

#include "Platform/linux/DBusCall.h"
#include "Platform/linux/IconLoader.h"
#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/SniRegistration.h"
#include "Platform/linux/SniTypes.h"
#include "Platform/linux/SniTypes.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QSet>

#include <algorithm>

namespace Trayvane {

namespace {

const char *const itemSignals[] = {"NewTitle",  "NewIcon",   "NewAttentionIcon", "NewOverlayIcon",
                                   "NewToolTip", "NewStatus", "NewMenu",          "XAyatanaNewLabel"};

const QString IntrospectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

// The errors by which Qt and GDBus say that nothing lives at a path.
bool isMissingObject(const QString &errorName)
{
    return errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
           || errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod");
}

bool isInterfaceError(const QString &errorName)
{
    static const QStringList names{
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
        QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
    };
    return names.contains(errorName);
}

QString textValue(const QVariantMap &properties, const QString &key)
{
    const QVariant value = properties.value(key);
    return value.metaType() == QMetaType::fromType<QString>() ? Sni::capText(value.toString()) : QString();
}

} // namespace

StatusNotifierHost::StatusNotifierHost(const QDBusConnection &connection, const QString &ownWatcherConnection,
                                       QObject *parent)
    : QObject(parent), m_connection(connection), m_ownWatcherConnection(ownWatcherConnection),
      m_icons(new IconLoader(iconPixels, this))
{
    m_hostService = QStringLiteral("org.kde.StatusNotifierHost-%1").arg(QCoreApplication::applicationPid());

    m_watcherNames = new QDBusServiceWatcher(this);
    m_watcherNames->setConnection(m_connection);
    m_watcherNames->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    m_watcherNames->setWatchedServices({Sni::WatcherService, Sni::FallbackWatcherService});
    connect(m_watcherNames, &QDBusServiceWatcher::serviceOwnerChanged, this, &StatusNotifierHost::follow);

    if (m_connection.isConnected()) {
        // Change signals of every item arrive through one set of matches and
        // are routed by sender and path.
        for (const QString &interface : {Sni::ItemInterface, Sni::FallbackItemInterface}) {
            for (const char *name : itemSignals)
                m_connection.connect(QString(), QString(), interface, QLatin1String(name), this,
                                     SLOT(onItemSignal(QDBusMessage)));
        }
        for (const QString &interface : {Sni::WatcherService, Sni::FallbackWatcherService}) {
            m_connection.connect(QString(), Sni::WatcherPath, interface, QStringLiteral("StatusNotifierItemRegistered"),
                                 this, SLOT(onExternalItemRegistered(QString, QDBusMessage)));
            m_connection.connect(QString(), Sni::WatcherPath, interface,
                                 QStringLiteral("StatusNotifierItemUnregistered"), this,
                                 SLOT(onExternalItemUnregistered(QString, QDBusMessage)));
            m_connection.connect(QString(), Sni::WatcherPath, interface, QStringLiteral("StatusNotifierHostRegistered"),
                                 this, SLOT(onExternalHostRegistered(QDBusMessage)));
            m_connection.connect(QString(), Sni::WatcherPath, interface,
                                 QStringLiteral("StatusNotifierHostUnregistered"), this,
                                 SLOT(onExternalHostUnregistered(QDBusMessage)));
        }
    }
}

void StatusNotifierHost::start()
{
    if (!m_connection.isConnected())
        return;
    m_connection.registerService(m_hostService);
    follow();
}

void StatusNotifierHost::reset()
{
    m_followAnswered = false;
    clearItems();
    m_source = Source::None;
    m_externalOwner.clear();
    m_externalIsOwn = false;
    m_externalService.clear();
    start();
}

void StatusNotifierHost::setOwnWatcherHasOtherHost(bool present)
{
    if (present == m_ownWatcherHasOtherHost)
        return;
    m_ownWatcherHasOtherHost = present;
    emit changed();
}

bool StatusNotifierHost::isWatcherReachable() const
{
    // Until the bus has told which watcher runs, one is assumed: the first
    // scan comes before that answer and must not report a missing permission.
    return m_connection.isConnected() && (m_source != Source::None || !m_followAnswered);
}

bool StatusNotifierHost::isOtherHostPresent() const
{
    if (m_source != Source::Watcher)
        return false;
    if (!m_externalIsOwn)
        return m_externalHostShown;
    return m_ownWatcherHasOtherHost;
}

void StatusNotifierHost::follow()
{
    ++m_followGeneration;
    followWatcher(Sni::WatcherService, 0);
}

void StatusNotifierHost::followWatcher(const QString &service, int attempt)
{
    const quint64 generation = m_followGeneration;
    const auto ask = DBus::busDaemonCall(QStringLiteral("GetNameOwner"), {service});
    DBus::callAsync(m_connection, ask, this, [this, service, attempt, generation](const QDBusMessage &reply) {
        if (generation != m_followGeneration)
            return;
        if (attempt > 0 || reply.type() == QDBusMessage::ReplyMessage)
            m_followAnswered = true;
        const QString owner = DBus::firstArgument(reply).toString();
        if (owner.isEmpty()) {
            if (attempt == 0) {
                followWatcher(Sni::FallbackWatcherService, 1);
                return;
            }
            // No watcher at the moment; Trayvane's own takes the name when it
            // can, and its arrival brings us back here.
            m_source = Source::None;
            clearItems();
            emit changed();
            return;
        }
        const bool switched = m_source != Source::Watcher || m_externalOwner != owner;
        const bool replaced = m_source == Source::Watcher && switched && owner != m_ownWatcherConnection;
        m_source = Source::Watcher;
        m_externalService = service;
        m_externalOwner = owner;
        m_externalIsOwn = owner == m_ownWatcherConnection;
        if (switched) {
            clearItems();
            m_externalHostShown = false;
            m_ownHostRegistered = false;
        }
        auto registerHost = [this, service, generation]() {
            // Also with Trayvane's own watcher: it forgets its hosts whenever
            // it loses the name, and a second registration is harmless.
            auto call = QDBusMessage::createMethodCall(service, Sni::WatcherPath, service,
                                                       QStringLiteral("RegisterStatusNotifierHost"));
            call << m_hostService;
            DBus::callAsync(m_connection, call, this, [this, generation](const QDBusMessage &) {
                if (generation == m_followGeneration)
                    m_ownHostRegistered = true;
            });
        };
        if (switched && !m_externalIsOwn) {
            // Another program's watcher says whether a host is registered; once
            // ours is, that answer includes us, so it is read first.
            auto ask = QDBusMessage::createMethodCall(service, Sni::WatcherPath, Sni::PropertiesInterface,
                                                      QStringLiteral("Get"));
            ask << service << QStringLiteral("IsStatusNotifierHostRegistered");
            DBus::callAsync(m_connection, ask, this, [this, generation, registerHost](const QDBusMessage &answer) {
                if (generation != m_followGeneration)
                    return;
                const QVariant value = answer.arguments().isEmpty()
                                           ? QVariant()
                                           : answer.arguments().constFirst().value<QDBusVariant>().variant();
                // A watcher that does not say is taken to have a host.
                const bool present = answer.type() != QDBusMessage::ReplyMessage
                                     || value.metaType() != QMetaType::fromType<bool>() || value.toBool();
                if (present != m_externalHostShown) {
                    m_externalHostShown = present;
                    emit changed();
                }
                registerHost();
            });
        } else {
            registerHost();
        }
        if (replaced)
            emit watcherReplaced();
        auto read = QDBusMessage::createMethodCall(service, Sni::WatcherPath, Sni::PropertiesInterface,
                                                   QStringLiteral("Get"));
        read << service << QStringLiteral("RegisteredStatusNotifierItems");
        DBus::callAsync(m_connection, read, this, [this, generation](const QDBusMessage &answer) {
            if (generation != m_followGeneration || answer.type() != QDBusMessage::ReplyMessage
                || answer.arguments().isEmpty())
                return;
            const QVariant value = answer.arguments().constFirst().value<QDBusVariant>().variant();
            if (value.metaType() == QMetaType::fromType<QStringList>())
                syncEntries(value.toStringList());
        });
        emit changed();
    });
}

void StatusNotifierHost::onExternalHostRegistered(const QDBusMessage &message)
{
    // Our own registration announces itself before it is answered; any later
    // one is another host's.
    if (m_source == Source::Watcher && message.service() == m_externalOwner
        && !m_externalIsOwn && m_ownHostRegistered && !m_externalHostShown) {
        m_externalHostShown = true;
        emit changed();
    }
}

void StatusNotifierHost::onExternalHostUnregistered(const QDBusMessage &message)
{
    if (m_source == Source::Watcher && message.service() == m_externalOwner
        && !m_externalIsOwn && m_externalHostShown) {
        m_externalHostShown = false;
        emit changed();
    }
}

void StatusNotifierHost::onExternalItemRegistered(const QString &entry, const QDBusMessage &message)
{
    if (m_source == Source::Watcher && message.service() == m_externalOwner)
        addItem(entry);
}

void StatusNotifierHost::onExternalItemUnregistered(const QString &entry, const QDBusMessage &message)
{
    if (m_source == Source::Watcher && message.service() == m_externalOwner)
        removeItem(entry);
}

void StatusNotifierHost::syncEntries(const QStringList &entries)
{
    QSet<QString> keys;
    for (const QString &entry : entries) {
        if (const auto parsed = Sni::parseEntry(entry))
            keys.insert(parsed->key());
    }
    for (const SniItemRef &item : QList<SniItemRef>(m_items)) {
        if (!keys.contains(item->key))
            removeItem(item->key);
    }
    for (const QString &entry : entries)
        addItem(entry);
}

void StatusNotifierHost::addItem(const QString &entry)
{
    // Filed under one key whatever form the watcher uses, so that its
    // signals, its list and our answers all find the same item.
    const auto parsed = Sni::parseEntry(entry);
    if (!parsed || m_byEntry.contains(parsed->key()) || m_items.size() >= Sni::maxItemsPerWatcher)
        return;
    auto item = SniItemRef::create();
    item->address = parsed->address;
    item->key = parsed->key();
    item->pathGiven = parsed->pathGiven;
    item->sequence = m_nextSequence++;
    item->windowNumber = m_nextWindowNumber++;
    item->coalesce.setSingleShot(true);
    item->coalesce.setInterval(Sni::coalesceMs);
    const QWeakPointer<SniItemState> weak = item;
    connect(&item->coalesce, &QTimer::timeout, this, [this, weak]() {
        if (const SniItemRef strong = weak.toStrongRef())
            fetch(strong);
    });
    m_items.append(item);
    m_byEntry.insert(item->key, item);
    m_incomplete.append(item);
    if (item->address.service.isEmpty()) {
        findService(item);
    } else if (item->address.service.startsWith(QLatin1Char(':'))) {
        item->owner = item->address.service;
        resolvePid(item);
        fetch(item);
    } else {
        resolveOwner(item);
    }
}

void StatusNotifierHost::removeItem(const QString &entry)
{
    const auto parsed = Sni::parseEntry(entry);
    if (!parsed)
        return;
    const SniItemRef item = m_byEntry.take(parsed->key());
    if (!item)
        return;
    m_items.removeOne(item);
    item->coalesce.stop();
    if (item->isListed())
        emit changed();
}

void StatusNotifierHost::clearItems()
{
    const bool hadListed = std::any_of(m_items.cbegin(), m_items.cend(), [](const SniItemRef &i) { return i->isListed(); });
    for (const SniItemRef &item : std::as_const(m_items))
        item->coalesce.stop();
    m_items.clear();
    m_byEntry.clear();
    m_incomplete.clear();
    if (hadListed)
        emit changed();
}

void StatusNotifierHost::resolveOwner(const SniItemRef &item)
{
    const auto ask = DBus::busDaemonCall(QStringLiteral("GetNameOwner"), {item->address.service});
    const QWeakPointer<SniItemState> weak = item;
    DBus::callAsync(m_connection, ask, this, [this, weak](const QDBusMessage &reply) {
        const SniItemRef item = weak.toStrongRef();
        if (!item || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return; // a name without owner never shows up
        item->owner = reply.arguments().constFirst().toString();
        resolvePid(item);
        fetch(item);
    });
}

struct StatusNotifierHost::PathSearch
{
    bool found = false;
    int budget = 64; // objects introspected at most
};

void StatusNotifierHost::searchPath(const SniItemRef &item, const QString &path, int depth,
                                    const QSharedPointer<PathSearch> &search)
{
    auto introspect = QDBusMessage::createMethodCall(item->owner, path, IntrospectableInterface,
                                                     QStringLiteral("Introspect"));
    --search->budget;
    const QWeakPointer<SniItemState> weak = item;
    DBus::callAsync(m_connection, introspect, this, [this, weak, path, depth, search](const QDBusMessage &reply) {
        const SniItemRef item = weak.toStrongRef();
        if (!item || search->found || m_byEntry.value(item->key) != item || reply.type() != QDBusMessage::ReplyMessage
            || reply.arguments().isEmpty())
            return;
        const Sni::IntrospectedNode node = Sni::parseIntrospection(path, reply.arguments().constFirst().toString());
        if (node.isItem) {
            search->found = true;
            item->address.path = path;
            item->interfaceName = Sni::ItemInterface;
            item->triedFallbackInterface = false;
            fetch(item);
            return;
        }
        for (const QString &child : node.children) {
            if (depth >= Sni::maxMenuDepth || search->budget <= 0)
                break;
            searchPath(item, child, depth + 1, search);
        }
    });
}

void StatusNotifierHost::findService(const SniItemRef &item)
{
    // A watcher that lists a bare object path does not say whose it is: the
    // connection that answers for an item there is taken, unless it is
    // already listed with that path under another entry.
    const auto names = DBus::busDaemonCall(QStringLiteral("ListNames"));
    const QWeakPointer<SniItemState> weak = item;
    DBus::callAsync(m_connection, names, this, [this, weak](const QDBusMessage &reply) {
        const SniItemRef item = weak.toStrongRef();
        if (!item || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        const QStringList all = reply.arguments().constFirst().toStringList();
        auto claimed = QSharedPointer<bool>::create(false);
        int asked = 0;
        for (const QString &name : all) {
            if (!name.startsWith(QLatin1Char(':')) || name == m_connection.baseService()
                || name == m_ownWatcherConnection)
                continue;
            if (++asked > 256)
                break;
            auto probe = QDBusMessage::createMethodCall(name, item->address.path, Sni::PropertiesInterface,
                                                        QStringLiteral("Get"));
            probe << Sni::ItemInterface << QStringLiteral("Status");
            DBus::callAsync(m_connection, probe, this, [this, weak, name, claimed](const QDBusMessage &answer) {
                const SniItemRef item = weak.toStrongRef();
                if (!item || *claimed || answer.type() != QDBusMessage::ReplyMessage
                    || m_byEntry.value(item->key) != item)
                    return;
                const bool taken = std::any_of(m_items.cbegin(), m_items.cend(), [&](const SniItemRef &other) {
                    return other != item && other->owner == name && other->address.path == item->address.path;
                });
                if (taken)
                    return;
                *claimed = true;
                item->owner = name;
                resolvePid(item);
                fetch(item);
            });
        }
    });
}

void StatusNotifierHost::resolvePid(const SniItemRef &item)
{
    const auto ask = DBus::busDaemonCall(QStringLiteral("GetConnectionUnixProcessID"), {item->owner});
    item->resolvingPid = true;
    const QWeakPointer<SniItemState> weak = item;
    DBus::callAsync(m_connection, ask, this, [this, weak](const QDBusMessage &reply) {
        const SniItemRef item = weak.toStrongRef();
        if (!item)
            return;
        item->resolvingPid = false;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        const qint64 pid = reply.arguments().constFirst().toLongLong();
        if (pid <= 0 || pid > std::numeric_limits<qint32>::max())
            return;
        item->pid = qint32(pid);
        if (item->isListed())
            emit changed();
    });
}

void StatusNotifierHost::retryMissing()
{
    const QList<QWeakPointer<SniItemState>> waiting = std::exchange(m_incomplete, {});
    for (const QWeakPointer<SniItemState> &weak : waiting) {
        const SniItemRef item = weak.toStrongRef();
        if (!item || item->isListed() || m_byEntry.value(item->key) != item)
            continue; // complete, or no longer registered
        m_incomplete.append(weak);
        if (!item->propertiesArrived && !item->fetching && !item->owner.isEmpty())
            fetch(item);
        if (item->pid <= 0 && !item->owner.isEmpty() && !item->resolvingPid)
            resolvePid(item);
    }
}

void StatusNotifierHost::onItemSignal(const QDBusMessage &message)
{
    const QString sender = message.service();
    const QString path = message.path();
    for (const SniItemRef &item : std::as_const(m_items)) {
        if (item->owner == sender && item->address.path == path)
            scheduleFetch(item);
    }
}

void StatusNotifierHost::scheduleFetch(const SniItemRef &item)
{
    if (!item->coalesce.isActive())
        item->coalesce.start();
}

void StatusNotifierHost::fetch(const SniItemRef &item)
{
    if (item->owner.isEmpty())
        return;
    if (item->fetching) {
        item->refetch = true; // one GetAll in flight per item
        return;
    }
    item->fetching = true;
    auto getAll = QDBusMessage::createMethodCall(item->owner, item->address.path, Sni::PropertiesInterface,
                                                 QStringLiteral("GetAll"));
    getAll << item->interfaceName;
    const QWeakPointer<SniItemState> weak = item;
    DBus::callAsync(m_connection, getAll, this, [this, weak](const QDBusMessage &reply) {
        const SniItemRef item = weak.toStrongRef();
        if (!item || m_byEntry.value(item->key) != item)
            return;
        item->fetching = false;
        QVariantMap properties;
        bool ok = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty();
        if (ok) {
            const QVariant first = reply.arguments().constFirst();
            if (first.canConvert<QDBusArgument>()) {
                const auto argument = first.value<QDBusArgument>();
                ok = argument.currentSignature() == QLatin1String("a{sv}");
                if (ok)
                    argument >> properties;
            } else {
                ok = false;
            }
        }
        // A watcher that named only the service leaves the path to us: an
        // item elsewhere than at the default path is looked for once.
        if (!ok && !item->pathGiven && !item->pathSearched && isMissingObject(reply.errorName())) {
            item->pathSearched = true;
            item->refetch = false;
            searchPath(item, QStringLiteral("/"), 0, QSharedPointer<PathSearch>::create());
            return;
        }
        // Some clients answer only under the other interface name; a timeout
        // or a vanished client says nothing about that.
        const bool interfaceMissing = ok ? properties.isEmpty() : isInterfaceError(reply.errorName());
        if (interfaceMissing && !item->triedFallbackInterface) {
            item->triedFallbackInterface = true;
            item->interfaceName = Sni::FallbackItemInterface;
            item->refetch = true;
        } else if (ok) {
            applyProperties(item, properties);
        }
        if (item->refetch) {
            item->refetch = false;
            if (item->coalesce.interval() > Sni::coalesceMs)
                scheduleFetch(item); // paced: its pictures are large
            else
                fetch(item);
        }
    }, Sni::propertiesTimeoutMs);
}

void StatusNotifierHost::applyProperties(const SniItemRef &item, const QVariantMap &properties)
{
    const QString themePath = textValue(properties, QStringLiteral("IconThemePath"));
    item->id = textValue(properties, QStringLiteral("Id"));
    item->title = textValue(properties, QStringLiteral("Title"));
    item->toolTipTitle = Sni::readToolTip(properties.value(QStringLiteral("ToolTip"))).title;
    item->status = textValue(properties, QStringLiteral("Status"));
    const QVariant menu = properties.value(QStringLiteral("Menu"));
    item->menuPath = menu.metaType() == QMetaType::fromType<QDBusObjectPath>() ? menu.value<QDBusObjectPath>().path()
                                                                                 : QString();
    if (item->menuPath == QLatin1String("/") || !Sni::isValidObjectPath(item->menuPath))
        item->menuPath.clear();
    const QVariant isMenu = properties.value(QStringLiteral("ItemIsMenu"));
    item->itemIsMenu = isMenu.metaType() == QMetaType::fromType<bool>() && isMenu.toBool();
    const qint64 pictureBytes =
        updatePicture(item, properties, false, themePath) + updatePicture(item, properties, true, themePath);
    // An item that sends megabytes of pictures is read again at a pace that
    // keeps them under a fixed rate, however often it announces a change.
    item->coalesce.setInterval(int(std::clamp(pictureBytes / Sni::pictureBytesPerMs, qint64(Sni::coalesceMs),
                                              qint64(Sni::maxPaceMs))));
    item->propertiesArrived = true;
    if (item->isListed())
        emit changed();
}

qint64 StatusNotifierHost::updatePicture(const SniItemRef &item, const QVariantMap &properties, bool attention,
                                         const QString &themePath)
{
    QImage &image = attention ? item->attentionIcon : item->icon;
    QByteArray &source = attention ? item->attentionIconSource : item->iconSource;
    // Whatever this picture is now, a file still being read for it is stale.
    const quint64 ticket = ++(attention ? item->attentionIconTicket : item->iconTicket);
    const auto pixmaps = Sni::readPixmaps(
        properties.value(attention ? QStringLiteral("AttentionIconPixmap") : QStringLiteral("IconPixmap")));
    qint64 claimed = 0; // what the pixmaps say they carry, read or not
    for (const Sni::Pixmap &pixmap : pixmaps)
        claimed += pixmap.width > 0 && pixmap.height > 0 ? qint64(4) * pixmap.width * pixmap.height : 0;
    const int chosen = Sni::choosePixmap(pixmaps, iconPixels);
    if (chosen >= 0) {
        // The same pixmap sent again is recognised by a hash, not decoded again.
        const Sni::Pixmap &pixmap = pixmaps[chosen];
        const QByteArray made = "pixmap " + QByteArray::number(pixmap.width) + 'x' + QByteArray::number(pixmap.height)
                                + ' ' + QByteArray::number(quint64(qHash(QByteArrayView(pixmap.bytes))));
        if (made != source) {
            image = Pictures::fitted(Sni::decodePixmap(pixmap), iconPixels);
            source = made;
        }
        return claimed;
    }
    const QString name =
        textValue(properties, attention ? QStringLiteral("AttentionIconName") : QStringLiteral("IconName"));
    if (name.isEmpty()) {
        image = QImage();
        source.clear();
        return claimed;
    }
    source = "name";
    // The previous picture stays until the new one has been read.
    const QWeakPointer<SniItemState> weak = item;
    const QString slot = item->address.entry() + (attention ? QStringLiteral(" attention") : QString());
    const auto known = m_icons->request(slot, name, themePath, [this, weak, attention, ticket](const QImage &read) {
        const SniItemRef item = weak.toStrongRef();
        if (!item || ticket != (attention ? item->attentionIconTicket : item->iconTicket))
            return; // a newer picture was asked for meanwhile
        (attention ? item->attentionIcon : item->icon) = read;
        if (item->isListed())
            emit changed();
    });
    if (known)
        image = *known;
    return claimed;
}

} // namespace Trayvane
