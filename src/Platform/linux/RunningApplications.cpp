// The processes with status items, and their desktop entries.
#include "Platform/linux/RunningApplications.h"

#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedTray.h"

#include <QSet>

namespace Trayvane {

RunningApplications::RunningApplications(const StatusNotifierHost &host, const XEmbedTray &xembed)
    : m_host(host), m_xembed(xembed)
{
}

void RunningApplications::load()
{
    m_desktopEntries.load(DesktopEntryIndex::standardDataDirs(), DesktopEntryIndex::environmentLocale());
}

void RunningApplications::reload()
{
    m_apps.clear();
    m_listValid = false;
    load();
}

void RunningApplications::hostChanged()
{
    m_listValid = false;
    // Forget processes without items, so that a reused pid is looked up anew.
    QSet<qint32> present;
    for (const SniItemRef &item : m_host.items())
        present.insert(item->pid);
    for (auto it = m_apps.begin(); it != m_apps.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_apps.erase(it);
    }
    // Application data is looked up here, off the scan's path, once per pid.
    for (const SniItemRef &item : m_host.items()) {
        if (item->isListed() && !m_apps.contains(item->pid))
            appInfo(item->pid, item->id);
    }
}

const RunningApplications::AppInfo &RunningApplications::appInfo(qint32 pid, const QString &firstItemId)
{
    if (const auto it = m_apps.constFind(pid); it != m_apps.constEnd())
        return *it;
    ProcessFacts facts = DesktopEntryIndex::readProcess(pid);
    facts.itemId = firstItemId;
    AppInfo info;
    if (const auto entry = m_desktopEntries.find(facts)) {
        info.name = entry->name.isEmpty() ? entry->id : Sni::capText(entry->name);
        info.bundleIdentifier = entry->id;
        if (!entry->icon.isEmpty())
            info.icon = loadNamedIcon(entry->icon, QString(), StatusNotifierHost::iconPixels);
    } else {
        info.name = facts.processName;
    }
    return *m_apps.insert(pid, info);
}

QList<RunningApplication> RunningApplications::list()
{
    if (m_listValid)
        return m_list;
    QList<RunningApplication> applications;
    QSet<qint32> seen;
    for (const SniItemRef &item : m_host.items()) {
        if (!item->isListed() || seen.contains(item->pid))
            continue;
        seen.insert(item->pid);
        const AppInfo &info = appInfo(item->pid, item->id);
        RunningApplication application;
        application.processIdentifier = item->pid;
        if (!info.name.isEmpty())
            application.localizedName = info.name;
        application.bundleIdentifier = info.bundleIdentifier;
        application.icon = info.icon.isNull() ? item->icon : info.icon;
        applications.append(application);
    }
    for (const XEmbedIcon &icon : m_xembed.icons()) {
        if (icon.pid <= 0 || seen.contains(icon.pid))
            continue;
        seen.insert(icon.pid);
        const AppInfo &info = appInfo(icon.pid, icon.instance);
        RunningApplication application;
        application.processIdentifier = icon.pid;
        if (!info.name.isEmpty())
            application.localizedName = info.name;
        application.bundleIdentifier = info.bundleIdentifier;
        application.icon = info.icon;
        applications.append(application);
    }
    m_list = applications;
    m_listValid = true;
    return applications;
}

} // namespace Trayvane
