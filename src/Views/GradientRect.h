// A rounded rectangle (or capsule) filled with a linear gradient in any
// direction, optionally outlined; the outline is centred on the edge.
#pragma once

#include "GradientFill.h"

namespace Trayvane {

class GradientRect : public GradientFill
{
    Q_OBJECT
    QML_ELEMENT
    // Corner radius; a negative value makes a capsule (half the shorter side).
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY shapeChanged FINAL)
    Q_PROPERTY(QColor strokeColor READ strokeColor WRITE setStrokeColor NOTIFY shapeChanged FINAL)

public:
    explicit GradientRect(QQuickItem *parent = nullptr);

    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor &color);

    void paint(QPainter *painter) override;

signals:
    void shapeChanged();

private:
    qreal m_radius = 0.0;
    QColor m_strokeColor = Qt::transparent;
};

} // namespace Trayvane
