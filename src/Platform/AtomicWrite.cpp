// Atomic replacement of a file through QSaveFile.
#include "Platform/AtomicWrite.h"

#include <QSaveFile>

namespace Trayvane {

bool writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Flush before committing: on a full disk the buffered write only fails
    // here, and a commit after an unnoticed failure would replace the old file
    // with an empty one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace Trayvane
