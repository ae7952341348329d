// Paints text as a path so that it can take a gradient fill.
#include "GradientText.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Trayvane {

GradientText::GradientText(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &GradientText::fillChanged, this, [this] { update(); });
}

void GradientText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateImplicitSize();
    update();
    emit textChanged();
}

void GradientText::setFont(const QFont &font)
{
    if (font == m_font)
        return;
    m_font = font;
    updateImplicitSize();
    update();
    emit fontChanged();
}

void GradientText::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    emit fillChanged();
}

void GradientText::setEndColor(const QColor &color)
{
    if (color == m_endColor)
        return;
    m_endColor = color;
    emit fillChanged();
}

void GradientText::setStartPoint(const QPointF &point)
{
    if (point == m_startPoint)
        return;
    m_startPoint = point;
    emit fillChanged();
}

void GradientText::setEndPoint(const QPointF &point)
{
    if (point == m_endPoint)
        return;
    m_endPoint = point;
    emit fillChanged();
}

void GradientText::setStrokeWidth(qreal width)
{
    if (qFuzzyCompare(width, m_strokeWidth))
        return;
    m_strokeWidth = width;
    emit fillChanged();
}

void GradientText::updateImplicitSize()
{
    const QFontMetricsF metrics(m_font);
    setImplicitSize(std::ceil(metrics.horizontalAdvance(m_text)), std::ceil(metrics.height()));
}

void GradientText::paint(QPainter *painter)
{
    if (m_text.isEmpty())
        return;
    const QFontMetricsF metrics(m_font);
    const QSizeF natural(metrics.horizontalAdvance(m_text), metrics.height());
    // Centred in the item, like a label in a larger frame.
    const QPointF origin((width() - natural.width()) / 2.0, (height() - natural.height()) / 2.0 + metrics.ascent());

    QPainterPath path;
    path.addText(origin, m_font, m_text);

    QBrush brush(m_color);
    if (m_endColor.isValid()) {
        QLinearGradient gradient(QPointF(m_startPoint.x() * width(), m_startPoint.y() * height()),
                                 QPointF(m_endPoint.x() * width(), m_endPoint.y() * height()));
        gradient.setColorAt(0.0, m_color);
        gradient.setColorAt(1.0, m_endColor);
        brush = QBrush(gradient);
    }
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, brush);
    if (m_strokeWidth > 0.0)
        painter->strokePath(path, QPen(brush, m_strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

} // namespace Trayvane
