// The desktop's settings program, which stands for the system settings'
// accessibility pane: what opens when the permission hint or the help page
// asks for the accessibility settings.
#pragma once

#include <QString>
#include <QStringList>

namespace Trayvane::SettingsPrograms {

/// The settings program of a desktop named in XDG_CURRENT_DESKTOP, with
/// its arguments; empty when none is known.
QStringList command(const QString &currentDesktop);

/// Starts the settings program of the running desktop; false when none is
/// known or it could not be started.
bool open();

} // namespace Trayvane::SettingsPrograms
