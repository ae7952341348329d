// The running applications the service asks for status items: every process
// with a listed StatusNotifierItem, in the order of its first item, then every
// process with only X11 tray icons. An application's name, identifier and
// icon come from its desktop entry (found by Flatpak id, systemd unit,
// launcher's note, item id or process name; see `DesktopEntryIndex`), looked
// up once per process when its first item arrives, off the scan's path; the
// identifier is the entry's id. Without an entry the name is the process name
// and the icon that of its first StatusNotifierItem.
#pragma once

#include "Platform/Platform.h"
#include "Platform/linux/DesktopEntries.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

#include <optional>

namespace Trayvane {

class StatusNotifierHost;
class XEmbedTray;

class RunningApplications
{
public:
    RunningApplications(const StatusNotifierHost &host, const XEmbedTray &xembed);

    /// Reads the desktop entries of the standard data folders.
    void load();
    /// Forgets every process and reads the desktop entries anew.
    void reload();
    /// The host's items changed: forgets processes without items, so that a
    /// reused pid is looked up anew, and looks up the new ones.
    void hostChanged();
    /// The X11 tray icons changed.
    void iconsChanged() { m_listValid = false; }
    /// Built again only after a change; the same list until then.
    QList<RunningApplication> list();

private:
    struct AppInfo
    {
        QString name;
        std::optional<QString> bundleIdentifier;
        QImage icon; // null: the icon of the first item is used
    };
    const AppInfo &appInfo(qint32 pid, const QString &firstItemId);

    const StatusNotifierHost &m_host;
    const XEmbedTray &m_xembed;
    DesktopEntryIndex m_desktopEntries;
    QHash<qint32, AppInfo> m_apps;
    QList<RunningApplication> m_list;
    bool m_listValid = false;
};

} // namespace Trayvane
