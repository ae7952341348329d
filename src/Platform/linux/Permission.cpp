// The permission check and its reset, on the bus.
#include "Platform/linux/Permission.h"

#include "Platform/linux/RunningApplications.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/StatusNotifierWatcher.h"

#include <QMetaObject>

namespace Trayvane::Permission {

bool isTrusted(const StatusNotifierHost &host)
{
    return host.isConnected() && host.isWatcherReachable();
}

void reset(RunningApplications &applications, StatusNotifierWatcher *watcher, StatusNotifierHost &host)
{
    // The counterpart of clearing a stored decision: start over on the bus.
    applications.reload();
    if (watcher)
        QMetaObject::invokeMethod(watcher, &StatusNotifierWatcher::tryStart, Qt::QueuedConnection);
    host.reset();
}

} // namespace Trayvane::Permission
