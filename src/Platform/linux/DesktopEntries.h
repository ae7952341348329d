// Finds the desktop entry of the process behind a tray item, for the name,
// identifier and icon the panel shows. The entries under the XDG data
// directories are read once into an index; each process is then matched by
// its Flatpak id, its systemd unit, the desktop file it was launched from, or
// by comparing its item id and process name with the entries.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Trayvane {

/// Desktop files larger than this are not read.
constexpr qint64 maxDesktopFileSize = 256 * 1024;

/// The keys of a desktop file's [Desktop Entry] group with their values as
/// written (neither unescaped nor localized). Other groups and comments are
/// skipped, and a key given twice keeps its first value.
QHash<QString, QString> desktopEntryKeys(const QByteArray &contents);

/// The parts of one desktop entry that the backend uses.
struct DesktopEntry
{
    QString id;   // desktop-file id: relative path, "/" as "-", no ".desktop"
    QString name; // localized Name
    QString icon; // Icon: a theme name or an absolute path
    QString path;
    QString startupWMClass;
    QStringList executables; // basenames of Exec and TryExec
};

/// What is known about a process when its entry is looked up.
struct ProcessFacts
{
    qint32 pid = 0;
    QString flatpakAppId;       // [Application] name of .flatpak-info
    QString cgroupUnit;         // last component of the systemd cgroup path
    QString launchedDesktopFile;
    qint32 launchedDesktopFilePid = 0;
    QString processName;        // comm
    QString itemId;             // the Id of the process's first item
};

class DesktopEntryIndex
{
public:
    /// Reads every application entry below `dataDirs` (earlier directories win)
    /// with names in the language of `localeName` (for example "de_DE.UTF-8").
    void load(const QStringList &dataDirs, const QString &localeName);

    /// $XDG_DATA_HOME followed by $XDG_DATA_DIRS, with the standard defaults.
    static QStringList standardDataDirs();
    /// The message locale of the environment (LC_ALL, LC_MESSAGES, LANG).
    static QString environmentLocale();

    /// The entry of a process, trying the sources in their fixed order.
    std::optional<DesktopEntry> find(const ProcessFacts &facts) const;

    std::optional<DesktopEntry> byId(const QString &id) const;
    int size() const { return int(m_entries.size()); }

    /// Reads a process's facts from a /proc-like tree (never blocks on peers).
    static ProcessFacts readProcess(qint32 pid, const QString &procRoot = QStringLiteral("/proc"));
    /// Desktop-file ids a systemd unit name may stand for, most likely first:
    /// "app-gnome-org.foo.Bar-1234.scope" gives "gnome-org.foo.Bar" and "org.foo.Bar".
    static QStringList unitCandidates(const QString &unit);
    /// Parses one desktop file; nothing when it is not a shown application.
    static std::optional<DesktopEntry> parseFile(const QString &path, const QString &id, const QString &localeName);
    /// Parses the text of a desktop file found at `path`; nothing when it is
    /// not a shown application.
    static std::optional<DesktopEntry> parseContents(const QByteArray &contents, const QString &path,
                                                     const QString &id, const QString &localeName);

private:
    QList<DesktopEntry> m_entries;
    QHash<QString, int> m_byId;
    QHash<QString, int> m_byPath;
};

} // namespace Trayvane
