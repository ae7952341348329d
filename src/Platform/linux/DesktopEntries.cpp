// Desktop entry lookup for the processes behind tray items.
#include "Platform/linux/DesktopEntries.h"

#include "Platform/linux/SniProtocol.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace Trayvane {

namespace {

constexpr int maxEntries = 20000;

// The keys to try for a localized value, most specific first.
QStringList localeKeys(const QString &key, const QString &localeName)
{
    QString locale = localeName;
    locale = locale.section(QLatin1Char('.'), 0, 0) + (locale.contains(QLatin1Char('@'))
                                                           ? QLatin1Char('@') + locale.section(QLatin1Char('@'), 1)
                                                           : QString());
    QString modifier;
    if (const qsizetype at = locale.indexOf(QLatin1Char('@')); at >= 0) {
        modifier = locale.mid(at + 1);
        locale.truncate(at);
    }
    const QString lang = locale.section(QLatin1Char('_'), 0, 0);
    const QString country = locale.contains(QLatin1Char('_')) ? locale.section(QLatin1Char('_'), 1) : QString();
    QStringList keys;
    auto add = [&](const QString &suffix) { keys.append(key + QLatin1Char('[') + suffix + QLatin1Char(']')); };
    if (!lang.isEmpty() && lang != QLatin1String("C") && lang != QLatin1String("POSIX")) {
        if (!country.isEmpty() && !modifier.isEmpty())
            add(lang + QLatin1Char('_') + country + QLatin1Char('@') + modifier);
        if (!country.isEmpty())
            add(lang + QLatin1Char('_') + country);
        if (!modifier.isEmpty())
            add(lang + QLatin1Char('@') + modifier);
        add(lang);
    }
    keys.append(key);
    return keys;
}

// The basename of a command line's program, skipping an "env VAR=..." prefix.
QString commandBasename(const QString &command)
{
    static const QRegularExpression token(QStringLiteral("\"([^\"]*)\"|(\\S+)"));
    auto it = token.globalMatch(command);
    bool afterEnv = false;
    while (it.hasNext()) {
        const auto match = it.next();
        const QString word = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
        const QString base = QFileInfo(word).fileName();
        if (!afterEnv && base == QLatin1String("env")) {
            afterEnv = true;
            continue;
        }
        if (afterEnv && (word.contains(QLatin1Char('=')) || word.startsWith(QLatin1Char('-'))))
            continue;
        return base;
    }
    return {};
}

QString unescapeUnit(QString text)
{
    static const QRegularExpression escape(QStringLiteral("\\\\x([0-9a-fA-F]{2})"));
    QString out;
    qsizetype last = 0;
    auto it = escape.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        out += text.mid(last, match.capturedStart() - last);
        out += QChar(match.captured(1).toUShort(nullptr, 16));
        last = match.capturedEnd();
    }
    out += text.mid(last);
    return out;
}

QString readSmallFile(const QString &path, qint64 limit = 64 * 1024)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(limit));
}

} // namespace

QHash<QString, QString> desktopEntryKeys(const QByteArray &contents)
{
    QHash<QString, QString> values;
    bool inMainGroup = false;
    QTextStream stream(contents);
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!values.contains(key))
            values.insert(key, line.mid(equals + 1).trimmed());
    }
    return values;
}

QStringList DesktopEntryIndex::standardDataDirs()
{
    QStringList dirs;
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.local/share");
    dirs.append(home);
    QString system = qEnvironmentVariable("XDG_DATA_DIRS");
    if (system.isEmpty())
        system = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : system.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs.append(dir);
    return dirs;
}

QString DesktopEntryIndex::environmentLocale()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

std::optional<DesktopEntry> DesktopEntryIndex::parseFile(const QString &path, const QString &id,
                                                         const QString &localeName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxDesktopFileSize)
        return std::nullopt;
    return parseContents(file.read(maxDesktopFileSize), path, id, localeName);
}

std::optional<DesktopEntry> DesktopEntryIndex::parseContents(const QByteArray &contents, const QString &path,
                                                             const QString &id, const QString &localeName)
{
    const QHash<QString, QString> values = desktopEntryKeys(contents);
    if (values.value(QStringLiteral("Type")) != QLatin1String("Application")
        || values.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    entry.path = path;
    for (const QString &key : localeKeys(QStringLiteral("Name"), localeName)) {
        if (const QString value = values.value(key); !value.isEmpty()) {
            entry.name = value;
            break;
        }
    }
    entry.icon = values.value(QStringLiteral("Icon"));
    entry.startupWMClass = values.value(QStringLiteral("StartupWMClass"));
    for (const char *key : {"Exec", "TryExec"}) {
        const QString base = commandBasename(values.value(QLatin1String(key)));
        if (!base.isEmpty() && !entry.executables.contains(base))
            entry.executables.append(base);
    }
    return entry;
}

void DesktopEntryIndex::load(const QStringList &dataDirs, const QString &localeName)
{
    m_entries.clear();
    m_byId.clear();
    m_byPath.clear();
    for (const QString &dataDir : dataDirs) {
        const QString root = QDir(dataDir).filePath(QStringLiteral("applications"));
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext() && m_entries.size() < maxEntries) {
            const QString path = it.next();
            QString id = QDir(root).relativeFilePath(path);
            id.chop(int(qstrlen(".desktop")));
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (m_byId.contains(id))
                continue; // an earlier directory already provides this id
            auto entry = parseFile(path, id, localeName);
            if (!entry) {
                m_byId.insert(id, -1); // still hides the same id further down
                continue;
            }
            m_byId.insert(id, int(m_entries.size()));
            m_byPath.insert(QFileInfo(path).canonicalFilePath(), int(m_entries.size()));
            m_entries.append(*entry);
        }
    }
}

std::optional<DesktopEntry> DesktopEntryIndex::byId(const QString &id) const
{
    const int index = m_byId.value(id, -1);
    if (index < 0)
        return std::nullopt;
    return m_entries.at(index);
}

QStringList DesktopEntryIndex::unitCandidates(const QString &unit)
{
    QString name = unit;
    bool scope = false;
    if (name.endsWith(QLatin1String(".scope"))) {
        name.chop(6);
        scope = true;
    } else if (name.endsWith(QLatin1String(".service"))) {
        name.chop(8);
    } else {
        return {};
    }
    if (!name.startsWith(QLatin1String("app-")))
        return {};
    name = name.mid(4);
    if (scope) {
        // app[-launcher]-ID-RANDOM.scope
        const qsizetype dash = name.lastIndexOf(QLatin1Char('-'));
        if (dash <= 0)
            return {};
        name.truncate(dash);
    } else if (const qsizetype at = name.indexOf(QLatin1Char('@')); at >= 0) {
        name.truncate(at); // app[-launcher]-ID@RANDOM.service
    }
    QStringList candidates{unescapeUnit(name)};
    if (const qsizetype dash = name.indexOf(QLatin1Char('-')); dash > 0)
        candidates.append(unescapeUnit(name.mid(dash + 1))); // without the launcher
    return candidates;
}

ProcessFacts DesktopEntryIndex::readProcess(qint32 pid, const QString &procRoot)
{
    ProcessFacts facts;
    facts.pid = pid;
    if (pid <= 0)
        return facts;
    const QString base = procRoot + QLatin1Char('/') + QString::number(pid);
    facts.processName = readSmallFile(base + QStringLiteral("/comm"), 256).trimmed();
    // The kernel keeps only the first 15 bytes of a program's name: a longer
    // one is taken whole from the command line when it begins the same way, so
    // that "telegram-desktop" finds its desktop entry and shows its full name.
    constexpr qsizetype kernelNameBytes = 15;
    if (facts.processName.toUtf8().size() >= kernelNameBytes) {
        QFile cmdline(base + QStringLiteral("/cmdline"));
        if (cmdline.open(QIODevice::ReadOnly)) {
            const QByteArray first = cmdline.read(4096).split('\0').constFirst();
            // A program that rewrote its command line may leave its arguments
            // after the name, separated by spaces.
            const QString program = QFileInfo(QString::fromLocal8Bit(first)).fileName().section(QLatin1Char(' '), 0, 0);
            if (program.size() > facts.processName.size() && program.startsWith(facts.processName))
                facts.processName = Sni::capText(program);
        }
    }

    const QString flatpak = readSmallFile(base + QStringLiteral("/root/.flatpak-info"));
    bool inApplication = false;
    for (const QString &raw : flatpak.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inApplication = line == QLatin1String("[Application]");
        } else if (inApplication && line.startsWith(QLatin1String("name="))) {
            facts.flatpakAppId = line.mid(5).trimmed();
            break;
        }
    }

    // The unified hierarchy line is "0::/user.slice/.../app-...scope".
    for (const QString &line : readSmallFile(base + QStringLiteral("/cgroup")).split(QLatin1Char('\n'))) {
        const QString path = line.section(QLatin1Char(':'), 2);
        const QString last = path.section(QLatin1Char('/'), -1);
        if (last.endsWith(QLatin1String(".scope")) || last.endsWith(QLatin1String(".service"))) {
            facts.cgroupUnit = last;
            break;
        }
    }

    QFile environ(base + QStringLiteral("/environ"));
    if (environ.open(QIODevice::ReadOnly)) {
        const QByteArray data = environ.read(1024 * 1024);
        for (const QByteArray &pair : data.split('\0')) {
            if (pair.startsWith("GIO_LAUNCHED_DESKTOP_FILE="))
                facts.launchedDesktopFile = QString::fromLocal8Bit(pair.mid(26));
            else if (pair.startsWith("GIO_LAUNCHED_DESKTOP_FILE_PID="))
                facts.launchedDesktopFilePid = pair.mid(30).toInt();
        }
    }
    return facts;
}

std::optional<DesktopEntry> DesktopEntryIndex::find(const ProcessFacts &facts) const
{
    if (!facts.flatpakAppId.isEmpty()) {
        if (auto entry = byId(facts.flatpakAppId))
            return entry;
    }
    for (const QString &candidate : unitCandidates(facts.cgroupUnit)) {
        if (auto entry = byId(candidate))
            return entry;
    }
    // Inherited by children of the launched program: only trust it for the
    // process that was launched.
    if (!facts.launchedDesktopFile.isEmpty() && facts.launchedDesktopFilePid == facts.pid) {
        const int index = m_byPath.value(QFileInfo(facts.launchedDesktopFile).canonicalFilePath(), -1);
        if (index >= 0)
            return m_entries.at(index);
    }
    for (const QString &name : {facts.itemId, facts.processName}) {
        if (name.isEmpty())
            continue;
        for (const DesktopEntry &entry : m_entries) {
            if (entry.id.compare(name, Qt::CaseInsensitive) == 0
                || entry.startupWMClass.compare(name, Qt::CaseInsensitive) == 0
                || entry.executables.contains(name, Qt::CaseInsensitive))
                return entry;
        }
    }
    return std::nullopt;
}

} // namespace Trayvane
