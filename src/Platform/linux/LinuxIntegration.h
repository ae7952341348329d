// Connects the Linux-only parts to the application object: the control
// interface on the session bus, and the choice between the tray icon and the
// fallback window, following whether a desktop shows Trayvane's own item.
#pragma once

#include <QObject>

#include <functional>

namespace Trayvane {

class MenuBarService;
class Platform;

/// Exports the control interface and, when `platform` is the Linux backend,
/// calls `useFallbackIcon(true)` whenever no other host shows Trayvane's own
/// status item and `useFallbackIcon(false)` when one does. The returned object
/// (owned by `parent`) holds the connections.
QObject *attachLinuxIntegration(Platform &platform, MenuBarService &service, std::function<void()> togglePanel,
                                std::function<void(bool)> useFallbackIcon, QObject *parent);

} // namespace Trayvane
