// Stand-in for the SDK's availability macros: API_AVAILABLE(macos(x.y)) marks
// a declaration with the macOS version that introduced it, as the SDK does.
#pragma once

#define TRAYVANE_APPLE_AVAILABLE_macos(version) __attribute__((availability(macos, introduced = version)))
#define API_AVAILABLE(platform) TRAYVANE_APPLE_AVAILABLE_##platform
