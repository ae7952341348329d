// Linux-only wiring of the application object.
#include "Platform/linux/LinuxIntegration.h"

#include "Platform/linux/LinuxPlatform.h"
#include "Platform/linux/TrayvaneControl.h"

namespace Trayvane {

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
