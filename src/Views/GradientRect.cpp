// Paints a rounded rectangle with a gradient fill and a centred outline.
#include "GradientRect.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Trayvane {

GradientRect::GradientRect(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &GradientRect::shapeChanged, this, [this] { update(); });
}

#define TRAYVANE_SETTER(Name, member, Type)      \
    void GradientRect::Name(Type value)          \
    {                                            \
        if (member == value)                     \
            return;                              \
        member = value;                          \
        emit shapeChanged();                     \
    }

TRAYVANE_SETTER(setRadius, m_radius, qreal)
TRAYVANE_SETTER(setColor, m_color, const QColor &)
TRAYVANE_SETTER(setEndColor, m_endColor, const QColor &)
TRAYVANE_SETTER(setStartPoint, m_startPoint, const QPointF &)
TRAYVANE_SETTER(setEndPoint, m_endPoint, const QPointF &)
TRAYVANE_SETTER(setStrokeColor, m_strokeColor, const QColor &)
TRAYVANE_SETTER(setStrokeWidth, m_strokeWidth, qreal)

#undef TRAYVANE_SETTER

void GradientRect::paint(QPainter *painter)
{
    // The outline is centred on the shape's edge, so half of it lies outside
    // the fill; keep that half inside the item.
    const qreal inset = m_strokeWidth / 2.0;
    const QRectF box = QRectF(0, 0, width(), height()).adjusted(inset, inset, -inset, -inset);
    const qreal radius = m_radius < 0 ? std::min(box.width(), box.height()) / 2.0 : m_radius;
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);

    painter->setRenderHint(QPainter::Antialiasing);
    if (m_endColor.isValid()) {
        QLinearGradient gradient(QPointF(m_startPoint.x() * width(), m_startPoint.y() * height()),
                                 QPointF(m_endPoint.x() * width(), m_endPoint.y() * height()));
        gradient.setColorAt(0.0, m_color);
        gradient.setColorAt(1.0, m_endColor);
        painter->fillPath(path, gradient);
    } else {
        painter->fillPath(path, m_color);
    }
    if (m_strokeWidth > 0.0 && m_strokeColor.alpha() > 0)
        painter->strokePath(path, QPen(m_strokeColor, m_strokeWidth));
}

} // namespace Trayvane
