// Draws the application icon (an SVG) into an .icns file for the macOS
// bundle: one PNG per size the Finder and System Settings ask for, each drawn
// from the SVG at that size, inside the margin of Apple's icon grid.
//
//   trayvane_make_icns ICON.svg OUT.icns
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>

namespace {

struct Entry
{
    const char *type;
    int pixels;
};

// PNG entries, by type: 16, 32, 64, 128, 256, 512, 1024 pixels and the
// double-resolution variants of the smaller point sizes.
constexpr Entry entries[] = {
    {"icp4", 16}, {"icp5", 32}, {"icp6", 64}, {"ic07", 128}, {"ic08", 256}, {"ic09", 512},
    {"ic10", 1024}, {"ic11", 32}, {"ic12", 64}, {"ic13", 256}, {"ic14", 512},
};

// The artwork fills about 80 % of the canvas, like the system's own icons.
constexpr double margin = 0.1;

QByteArray png(QSvgRenderer &svg, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const double inset = pixels * margin;
        svg.render(&painter, QRectF(inset, inset, pixels - 2 * inset, pixels - 2 * inset));
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

void appendBigEndian(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: trayvane_make_icns ICON.svg OUT.icns\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QByteArray body;
    for (const Entry &entry : entries) {
        const QByteArray image = png(svg, entry.pixels);
        body.append(entry.type, 4);
        appendBigEndian(body, quint32(8 + image.size()));
        body.append(image);
    }
    QByteArray icns("icns");
    appendBigEndian(icns, quint32(8 + body.size()));
    icns.append(body);

    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(icns) != icns.size() || !out.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
