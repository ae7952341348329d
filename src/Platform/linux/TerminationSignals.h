// A desktop session ends its programs with SIGTERM (or SIGHUP): the event
// loop ends instead, so that the watcher hands its items to the program
// waiting for the name rather than leaving them unregistered.
#pragma once

class QObject;

namespace Trayvane {

/// Makes SIGTERM, SIGINT and SIGHUP quit the application's event loop; the
/// notifier lives as long as `context`. Installed once per process.
void quitOnTermination(QObject *context);

} // namespace Trayvane
