// Small pure helpers of the legacy X11 tray: which windows of a tray are the
// icons docked in it, what an icon is called, whether its program wants it
// mapped. Free of X11 calls so they can be tested on their own.
#pragma once

#include <QList>
#include <QString>

namespace Trayvane::XEmbed {

// Every icon window is embedded at this size.
constexpr int iconSide = 24;
// The icons of a foreign tray are read again this long after it changed.
constexpr int rescanDelayMs = 100;
// Without the XFixes extension the tray selection's owner is checked again this
// often, for trays that do not announce themselves.
constexpr int ownerPollMs = 2000;
// More icons than any desktop shows are not embedded.
constexpr int maxEmbeddedIcons = 200;
// How long Trayvane holds the tray selection for icons to dock.
constexpr int holdSelectionMs = 250;
// How long an icon of Trayvane's own tray stays under the pointer after a click.
constexpr int clickStayMs = 1500;

/// One window of the tree below a tray, as read from the X server.
struct TreeNode
{
    quint32 window = 0;
    quint32 parent = 0;
    bool viewable = false;
};

/// Whether a window was created by the X client with this resource base and mask.
inline bool isClientWindow(quint32 window, quint32 base, quint32 mask)
{
    return mask != 0 && (window & ~mask) == base;
}

/// The icons docked in a tray: windows of other clients whose parent belongs
/// to the tray's client, in tree order; unmapped ones are left out.
QList<quint32> dockedIcons(const QList<TreeNode> &tree, quint32 trayBase, quint32 trayMask);

/// An icon's name: its window title, else its class, else its instance name.
QString iconName(const QString &title, const QString &windowClass, const QString &instance);

/// Whether an icon wants to be mapped, from its _XEMBED_INFO (version, flags);
/// an icon without that property is mapped, as trays have always done.
bool wantsMapped(const QList<long> &embedInfo, bool hasInfo);

} // namespace Trayvane::XEmbed
