// Puts freshly scanned items into the saved order.
#pragma once

#include "Models/MenuBarItem.h"

#include <QStringList>

namespace Trayvane::OrderMerge {

/// The form in which order keys are compared: two texts are equal here
/// exactly when they are canonically equivalent.
QString canonical(const QString &text);
QStringList canonical(const QStringList &texts);

/// Stable sort, left to right by the origin x of the frame. An x that is not a
/// number sorts after every number (it has no place among them otherwise, and
/// a comparison without a strict order would make the sort undefined).
void sortByX(MenuBarItemList &items);

/// Each saved key, in order, takes the first remaining item (in discovery
/// order) with that key; the items left over follow, sorted by x. With no
/// saved keys the result is all items sorted by x. `canonicalKeys` must be in
/// canonical() form. Costs O(K + N) besides the sort of the leftovers.
MenuBarItemList merge(MenuBarItemList discovered, const QStringList &canonicalKeys);

} // namespace Trayvane::OrderMerge
