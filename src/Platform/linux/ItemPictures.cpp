// Pictures of the items' status windows, and their cache.
#include "Platform/linux/ItemPictures.h"

#include "Platform/linux/ListedItems.h"
#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedTray.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSet>

namespace Trayvane {

double screenScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1.0, screen->devicePixelRatio()) : 1.0;
}

ItemPictures::ItemPictures(XEmbedTray &xembed, ListedItems &listed) : m_xembed(xembed), m_listed(listed) {}

void ItemPictures::forgetAbsent(const QList<SniItemRef> &items)
{
    QSet<quint32> windows;
    for (const SniItemRef &item : items)
        windows.insert(item->windowNumber);
    m_pictures.removeIf([&windows](const auto &entry) { return !windows.contains(entry.key()); });
}

QImage ItemPictures::create(const QRectF &rect, quint32 windowID)
{
    if (!(rect.width() > 0.0 && rect.height() > 0.0) || rect.width() > 4096.0 || rect.height() > 4096.0)
        return {};
    if (windowID & xembedWindowBit)
        return xembedPicture(rect, windowID & ~xembedWindowBit);
    const ListedItems::Snapshot &current = m_listed.current();
    const int index = current.indexByWindowNumber.value(windowID, -1);
    if (index < 0)
        return {};
    const SniItemState &item = *current.items.at(index);
    const QImage icon = item.status == QLatin1String("NeedsAttention") && !item.attentionIcon.isNull()
                            ? item.attentionIcon
                            : item.icon;
    if (icon.isNull())
        return {};
    const double scale = screenScale();
    Picture &picture = m_pictures[windowID];
    if (picture.iconKey == icon.cacheKey() && picture.slot == rect.size() && picture.scale == scale
        && !picture.image.isNull())
        return picture.image;
    // A square around the icon with the margin an application icon has in the
    // panel (18 of 22), so that captured and application icons look alike.
    const double slot = std::min({Sni::barSlot, rect.width(), rect.height()});
    QImage image(QSize(qCeil(slot * scale), qCeil(slot * scale)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    const double side = slot * 18.0 / 22.0;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF((slot - side) / 2.0, (slot - side) / 2.0, side, side), icon);
    }
    picture = {icon.cacheKey(), rect.size(), scale, image};
    return image;
}

QImage ItemPictures::xembedPicture(const QRectF &rect, quint32 window)
{
    const QImage content = m_xembed.picture(window);
    if (content.isNull())
        return {};
    const double scale = screenScale();
    QImage image(QSize(qCeil(rect.width() * scale), qCeil(rect.height() * scale)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    const double side = std::min({Sni::barSlot, rect.width(), rect.height()}) - 2.0;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF size = QSizeF(content.size()).scaled(side, side, Qt::KeepAspectRatio);
    painter.drawImage(QRectF((rect.width() - size.width()) / 2.0, (rect.height() - size.height()) / 2.0,
                             size.width(), size.height()),
                      content);
    painter.end();
    return image;
}

} // namespace Trayvane
