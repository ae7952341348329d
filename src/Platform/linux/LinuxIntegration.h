// Connects the Linux-only parts to the application object: the control
// interface on the session bus, and the choice between the tray icon and the
// fallback window, following whether a desktop shows Trayvane's own item.
#pragma once

#include <QObject>

#include <functional>

namespace Trayvane {

class MenuBarService;
class Platform;

/// Whether another program runs a StatusNotifierWatcher now (a question to
/// the bus daemon only). Asked before Trayvane starts its own.
bool desktopHasStatusNotifierWatcher();

/// Whether an X11 system tray (XEmbed) runs on this display now.
bool desktopHasX11Tray();

/// Exports the control interface and, when `platform` is the Linux backend and
/// `useFallbackIcon` is set (the tray icon went to a StatusNotifier host),
/// calls `useFallbackIcon(true)` whenever no other host shows Trayvane's own
/// status item and `useFallbackIcon(false)` when one does. The returned object
/// (owned by `parent`) holds the connections.
QObject *attachLinuxIntegration(Platform &platform, MenuBarService &service, std::function<void()> togglePanel,
                                std::function<void(bool)> useFallbackIcon, QObject *parent);

} // namespace Trayvane
