// The fallback icon window.
#include "App/FallbackIcon.h"

#include "MenuBarLabel.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace Trayvane {

namespace {

constexpr int iconSize = 28;
constexpr int iconMargin = 6;
constexpr qreal iconRadius = 7;

} // namespace

FallbackIcon::FallbackIcon()
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Trayvane Icon"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(iconSize, iconSize);
    // Without a compositor the transparent corners would show black.
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), iconRadius, iconRadius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

void FallbackIcon::setDark(bool dark)
{
    m_dark = dark;
    update();
}

QRect FallbackIcon::placeOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return QRect(area.right() + 1 - iconSize - iconMargin, area.top() + iconMargin, iconSize, iconSize);
}

void FallbackIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = m_dark ? QColor(44, 44, 46) : QColor(250, 250, 252);
    if (m_hovered)
        fill = m_dark ? fill.lighter(130) : fill.darker(106);
    painter.setPen(QPen(m_dark ? QColor(255, 255, 255, 56) : QColor(0, 0, 0, 48), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, iconRadius - 0.5, iconRadius - 0.5);

    const qreal ratio = devicePixelRatioF();
    const int side = int(MenuBarLabel::pointSize);
    QImage icon = MenuBarLabel::coloredImage(qRound(side * ratio), m_dark);
    icon.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF((width() - side) / 2, (height() - side) / 2), icon);
}

void FallbackIcon::enterEvent(QEnterEvent *)
{
    setHovered(true);
}

void FallbackIcon::leaveEvent(QEvent *)
{
    setHovered(false);
}

void FallbackIcon::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onClicked)
        onClicked();
}

void FallbackIcon::setHovered(bool hovered)
{
    m_hovered = hovered;
    update();
}

} // namespace Trayvane
