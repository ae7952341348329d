// Trayvane's own StatusNotifierItem.
#include "Platform/linux/TrayvaneStatusItem.h"

#include "Platform/linux/SniProtocol.h"
#include "statusnotifieritemadaptor.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QtEndian>

namespace Trayvane {

TrayvaneStatusItem::TrayvaneStatusItem(const QDBusConnection &connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{
    Sni::registerTypes();
    if (!m_connection.isConnected())
        return;
    new StatusNotifierItemAdaptor(this);
    m_exported = m_connection.registerObject(ObjectPath, this);
    if (!m_exported)
        return;
    // A watcher that starts later, or takes over from another, learns of the
    // item again: watchers keep no registrations across owners.
    m_watcherWatch = new QDBusServiceWatcher(Sni::WatcherService, m_connection,
                                             QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcherWatch, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                if (!newOwner.isEmpty())
                    registerWithWatcher();
            });
    registerWithWatcher();
}

TrayvaneStatusItem::~TrayvaneStatusItem()
{
    if (m_exported)
        m_connection.unregisterObject(ObjectPath);
}

void TrayvaneStatusItem::registerWithWatcher()
{
    QDBusMessage call = QDBusMessage::createMethodCall(Sni::WatcherService, Sni::WatcherPath, Sni::WatcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_connection.baseService();
    // Fire and forget: a watcher that is not there or does not answer changes nothing here.
    m_connection.call(call, QDBus::NoBlock);
}

void TrayvaneStatusItem::setIcon(const QIcon &icon)
{
    m_pixmaps = pixmapsOf(icon);
    emit NewIcon();
}

SniIconPixmapList TrayvaneStatusItem::pixmapsOf(const QIcon &icon)
{
    SniIconPixmapList list;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        const QImage image = icon.pixmap(QSize(side, side), 1.0)
                                 .toImage()
                                 .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        SniIconPixmap pixmap{image.width(), image.height(), {}};
        pixmap.bytes.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(pixmap.bytes.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        list.append(pixmap);
    }
    return list;
}

void TrayvaneStatusItem::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    emit NewStatus(status());
}

void TrayvaneStatusItem::Activate(int x, int y)
{
    if (x != 0 || y != 0)
        m_lastClick = QPoint(x, y);
    emit activated();
}

} // namespace Trayvane
