// What the gradient-painted items share: a flat colour or a linear gradient
// between two colours, in any direction across the item's bounds, and the
// width of an outline drawn along the shape.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class GradientFill : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ANONYMOUS
    // The fill, or the gradient's start colour when endColor is valid.
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY fillChanged FINAL)
    // The gradient's end colour; an invalid colour means a flat fill.
    Q_PROPERTY(QColor endColor READ endColor WRITE setEndColor NOTIFY fillChanged FINAL)
    // Gradient end points in unit coordinates of the item (0,0 top-left).
    Q_PROPERTY(QPointF startPoint READ startPoint WRITE setStartPoint NOTIFY fillChanged FINAL)
    Q_PROPERTY(QPointF endPoint READ endPoint WRITE setEndPoint NOTIFY fillChanged FINAL)
    Q_PROPERTY(qreal strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY fillChanged FINAL)

public:
    GradientFill(QColor color, QPointF startPoint, QPointF endPoint, QQuickItem *parent);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor endColor() const { return m_endColor; }
    void setEndColor(const QColor &color);
    QPointF startPoint() const { return m_startPoint; }
    void setStartPoint(const QPointF &point);
    QPointF endPoint() const { return m_endPoint; }
    void setEndPoint(const QPointF &point);
    qreal strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(qreal width);

signals:
    void fillChanged();

protected:
    /// The flat colour, or the gradient laid across the item's current size.
    QBrush fillBrush() const;

private:
    QColor m_color;
    QColor m_endColor;
    QPointF m_startPoint;
    QPointF m_endPoint;
    qreal m_strokeWidth = 0.0;
};

} // namespace Trayvane
