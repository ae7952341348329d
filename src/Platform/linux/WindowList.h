// The window list the service reads to find each item's picture: one status
// window per item the desktop displays, placed where the item's attributes
// put it on the virtual bar (a full slot at y 0, on the status window
// layer), numbered by the item's stable window number; and one per X11 tray
// icon, whose number carries `xembedWindowBit`. Every X11 tray icon is listed,
// also one only Trayvane's own tray holds, since its picture can be read
// all the same.
#pragma once

#include "Platform/linux/ListedItems.h"

#include <QList>
#include <QVariant>

namespace Trayvane {

class StatusNotifierHost;
struct XEmbedIcon;

/// The window descriptions of the listed items, as the service reads them.
QVariant windowList(const ListedItems::Snapshot &listed, const StatusNotifierHost &host,
                    const QList<XEmbedIcon> &icons);

} // namespace Trayvane
