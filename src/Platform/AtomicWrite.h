// Whole-file atomic writes: a reader sees the old content or the new, never a
// part, and a failed write leaves the old file in place.
#pragma once

#include <QByteArray>
#include <QString>

namespace Trayvane {

/// Writes `bytes` aside and then replaces `path` with them. Returns whether
/// the new content is in place.
bool writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace Trayvane
