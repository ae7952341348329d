// Paints text as a path so that it can take a gradient fill.
#include "GradientText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace Trayvane {

GradientText::GradientText(QQuickItem *parent)
    : GradientFill(Qt::black, QPointF(0.0, 0.0), QPointF(1.0, 1.0), parent)
{
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

    const QBrush brush = fillBrush();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, brush);
    if (strokeWidth() > 0.0)
        painter->strokePath(path, QPen(brush, strokeWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

} // namespace Trayvane
