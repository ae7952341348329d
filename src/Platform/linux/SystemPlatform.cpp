// Chooses the Linux backend: tray items over StatusNotifierItem.
#include "Platform/SystemPlatform.h"

#include "Platform/linux/LinuxPlatform.h"

namespace Trayvane {

std::unique_ptr<Platform> createSystemPlatform()
{
    return std::make_unique<LinuxPlatform>();
}

} // namespace Trayvane
