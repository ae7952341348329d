// Chooses the macOS backend: status items through the accessibility interface.
#include "Platform/SystemPlatform.h"

#include "Platform/mac/MacPlatform.h"

namespace Trayvane {

std::unique_ptr<Platform> createSystemPlatform()
{
    return std::make_unique<MacPlatform>();
}

} // namespace Trayvane
