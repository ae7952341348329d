// Reading and writing the saved order: a JSON array of order keys.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace Trayvane::OrderStore {

/// Files larger than this are not a saved order; reading them is refused
/// rather than pulling an arbitrary amount into memory.
constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

/// The keys of a JSON array of strings in any valid JSON formatting; nothing
/// for anything else (not JSON, not an array, a non-string element).
std::optional<QStringList> decode(const QByteArray &json);

/// Compact JSON: no spaces, solidus written as \/, quotation mark, backslash
/// and control characters escaped, every other character plain UTF-8.
QByteArray encode(const QStringList &keys);

enum class LoadResult { Loaded, Missing, Unreadable };

/// Reads the file at `path`. `keys` is set only when the result is Loaded.
LoadResult load(const QString &path, QStringList &keys);

/// Moves the file (or whatever is) at `path` aside, next to it, as
/// `path.unreadable`, or `path.unreadable.1`, `.2`, … when that name is taken:
/// nothing that was set aside before is replaced. Returns the name it now
/// has, or nothing when it could not be moved.
std::optional<QString> setAside(const QString &path);

/// Writes the keys atomically: the old file stays in place unless the new
/// content was written completely. Returns whether it was written.
bool save(const QString &path, const QStringList &keys);

} // namespace Trayvane::OrderStore
