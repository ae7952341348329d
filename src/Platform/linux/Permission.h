// What stands for the accessibility permission on this system, where reading
// other applications' status items needs no grant:
//
// - Trusted means the host can read items: it is connected to the session
//   bus and a StatusNotifierWatcher (Trayvane's or another program's) is
//   reachable. Without one the panel shows its permission hint.
// - The prompt asks nothing: there is no decision to ask the user for.
// - The reset, the counterpart of clearing a stored decision, starts over on
//   the bus: the applications' desktop entries are read anew, Trayvane's
//   watcher tries again to take the watcher name, and the host forgets every
//   item and follows the watcher afresh.
#pragma once

namespace Trayvane {

class RunningApplications;
class StatusNotifierHost;
class StatusNotifierWatcher;

namespace Permission {

bool isTrusted(const StatusNotifierHost &host);

/// `watcher` lives on its own thread and may be null (no bus at start).
void reset(RunningApplications &applications, StatusNotifierWatcher *watcher, StatusNotifierHost &host);

} // namespace Permission

} // namespace Trayvane
