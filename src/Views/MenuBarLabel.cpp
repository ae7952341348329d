// Paints the status icon: a rounded frame around a three-by-three grid of
// cells, laid on whole pixels at the sizes trays use so that the grid stays
// visible at 16 pixels as well.
#include "MenuBarLabel.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace Trayvane {

namespace {

// The drawing at one size, in pixels: the cells' side, the space between
// them, where the first cell starts, the frame's line width and its corner
// radius. The frame's inner edge keeps one `margin` from the cells.
struct IconLayout
{
    double cell;
    double gap;
    double start;
    double margin;
    double stroke;
    double radius;
};

IconLayout layoutFor(int pixels)
{
    switch (pixels) {
    case 16:
        return {2, 2, 3, 1, 1, 3};
    case 22:
        return {4, 2, 3, 1, 1.5, 4.5};
    case 24:
        return {4, 2, 4, 1, 2, 5};
    default: {
        // Other sizes scale the 24-pixel drawing.
        const double k = pixels / 24.0;
        const double cell = std::round(4 * k);
        const double gap = std::round(2 * k);
        // Cells on whole pixels: a half-pixel start blurs the space around them.
        return {cell, gap, std::floor((pixels - 3 * cell - 2 * gap) / 2), std::round(k), std::max(1.0, std::round(2 * k)),
                5 * k};
    }
    }
}

} // namespace

QColor MenuBarLabel::teal(bool dark)
{
    return dark ? QColor(64, 200, 224) : QColor(48, 176, 199);
}

QImage MenuBarLabel::coloredImage(int pixels, bool dark)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (pixels < 8)
        return image;
    const IconLayout l = layoutFor(pixels);
    const QColor color = teal(dark);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // The frame, centred on its line so that the inner edge lands where the layout says.
    const double inner = l.start - l.margin;
    const double grid = 3 * l.cell + 2 * l.gap;
    const double middle = inner - l.stroke / 2;
    const QRectF frame(middle, middle, grid + 2 * l.margin + l.stroke, grid + 2 * l.margin + l.stroke);
    painter.setPen(QPen(color, l.stroke));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, l.radius - l.stroke / 2, l.radius - l.stroke / 2);

    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const double cellRadius = l.cell >= 4 ? l.cell / 4 : 0;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF cell(l.start + column * (l.cell + l.gap), l.start + row * (l.cell + l.gap), l.cell, l.cell);
            if (cellRadius > 0)
                painter.drawRoundedRect(cell, cellRadius, cellRadius);
            else
                painter.fillRect(cell, color);
        }
    }
    return image;
}

QIcon MenuBarLabel::coloredIcon(bool dark)
{
    QIcon icon;
    for (int pixels : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(coloredImage(pixels, dark)));
    icon.setIsMask(false);
    return icon;
}

} // namespace Trayvane
