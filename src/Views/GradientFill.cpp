// The shared fill of the gradient-painted items.
#include "GradientFill.h"

#include <QLinearGradient>

namespace Trayvane {

GradientFill::GradientFill(QColor color, QPointF startPoint, QPointF endPoint, QQuickItem *parent)
    : QQuickPaintedItem(parent), m_color(color), m_startPoint(startPoint), m_endPoint(endPoint)
{
    setAntialiasing(true);
    connect(this, &GradientFill::fillChanged, this, [this] { update(); });
}

#define TRAYVANE_FILL_SETTER(Name, member, Type) \
    void GradientFill::Name(Type value)          \
    {                                            \
        if (member == value)                     \
            return;                              \
        member = value;                          \
        emit fillChanged();                      \
    }

TRAYVANE_FILL_SETTER(setColor, m_color, const QColor &)
TRAYVANE_FILL_SETTER(setEndColor, m_endColor, const QColor &)
TRAYVANE_FILL_SETTER(setStartPoint, m_startPoint, const QPointF &)
TRAYVANE_FILL_SETTER(setEndPoint, m_endPoint, const QPointF &)
TRAYVANE_FILL_SETTER(setStrokeWidth, m_strokeWidth, qreal)

#undef TRAYVANE_FILL_SETTER

QBrush GradientFill::fillBrush() const
{
    if (!m_endColor.isValid())
        return QBrush(m_color);
    QLinearGradient gradient(QPointF(m_startPoint.x() * width(), m_startPoint.y() * height()),
                             QPointF(m_endPoint.x() * width(), m_endPoint.y() * height()));
    gradient.setColorAt(0.0, m_color);
    gradient.setColorAt(1.0, m_endColor);
    return QBrush(gradient);
}

} // namespace Trayvane
