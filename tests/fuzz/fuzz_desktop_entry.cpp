// Feeds arbitrary bytes to the desktop-entry reader and the systemd unit
// name parser.
#include "FuzzInput.h"
#include "Platform/linux/DesktopEntries.h"

using namespace Trayvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QString locales[] = {QString(), QStringLiteral("de_DE.UTF-8"), QStringLiteral("sr_RS@latin"),
                                      QStringLiteral("C")};
    const QString path = QStringLiteral("/usr/share/applications/org.example.App.desktop");
    const QString &locale = locales[size % std::size(locales)];
    const auto entry = DesktopEntryIndex::parseContents(bytes, path, QStringLiteral("org.example.App"), locale);
    if (entry) {
        check(entry->id == QLatin1String("org.example.App") && entry->path == path);
        check(entry->executables.size() <= 2);
        for (const QString &executable : entry->executables)
            check(!executable.isEmpty() && !executable.contains(QLatin1Char('/')));
    }
    const QString unit = QString::fromUtf8(bytes.left(300));
    const QStringList candidates = DesktopEntryIndex::unitCandidates(unit);
    check(candidates.size() <= 2);
    for (const QString &candidate : candidates)
        check(candidate.size() <= unit.size());
    return 0;
}
