// The platform backend of the system the program runs on.
#pragma once

#include "Platform/Platform.h"

#include <memory>

class QObject;

namespace Trayvane {

/// Creates the backend for this system. Called once by the application entry.
std::unique_ptr<Platform> createSystemPlatform();

} // namespace Trayvane
