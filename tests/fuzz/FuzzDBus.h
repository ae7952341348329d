// Builds D-Bus values of the shapes tray items send (and of shapes they should
// not send) from fuzz input, and passes them through a real marshal/demarshal
// on the session bus connection, so the decoders see exactly the QDBusArgument
// a peer's reply would give them.
#pragma once

#include "FuzzInput.h"
#include "Platform/linux/SniTypes.h"

#include <QVariant>

namespace FuzzDBus {

using Trayvane::Sni::MenuLayout;

Trayvane::Sni::PixmapList pixmaps(FuzzInput &in);
Trayvane::Sni::ToolTip toolTip(FuzzInput &in);
/// A menu tree of at most `budget` nodes; `sound` turns false when any part
/// has a shape a reader must skip.
MenuLayout menu(FuzzInput &in, int depth, int &budget, bool &sound);
/// Any value at all, some of them of the shapes above.
QVariant anyValue(FuzzInput &in, int depth = 0);

/// Sends `arguments` to a local object and returns them as received, complex
/// values as QDBusArgument. Empty when the bus refused to marshal them.
QVariantList loopback(const QVariantList &arguments);

} // namespace FuzzDBus
