// The order file's reader and byte-exact writer.
#include "Services/OrderStore.h"

#include "Platform/AtomicWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace Trayvane::OrderStore {

std::optional<QStringList> decode(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    QStringList keys;
    keys.reserve(array.size());
    for (const QJsonValue &value : array) {
        if (!value.isString())
            return std::nullopt;
        keys.append(value.toString());
    }
    return keys;
}

QByteArray encode(const QStringList &keys)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(2 + keys.size() * 32);
    out.append('[');
    bool first = true;
    for (const QString &key : keys) {
        if (!first)
            out.append(',');
        first = false;
        out.append('"');
        for (const char c : key.toUtf8()) {
            const auto byte = static_cast<unsigned char>(c);
            switch (byte) {
            case '"': out.append("\\\""); break;
            case '\\': out.append("\\\\"); break;
            case '/': out.append("\\/"); break;
            case '\b': out.append("\\b"); break;
            case '\f': out.append("\\f"); break;
            case '\n': out.append("\\n"); break;
            case '\r': out.append("\\r"); break;
            case '\t': out.append("\\t"); break;
            default:
                if (byte < 0x20) {
                    out.append("\\u00");
                    out.append(hex[byte >> 4]);
                    out.append(hex[byte & 0xf]);
                } else {
                    out.append(c);
                }
            }
        }
        out.append('"');
    }
    out.append(']');
    return out;
}

LoadResult load(const QString &path, QStringList &keys)
{
    if (path.isEmpty())
        return LoadResult::Missing;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return LoadResult::Missing;
    if (!info.isFile() || info.size() > maximumFileSize)
        return LoadResult::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    const QByteArray data = file.read(maximumFileSize + 1);
    if (file.error() != QFileDevice::NoError || data.size() > maximumFileSize)
        return LoadResult::Unreadable;
    std::optional<QStringList> decoded = decode(data);
    if (!decoded)
        return LoadResult::Unreadable;
    keys = std::move(*decoded);
    return LoadResult::Loaded;
}

std::optional<QString> setAside(const QString &path)
{
    // Bounded, so a folder full of earlier asides cannot make this loop long.
    constexpr int maxAsideNames = 1000;
    const QString base = path + QStringLiteral(".unreadable");
    for (int n = 0; n < maxAsideNames; ++n) {
        const QString aside = n == 0 ? base : base + QLatin1Char('.') + QString::number(n);
        const QFileInfo info(aside);
        if (info.exists() || info.isSymLink())
            continue;
        // QFile::rename never replaces an existing target.
        if (QFile::rename(path, aside))
            return aside;
    }
    return std::nullopt;
}

bool save(const QString &path, const QStringList &keys)
{
    return writeFileAtomically(path, encode(keys));
}

} // namespace Trayvane::OrderStore
