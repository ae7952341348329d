// Paints the status icon from the symbol font.
#include "MenuBarLabel.h"

#include "Symbols.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace Trayvane {

QColor MenuBarLabel::teal(bool dark)
{
    return dark ? QColor(64, 200, 224) : QColor(48, 176, 199);
}

QImage MenuBarLabel::coloredImage(int pixels, bool dark)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const QString glyph = Symbols::glyph(QStringLiteral("square.grid.3x3.square"));
    const QString family = Symbols::fontFamily();
    if (glyph.isEmpty() || family.isEmpty())
        return image; // an empty icon, like a missing symbol

    QFont font(family);
    font.setPixelSize(pixels);
    QPainterPath path;
    path.addText(0, 0, font, glyph);
    const QRectF bounds = path.boundingRect();
    path.translate((pixels - bounds.width()) / 2.0 - bounds.x(), (pixels - bounds.height()) / 2.0 - bounds.y());

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, teal(dark));
    // Medium weight: a hairline of the fill around the glyph's single weight.
    painter.strokePath(path, QPen(teal(dark), pixels / 48.0));
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
