// The login item on Linux desktops as an XDG autostart entry.
#include "Platform/linux/XdgAutostart.h"

#include "Platform/AppIdentity.h"
#include "Platform/AtomicWrite.h"
#include "Platform/SystemLoginItem.h"
#include "Platform/linux/DesktopEntries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>

#include <algorithm>

namespace Trayvane {

namespace {

// Characters that force an Exec argument into double quotes.
bool isReservedInExec(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return reserved.contains(c);
}

// Undoes the escapes of a string value (\s \n \t \r \\).
QString unescapeString(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            result.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': result.append(QLatin1Char(' ')); break;
        case 'n': result.append(QLatin1Char('\n')); break;
        case 't': result.append(QLatin1Char('\t')); break;
        case 'r': result.append(QLatin1Char('\r')); break;
        case '\\': result.append(QLatin1Char('\\')); break;
        default: result.append(c).append(next); break;
        }
    }
    return result;
}

QString escapeString(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\': result.append(QLatin1String("\\\\")); break;
        case '\n': result.append(QLatin1String("\\n")); break;
        case '\t': result.append(QLatin1String("\\t")); break;
        case '\r': result.append(QLatin1String("\\r")); break;
        default: result.append(c); break;
        }
    }
    return result;
}

bool isTrue(const QString &value)
{
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

bool isFalse(const QString &value)
{
    return value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
}

// Two paths name the same program when they resolve to the same file; a path
// that does not exist (any more) is compared as written.
QString comparablePath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

XdgAutostart::XdgAutostart(QObject *parent)
    : XdgAutostart(QCoreApplication::applicationFilePath(), parent)
{
}

XdgAutostart::XdgAutostart(const QString &executablePath, QObject *parent)
    : LoginItem(parent)
    , m_executablePath(executablePath)
{
}

QString XdgAutostart::entryFileName()
{
    return applicationId + QStringLiteral(".desktop");
}

QString XdgAutostart::entryPath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QLatin1String("/.config");
    return QDir::cleanPath(configHome + QLatin1String("/autostart/") + entryFileName());
}

QString XdgAutostart::execValue(const QString &path)
{
    QString argument = path;
    if (std::any_of(path.cbegin(), path.cend(), isReservedInExec)) {
        argument.clear();
        argument.append(QLatin1Char('"'));
        for (const QChar c : path) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                argument.append(QLatin1Char('\\'));
            argument.append(c);
        }
        argument.append(QLatin1Char('"'));
    }
    argument.replace(QLatin1Char('%'), QLatin1String("%%"));
    return escapeString(argument);
}

QString XdgAutostart::execProgram(const QString &rawValue)
{
    const QString value = unescapeString(rawValue);
    qsizetype i = 0;
    while (i < value.size() && (value.at(i) == QLatin1Char(' ') || value.at(i) == QLatin1Char('\t')))
        ++i;
    QString program;
    if (i < value.size() && value.at(i) == QLatin1Char('"')) {
        for (++i; i < value.size() && value.at(i) != QLatin1Char('"'); ++i) {
            if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size())
                ++i;
            program.append(value.at(i));
        }
    } else {
        for (; i < value.size() && value.at(i) != QLatin1Char(' ') && value.at(i) != QLatin1Char('\t'); ++i)
            program.append(value.at(i));
    }
    program.replace(QLatin1String("%%"), QLatin1String("%"));
    return program;
}

QByteArray XdgAutostart::entryContents(const QString &executablePath)
{
    // The installed desktop entry, started from the running executable and
    // marked on for GNOME, which starts no entry without the mark.
    QFile installed(QStringLiteral(":/data/") + entryFileName());
    if (!installed.open(QIODevice::ReadOnly))
        return {};
    QString contents;
    bool inMainGroup = false;
    const auto endMainGroup = [&] {
        if (inMainGroup)
            contents += QLatin1String("X-GNOME-Autostart-enabled=true\n");
    };
    QTextStream lines(&installed);
    while (!lines.atEnd()) {
        const QString line = lines.readLine();
        if (line.startsWith(QLatin1Char('['))) {
            endMainGroup();
            inMainGroup = line.trimmed() == QLatin1String("[Desktop Entry]");
        } else if (inMainGroup && line.startsWith(QLatin1String("Exec="))) {
            contents += QLatin1String("Exec=") + execValue(executablePath) + QLatin1Char('\n');
            continue;
        }
        contents += line + QLatin1Char('\n');
    }
    endMainGroup();
    return contents.toUtf8();
}

bool XdgAutostart::isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxDesktopFileSize)
        return false;
    const QHash<QString, QString> keys = desktopEntryKeys(file.read(maxDesktopFileSize));
    if (isTrue(keys.value(QStringLiteral("Hidden"))))
        return false;
    if (isFalse(keys.value(QStringLiteral("X-GNOME-Autostart-enabled"))))
        return false;
    const QString program = execProgram(keys.value(QStringLiteral("Exec")));
    if (program.isEmpty() || m_executablePath.isEmpty())
        return false;
    return comparablePath(program) == comparablePath(m_executablePath);
}

bool XdgAutostart::registerItem()
{
    if (m_executablePath.isEmpty() || QDir::isRelativePath(m_executablePath))
        return false;
    const QString path = entryPath();
    const QByteArray contents = entryContents(m_executablePath);
    if (contents.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    return writeFileAtomically(path, contents);
}

bool XdgAutostart::unregisterItem()
{
    const QString path = entryPath();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}

LoginItem *createSystemLoginItem(QObject *parent)
{
    return new XdgAutostart(parent);
}

} // namespace Trayvane
