// A rounded rectangle (or capsule) filled with a linear gradient in any
// direction, optionally outlined; the outline is centred on the edge.
#pragma once

#include <QColor>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class GradientRect : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    // Corner radius; a negative value makes a capsule (half the shorter side).
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY shapeChanged FINAL)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY shapeChanged FINAL)
    // The gradient's end colour; an invalid colour means a flat fill.
    Q_PROPERTY(QColor endColor READ endColor WRITE setEndColor NOTIFY shapeChanged FINAL)
    Q_PROPERTY(QPointF startPoint READ startPoint WRITE setStartPoint NOTIFY shapeChanged FINAL)
    Q_PROPERTY(QPointF endPoint READ endPoint WRITE setEndPoint NOTIFY shapeChanged FINAL)
    Q_PROPERTY(QColor strokeColor READ strokeColor WRITE setStrokeColor NOTIFY shapeChanged FINAL)
    Q_PROPERTY(qreal strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY shapeChanged FINAL)

public:
    explicit GradientRect(QQuickItem *parent = nullptr);

    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor endColor() const { return m_endColor; }
    void setEndColor(const QColor &color);
    QPointF startPoint() const { return m_startPoint; }
    void setStartPoint(const QPointF &point);
    QPointF endPoint() const { return m_endPoint; }
    void setEndPoint(const QPointF &point);
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor &color);
    qreal strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(qreal width);

    void paint(QPainter *painter) override;

signals:
    void shapeChanged();

private:
    qreal m_radius = 0.0;
    QColor m_color = Qt::transparent;
    QColor m_endColor;
    QPointF m_startPoint{0.0, 0.5};
    QPointF m_endPoint{1.0, 0.5};
    QColor m_strokeColor = Qt::transparent;
    qreal m_strokeWidth = 0.0;
};

} // namespace Trayvane
