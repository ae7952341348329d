// Linux-only wiring of the application object.
#include "Platform/linux/LinuxIntegration.h"

#include "Platform/linux/LinuxPlatform.h"
#include "Platform/linux/TrayvaneControl.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>

#include <string>

namespace Trayvane {

bool desktopHasStatusNotifierWatcher()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

bool desktopHasX11Tray()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), True);
    return selection != None && XGetSelectionOwner(display, selection) != None;
}

QObject *attachLinuxIntegration(Platform &platform, MenuBarService &service, std::function<void()> togglePanel,
                                std::function<void(bool)> useFallbackIcon, QObject *parent)
{
    auto *control = new TrayvaneControl(service, std::move(togglePanel), QDBusConnection::sessionBus(), parent);
    if (auto *linuxPlatform = dynamic_cast<LinuxPlatform *>(&platform); linuxPlatform && useFallbackIcon) {
        QObject::connect(linuxPlatform, &LinuxPlatform::ownItemDisplayedChanged, control,
                         [useFallbackIcon](bool displayed) { useFallbackIcon(!displayed); });
        // Hiding and showing the tray icon makes Qt register it with the new watcher.
        QObject::connect(linuxPlatform, &LinuxPlatform::trayIconRegistrationLost, control,
                         [useFallbackIcon, linuxPlatform]() {
                             useFallbackIcon(true);
                             useFallbackIcon(!linuxPlatform->isOwnItemDisplayed());
                         });
    }
    return control;
}

} // namespace Trayvane
