// The table of desktops' settings programs.
#include "Platform/linux/SettingsPrograms.h"

#include <QList>
#include <QProcess>

#include <utility>

namespace Trayvane::SettingsPrograms {

QStringList command(const QString &currentDesktop)
{
    static const QList<std::pair<QString, QStringList>> known{
        {QStringLiteral("kde"), {QStringLiteral("systemsettings")}},
        {QStringLiteral("gnome"), {QStringLiteral("gnome-control-center")}},
        {QStringLiteral("unity"), {QStringLiteral("gnome-control-center")}},
        {QStringLiteral("xfce"), {QStringLiteral("xfce4-settings-manager")}},
        {QStringLiteral("mate"), {QStringLiteral("mate-control-center")}},
        {QStringLiteral("x-cinnamon"), {QStringLiteral("cinnamon-settings")}},
        {QStringLiteral("cinnamon"), {QStringLiteral("cinnamon-settings")}},
        {QStringLiteral("lxqt"), {QStringLiteral("lxqt-config")}},
        {QStringLiteral("budgie"), {QStringLiteral("budgie-control-center")}},
        {QStringLiteral("deepin"), {QStringLiteral("dde-control-center")}},
    };
    for (const QString &desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const auto &[name, command] : known) {
            if (desktop.compare(name, Qt::CaseInsensitive) == 0)
                return command;
        }
    }
    return {};
}

bool open()
{
    const QStringList command = SettingsPrograms::command(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (command.isEmpty())
        return false;
    return QProcess::startDetached(command.constFirst(), command.mid(1));
}

} // namespace Trayvane::SettingsPrograms
