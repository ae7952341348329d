// Paints an item's picture scaled to fit.
#include "ItemPicture.h"

#include <QPainter>

namespace Trayvane {

ItemPicture::ItemPicture(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void ItemPicture::setImage(const QImage &image)
{
    if (image.cacheKey() == m_image.cacheKey())
        return;
    m_image = image;
    update();
    emit imageChanged();
}

QRectF ItemPicture::fittedRect(const QSizeF &source, const QRectF &bounds)
{
    if (source.isEmpty() || bounds.isEmpty())
        return {};
    const QSizeF fitted = source.scaled(bounds.size(), Qt::KeepAspectRatio);
    return {bounds.x() + (bounds.width() - fitted.width()) / 2.0,
            bounds.y() + (bounds.height() - fitted.height()) / 2.0, fitted.width(), fitted.height()};
}

void ItemPicture::paint(QPainter *painter)
{
    if (m_image.isNull())
        return;
    const QRectF target = fittedRect(m_image.size(), QRectF(0, 0, width(), height()));
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, m_image);
}

} // namespace Trayvane
