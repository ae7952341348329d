// Registration forms, watcher entries and introspection answers.
#include "Platform/linux/SniRegistration.h"

#include "Platform/linux/SniProtocol.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

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

} // namespace Trayvane::Sni
