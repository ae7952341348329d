// The login item on Linux desktops: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/org.trayvane.Trayvane.desktop) that starts the
// running executable when the user logs in.
#pragma once

#include "Platform/LoginItem.h"

#include <QByteArray>
#include <QString>

namespace Trayvane {

class XdgAutostart : public LoginItem
{
    Q_OBJECT

public:
    /// An autostart item for the running executable.
    explicit XdgAutostart(QObject *parent = nullptr);
    /// An autostart item for the program at `executablePath` (absolute).
    explicit XdgAutostart(const QString &executablePath, QObject *parent = nullptr);

    /// On when the entry exists, is a desktop entry that starts this
    /// executable, and is not disabled (`Hidden=true`, or the GNOME
    /// `X-GNOME-Autostart-enabled=false`).
    bool isEnabled() override;
    /// Writes the entry atomically, creating the autostart folder when needed.
    /// Fails when the folder cannot be made or written.
    bool registerItem() override;
    /// Removes the entry. Fails when it exists and cannot be removed.
    bool unregisterItem() override;

    /// The entry's file name, the program's application id.
    static QString entryFileName();
    /// Where the entry lives, from $XDG_CONFIG_HOME as it is now (an unset,
    /// empty or relative value means ~/.config).
    static QString entryPath();
    /// The whole entry that starts `executablePath`, as written to disk: the
    /// installed desktop entry with that Exec, marked on for GNOME.
    static QByteArray entryContents(const QString &executablePath);
    /// `path` as one argument of an Exec value: quoted where the desktop entry
    /// format requires it, with percent signs doubled, then escaped as a
    /// string value.
    static QString execValue(const QString &path);
    /// The program of an Exec value as read from the file: the first argument
    /// with string escapes, quoting and doubled percent signs undone.
    static QString execProgram(const QString &rawValue);

private:
    QString m_executablePath;
};

} // namespace Trayvane
