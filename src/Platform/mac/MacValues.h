// The macOS backend's value conversions that need no Apple header: numbers
// and accessibility geometry values as the platform interface passes them on,
// the fixed call options, and the login item's status rule.
#pragma once

#include "Platform/Platform.h"

#include <QVariant>

#include <cstdint>

namespace Trayvane::MacValues {

/// Seconds one accessibility request to another application may take before
/// it fails with CannotComplete, so a hung application delays a snapshot by
/// little more than this.
constexpr float messagingTimeout = 0.25f;

/// On-screen windows only (1), without desktop elements (16).
constexpr std::uint32_t windowListOptions = 17;
/// Capture of one window (list option "including window")...
constexpr std::uint32_t captureListOption = 8;
/// ...inside the given bounds, without its frame ("bounds ignore framing").
constexpr std::uint32_t captureImageOption = 1;

/// The types of an AXValue.
enum class AccessibilityValueType { Point = 1, Size = 2, Rect = 3, Range = 4, Error = 5 };

/// A number as the service reads it: a float type stays a double, every
/// other number becomes a 64-bit integer. Invalid when the platform could not
/// hand out the number.
QVariant numberValue(bool isFloatType, bool converted, qint64 integral, double real);

/// An AXValue of `type` whose payload was read as `values` (x, y for a point;
/// width, height for a size; x, y, width, height for a rect; location, length
/// for a range; the code for an error). A point, size, rect or range becomes a
/// GeometryValue of that kind (a rect keeps its origin), an error its code as
/// an int; an unknown type, or too few values, gives an invalid value.
QVariant axValue(int type, const double *values, int count);

/// The status of the main application's login item that counts as on:
/// enabled (1). Not registered (0), requiring approval (2) and not found (3)
/// count as off.
bool isLoginItemEnabled(long status);

/// Whether an unregister call did what was asked: it succeeded, or it failed
/// because nothing was registered (status not registered or not found).
bool unregisterSucceeded(bool callSucceeded, long statusAfterCall);

} // namespace Trayvane::MacValues
