// How an item's texts map onto the attributes the service reads, and where
// an item sits on the virtual bar. Pure functions, tested on their own.
//
// The protocol's names and limits, its registration forms and its values
// live in SniProtocol.h, SniRegistration.h and SniTypes.h (included here).
#pragma once

#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/SniRegistration.h"
#include "Platform/linux/SniTypes.h"

#include <QRectF>
#include <QString>

#include <optional>

namespace Trayvane::Sni {

// Geometry of the virtual bar the items are placed on.
constexpr double barSlot = 24.0;

/// Cuts a peer's text to the length the backend keeps.
QString capText(const QString &text);

/// The item's description for the service: its Title, else its tooltip's
/// title; absent when both are empty.
std::optional<QString> itemDescription(const QString &title, const QString &toolTipTitle);

/// The item's title for the service: its Id; absent when empty.
std::optional<QString> itemTitle(const QString &id);

/// The item's place on the virtual bar, from its 1-based rank in registration
/// order and whether the desktop displays it.
QRectF barGeometry(int rank, bool displayed);

/// Whether a desktop shows the item: another host is present and the item
/// is not passive.
bool isDisplayed(bool otherHostPresent, const QString &status);

} // namespace Trayvane::Sni
