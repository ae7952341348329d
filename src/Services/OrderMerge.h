// Puts freshly scanned items into the saved order.
#pragma once

#include "Models/MenuBarItem.h"

#include <QStringList>

#include <vector>

namespace Trayvane::OrderMerge {

/// The form in which order keys are compared: two texts are equal here
/// exactly when they are canonically equivalent.
QString canonical(const QString &text);
QStringList canonical(const QStringList &texts);

/// Each saved key, in order, takes the first remaining item (in discovery
/// order) with that key; the items left over follow, sorted by x (stable; an
/// x that is not a number sorts after every number). With no saved keys the
/// result is all items sorted by x. `canonicalKeys` must be in canonical()
/// form. Returns, for each place of the result, the index of its item in
/// `discovered`. Costs O(K + N) besides the sort of the leftovers.
std::vector<qsizetype> order(const MenuBarItemList &discovered, const QStringList &canonicalKeys);

/// `discovered` rearranged as order() says.
MenuBarItemList merge(MenuBarItemList discovered, const QStringList &canonicalKeys);

/// `items` rearranged so that place i holds items[order[i]]; `order` must be
/// a permutation of the list's indices.
MenuBarItemList arranged(MenuBarItemList items, const std::vector<qsizetype> &order);

} // namespace Trayvane::OrderMerge
