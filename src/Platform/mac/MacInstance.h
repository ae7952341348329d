// The single-instance rule on macOS: copies of the program are the running
// applications with its bundle identifier. macOS only.
#pragma once

namespace Trayvane {

/// How many running applications have this program's bundle identifier (the
/// empty text when it has none), this process included.
int runningCopiesOfThisProgram();

} // namespace Trayvane
