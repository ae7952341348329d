// Stand-in for the SDK's version macros: macOS 14.
#pragma once
#define __MAC_14_0 140000
#define __MAC_OS_X_VERSION_MIN_REQUIRED __MAC_14_0
#define __MAC_OS_X_VERSION_MAX_ALLOWED __MAC_14_0
