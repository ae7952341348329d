// Paints a rounded rectangle with a gradient fill and a centred outline.
#include "GradientRect.h"

#include <QPainter>
#include <QPainterPath>

namespace Trayvane {

GradientRect::GradientRect(QQuickItem *parent)
    : GradientFill(Qt::transparent, QPointF(0.0, 0.5), QPointF(1.0, 0.5), parent)
{
    connect(this, &GradientRect::shapeChanged, this, [this] { update(); });
}

void GradientRect::setRadius(qreal radius)
{
    if (radius == m_radius)
        return;
    m_radius = radius;
    emit shapeChanged();
}

void GradientRect::setStrokeColor(const QColor &color)
{
    if (color == m_strokeColor)
        return;
    m_strokeColor = color;
    emit shapeChanged();
}

void GradientRect::paint(QPainter *painter)
{
    // The outline is centred on the shape's edge, so half of it lies outside
    // the fill; keep that half inside the item.
    const qreal inset = strokeWidth() / 2.0;
    const QRectF box = QRectF(0, 0, width(), height()).adjusted(inset, inset, -inset, -inset);
    const qreal radius = m_radius < 0 ? std::min(box.width(), box.height()) / 2.0 : m_radius;
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);

    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, fillBrush());
    if (strokeWidth() > 0.0 && m_strokeColor.alpha() > 0)
        painter->strokePath(path, QPen(m_strokeColor, strokeWidth()));
}

} // namespace Trayvane
