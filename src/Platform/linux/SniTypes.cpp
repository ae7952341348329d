// The protocol's structured values and their bounded reading.
#include "Platform/linux/SniTypes.h"

#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/SniProtocol.h"

#include <QDBusMetaType>
#include <QtEndian>

namespace Trayvane::Sni {

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<Pixmap>();
        qDBusRegisterMetaType<PixmapList>();
        qDBusRegisterMetaType<ToolTip>();
        qDBusRegisterMetaType<MenuLayout>();
        qDBusRegisterMetaType<MenuProperties>();
        qDBusRegisterMetaType<MenuPropertiesList>();
        qDBusRegisterMetaType<MenuRemovedProperties>();
        qDBusRegisterMetaType<MenuRemovedPropertiesList>();
        qDBusRegisterMetaType<MenuEvent>();
        qDBusRegisterMetaType<MenuEventList>();
        return true;
    }();
    Q_UNUSED(registered)
}

QDBusArgument &operator<<(QDBusArgument &argument, const Pixmap &pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Pixmap &pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const ToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.pixmaps << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.pixmaps >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const MenuLayout &layout)
{
    argument.beginStructure();
    argument << layout.id << layout.properties << layout.children;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MenuLayout &layout)
{
    argument.beginStructure();
    argument >> layout.id >> layout.properties >> layout.children;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const MenuProperties &entry)
{
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MenuProperties &entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const MenuRemovedProperties &entry)
{
    argument.beginStructure();
    argument << entry.id << entry.names;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MenuRemovedProperties &entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.names;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const MenuEvent &event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MenuEvent &event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

bool isValidPixmap(const Pixmap &pixmap)
{
    if (pixmap.width <= 0 || pixmap.height <= 0 || pixmap.width > maxPixmapSide || pixmap.height > maxPixmapSide)
        return false;
    return qint64(pixmap.bytes.size()) == qint64(4) * pixmap.width * pixmap.height;
}

int choosePixmap(const PixmapList &pixmaps, int targetSide)
{
    int covering = -1;
    int largest = -1;
    auto area = [&](int i) { return qint64(pixmaps[i].width) * pixmaps[i].height; };
    for (int i = 0; i < pixmaps.size(); ++i) {
        const Pixmap &p = pixmaps[i];
        if (!isValidPixmap(p))
            continue;
        if (largest < 0 || area(i) > area(largest))
            largest = i;
        if (p.width >= targetSide && p.height >= targetSide && (covering < 0 || area(i) < area(covering)))
            covering = i;
    }
    return covering >= 0 ? covering : largest;
}

QImage decodePixmap(const Pixmap &pixmap)
{
    if (!isValidPixmap(pixmap))
        return {};
    QImage image(pixmap.width, pixmap.height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const auto *source = reinterpret_cast<const uchar *>(pixmap.bytes.constData());
    for (int y = 0; y < pixmap.height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < pixmap.width; ++x)
            line[x] = qFromBigEndian<quint32>(source + 4 * (qsizetype(y) * pixmap.width + x));
    }
    return image;
}

namespace {

// Reads a(iiay) from an argument positioned at it. The caller has checked the
// signature, so the reads cannot go out of step.
PixmapList readPixmapArray(const QDBusArgument &argument)
{
    PixmapList pixmaps;
    qint64 kept = 0;
    argument.beginArray();
    while (!argument.atEnd()) {
        Pixmap pixmap;
        argument.beginStructure();
        argument >> pixmap.width >> pixmap.height;
        const bool usableSides = pixmap.width > 0 && pixmap.height > 0 && pixmap.width <= maxPixmapSide
                                 && pixmap.height <= maxPixmapSide;
        if (usableSides && pixmaps.size() < maxPixmapEntries && kept < maxPixmapBytes) {
            argument >> pixmap.bytes;
        } else {
            // Stepped over without copying: megabytes a peer claims for a
            // picture nobody can use cost nothing here.
            argument.beginArray();
            argument.endArray();
        }
        argument.endStructure();
        // Keep only the size of bogus entries, never megabytes of them.
        if (!isValidPixmap(pixmap))
            pixmap.bytes.clear();
        kept += pixmap.bytes.size();
        if (pixmaps.size() < maxPixmapEntries)
            pixmaps.append(pixmap);
    }
    argument.endArray();
    return pixmaps;
}

} // namespace

PixmapList readPixmaps(const QVariant &value)
{
    if (!value.canConvert<QDBusArgument>())
        return {};
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("a(iiay)"))
        return {};
    return readPixmapArray(argument);
}

ToolTip readToolTip(const QVariant &value)
{
    ToolTip tip;
    if (!value.canConvert<QDBusArgument>())
        return tip;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(sa(iiay)ss)"))
        return tip;
    argument.beginStructure();
    argument >> tip.iconName;
    readPixmapArray(argument);
    argument >> tip.title >> tip.text;
    argument.endStructure();
    tip.iconName = capText(tip.iconName);
    tip.title = capText(tip.title);
    tip.text = capText(tip.text);
    return tip;
}

} // namespace Trayvane::Sni
