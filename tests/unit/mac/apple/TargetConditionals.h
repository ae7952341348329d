// Stand-in for the SDK's target macros: a macOS desktop build (the others
// are undefined, which the preprocessor reads as 0).
#pragma once
#define TARGET_OS_MAC 1
#define TARGET_OS_OSX 1
