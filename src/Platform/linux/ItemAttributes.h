// The attributes the service reads of another application's status items,
// answered from StatusNotifierItems and legacy X11 tray icons.
//
// The service walks an accessibility-like tree; this backend maps it onto
// what the host and the X11 tray keep:
//
// - An application is a process other than Trayvane with at least one
//   listed item (a StatusNotifierItem whose properties and owner's pid are
//   known, or a docked X11 tray icon). Its "AXExtrasMenuBar" is its bar,
//   absent when the process has no item (any more).
// - The bar's "AXChildren" are the process's items: its StatusNotifierItems
//   in registration order (one per object, whichever name registered it
//   first), then its X11 tray icons in docking order.
// - A StatusNotifierItem's "AXDescription" is its Title, else its ToolTip's
//   title; its "AXTitle" is its Id. An X11 tray icon's description is its
//   window's title, else its class, else its instance; its title is its
//   window class. Every text is cut to what the backend keeps; empty texts
//   are absent.
// - "AXPosition" and "AXSize" place the item on a virtual bar: slot `rank` of
//   `Sni::barSlot` points, at y 0. An item the desktop does not display has
//   width 0, which the service reads as hidden. A StatusNotifierItem is
//   displayed while a host other than Trayvane shows items and its Status is
//   not Passive; an X11 tray icon while it is docked in another program's
//   tray. X11 tray icons take the ranks from `xembedFirstRank` on.
// - An item that left between the scan's reads answers CannotComplete; an
//   element of another backend, Failure.
#pragma once

#include "Platform/linux/SniProtocol.h"

#include "Platform/Platform.h"
#include "Platform/PlatformElement.h"
#include "Platform/linux/ListedItems.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

namespace Trayvane {

namespace Sni {

// Geometry of the virtual bar the items are placed on.
constexpr double barSlot = 24.0;

/// The item's description for the service: its Title, else its tooltip's
/// title; absent when both are empty.
inline std::optional<QString> itemDescription(const QString &title, const QString &toolTipTitle)
{
    if (!title.isEmpty())
        return title;
    if (!toolTipTitle.isEmpty())
        return toolTipTitle;
    return std::nullopt;
}

/// The item's title for the service: its Id; absent when empty.
inline std::optional<QString> itemTitle(const QString &id)
{
    if (id.isEmpty())
        return std::nullopt;
    return id;
}

/// The item's place on the virtual bar, from its 1-based rank in registration
/// order and whether the desktop displays it.
inline QRectF barGeometry(int rank, bool displayed)
{
    return QRectF(barSlot * rank, 0.0, displayed ? barSlot : 0.0, barSlot);
}

/// Whether a desktop shows the item: another host is present and the item
/// is not passive.
inline bool isDisplayed(bool otherHostPresent, const QString &status)
{
    return otherHostPresent && status != QLatin1String("Passive");
}

} // namespace Sni

class StatusNotifierHost;
class XEmbedTray;

class ItemAttributes
{
public:
    ItemAttributes(const StatusNotifierHost &host, const XEmbedTray &xembed, ListedItems &listed);

    /// One attribute of an element this backend handed out.
    AttributeResult copy(const ElementRef &element, const QString &attribute);

private:
    // A StatusNotifierItem's answers, made once per rebuild of the listing:
    // everything they are made of (the item's texts and status, another
    // host's presence) rebuilds it when it changes, so a scan that finds
    // nothing changed copies them instead of making them again.
    struct Answers
    {
        AttributeResult description;
        AttributeResult title;
        AttributeResult position;
        AttributeResult size;
    };

    const QList<Answers> &answers(const ListedItems::Snapshot &current);

    const StatusNotifierHost &m_host;
    const XEmbedTray &m_xembed;
    ListedItems &m_listed;
    QList<Answers> m_answers; // by rank - 1
    quint64 m_answersGeneration = 0; // the listing's rebuild they were made for
};

} // namespace Trayvane
