// Paints text as a path so that it can take a gradient fill.
#include "GradientText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>

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

void GradientText::setOutlined(bool outlined)
{
    if (outlined == m_outlined)
        return;
    m_outlined = outlined;
    update();
    emit textChanged();
}

void GradientText::setBadge(const QString &badge)
{
    if (badge == m_badge)
        return;
    m_badge = badge;
    update();
    emit textChanged();
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

    QPainterPath badge;
    if (!m_badge.isEmpty()) {
        // At a little over half the size, its ink flush with the bottom-trailing
        // corner of the main ink, and a gap of a twentieth of the size around it.
        const qreal size = m_font.pixelSize() > 0 ? m_font.pixelSize() : m_font.pointSizeF() * 4.0 / 3.0;
        QFont small = m_font;
        small.setPixelSize(std::max(1, qRound(size * 0.58)));
        badge.addText(QPointF(), small, m_badge);
        const QRectF ink = path.boundingRect();
        const QRectF badgeInk = badge.boundingRect();
        badge.translate(ink.right() + size * 0.08 - badgeInk.right(), ink.bottom() + size * 0.02 - badgeInk.bottom());
        QPainterPathStroker gap;
        gap.setWidth(size * 0.1);
        gap.setJoinStyle(Qt::RoundJoin);
        path = path.subtracted(gap.createStroke(badge).united(badge));
    }

    const QBrush brush = fillBrush();
    const QPen outline(brush, strokeWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setRenderHint(QPainter::Antialiasing);
    if (!m_outlined)
        painter->fillPath(path, brush);
    if (strokeWidth() > 0.0)
        painter->strokePath(path, outline);
    if (!badge.isEmpty())
        painter->fillPath(badge, brush);
}

} // namespace Trayvane
