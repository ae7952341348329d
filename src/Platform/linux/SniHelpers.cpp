// Pure helpers of the StatusNotifierItem backend.
#include "Platform/linux/SniHelpers.h"

#include <QDBusArgument>
#include <QRegularExpression>
#include <QVariant>
#include <QXmlStreamReader>
#include <QtEndian>

namespace Trayvane::Sni {

bool isValidBusName(const QString &name)
{
    if (name.isEmpty() || name.size() > 255)
        return false;
    if (name.startsWith(QLatin1Char(':'))) {
        static const QRegularExpression unique(QStringLiteral("^:[A-Za-z0-9_-]+(\\.[A-Za-z0-9_-]+)+$"));
        return unique.match(name).hasMatch();
    }
    static const QRegularExpression wellKnown(
        QStringLiteral("^[A-Za-z_-][A-Za-z0-9_-]*(\\.[A-Za-z_-][A-Za-z0-9_-]*)+$"));
    return wellKnown.match(name).hasMatch();
}

bool isValidObjectPath(const QString &path)
{
    if (path == QLatin1String("/"))
        return true;
    static const QRegularExpression objectPath(QStringLiteral("^(/[A-Za-z0-9_]+)+$"));
    return objectPath.match(path).hasMatch();
}

std::optional<ItemAddress> splitRegistration(const QString &argument, const QString &sender)
{
    ItemAddress address;
    if (argument.startsWith(QLatin1Char('/'))) {
        address = {sender, argument};
    } else {
        const qsizetype slash = argument.indexOf(QLatin1Char('/'));
        if (slash < 0)
            address = {argument, DefaultItemPath};
        else
            address = {argument.left(slash), argument.mid(slash)};
    }
    if (!isValidBusName(address.service) || !isValidObjectPath(address.path))
        return std::nullopt;
    return address;
}

std::optional<WatcherEntry> parseEntry(const QString &entry)
{
    if (entry.startsWith(QLatin1Char('/'))) {
        if (!isValidObjectPath(entry))
            return std::nullopt;
        return WatcherEntry{{QString(), entry}, true};
    }
    const auto address = splitRegistration(entry, QString());
    if (!address)
        return std::nullopt;
    return WatcherEntry{*address, entry.contains(QLatin1Char('/'))};
}

IntrospectedNode parseIntrospection(const QString &path, const QString &xml)
{
    IntrospectedNode node;
    QXmlStreamReader reader(xml);
    int depth = 0;
    const QString prefix = path == QLatin1String("/") ? path : path + QLatin1Char('/');
    while (!reader.atEnd() && node.children.size() < 256) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        // Only the object's own interfaces and its direct children count.
        if (depth != 2)
            continue;
        const QString name = reader.attributes().value(QLatin1String("name")).toString();
        if (reader.name() == QLatin1String("interface")) {
            if (name == ItemInterface || name == FallbackItemInterface)
                node.isItem = true;
        } else if (reader.name() == QLatin1String("node") && !name.isEmpty() && !name.contains(QLatin1Char('/'))
                   && isValidObjectPath(prefix + name)) {
            node.children.append(prefix + name);
        }
    }
    return node;
}

bool isValidPixmap(const RawPixmap &pixmap)
{
    if (pixmap.width <= 0 || pixmap.height <= 0 || pixmap.width > maxPixmapSide || pixmap.height > maxPixmapSide)
        return false;
    return qint64(pixmap.data.size()) == qint64(4) * pixmap.width * pixmap.height;
}

int choosePixmap(const QList<RawPixmap> &pixmaps, int targetSide)
{
    int covering = -1;
    int largest = -1;
    auto area = [&](int i) { return qint64(pixmaps[i].width) * pixmaps[i].height; };
    for (int i = 0; i < pixmaps.size(); ++i) {
        const RawPixmap &p = pixmaps[i];
        if (!isValidPixmap(p))
            continue;
        if (largest < 0 || area(i) > area(largest))
            largest = i;
        if (p.width >= targetSide && p.height >= targetSide && (covering < 0 || area(i) < area(covering)))
            covering = i;
    }
    return covering >= 0 ? covering : largest;
}

QImage decodePixmap(const RawPixmap &pixmap)
{
    if (!isValidPixmap(pixmap))
        return {};
    QImage image(pixmap.width, pixmap.height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const auto *source = reinterpret_cast<const uchar *>(pixmap.data.constData());
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
QList<RawPixmap> readPixmapArray(const QDBusArgument &argument)
{
    QList<RawPixmap> pixmaps;
    qint64 kept = 0;
    argument.beginArray();
    while (!argument.atEnd()) {
        RawPixmap pixmap;
        argument.beginStructure();
        argument >> pixmap.width >> pixmap.height;
        const bool usableSides = pixmap.width > 0 && pixmap.height > 0 && pixmap.width <= maxPixmapSide
                                 && pixmap.height <= maxPixmapSide;
        if (usableSides && pixmaps.size() < 64 && kept < maxPixmapBytes) {
            argument >> pixmap.data;
        } else {
            // Stepped over without copying: megabytes a peer claims for a
            // picture nobody can use cost nothing here.
            argument.beginArray();
            argument.endArray();
        }
        argument.endStructure();
        // Keep only the size of bogus entries, never megabytes of them.
        if (!isValidPixmap(pixmap))
            pixmap.data.clear();
        kept += pixmap.data.size();
        if (pixmaps.size() < 64)
            pixmaps.append(pixmap);
    }
    argument.endArray();
    return pixmaps;
}

} // namespace

QList<RawPixmap> readPixmaps(const QVariant &value)
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
