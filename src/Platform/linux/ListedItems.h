// Which items the service sees, and where: other processes' StatusNotifierItems
// in registration order, one per object, then the legacy X11 tray icons, placed
// on a virtual bar by rank. Rebuilt only after the host or the X11 tray
// reported a change, so a scan reads it without walking every item per
// attribute.
#pragma once

#include "Platform/PlatformElement.h"

#include <QHash>
#include <QList>
#include <QSharedPointer>
#include <QVariant>

namespace Trayvane {

class StatusNotifierHost;
class XEmbedTray;
struct SniItemState;

// X11 tray icons sit on the virtual bar from this rank on, and their window
// numbers carry this bit, which no StatusNotifierItem's number has.
constexpr int xembedFirstRank = 1000;
constexpr quint32 xembedWindowBit = 0x80000000u;

class ListedItems
{
public:
    // Other processes' items in registration order, with each item's 1-based
    // rank by its sequence.
    struct Snapshot
    {
        QList<QSharedPointer<SniItemState>> items;
        QHash<quint64, int> rankBySequence;
        QHash<quint32, int> indexByWindowNumber;
        // The handles of each process with items, the same until the next
        // change, so a scan that finds nothing changed allocates none: its
        // application, its bar, and its item elements in order (the bar's
        // children).
        struct Process
        {
            ElementRef application;
            QVariant bar;
            QVariant children;
        };
        QHash<qint32, Process> processByPid;
        quint64 generation = 0; // counts the rebuilds; item elements carry the one they were made in
    };

    ListedItems(const StatusNotifierHost &host, const XEmbedTray &xembed);

    /// The host's items or the X11 tray icons changed.
    void markDirty() { m_dirty = true; }
    const Snapshot &current();

private:
    const StatusNotifierHost &m_host;
    const XEmbedTray &m_xembed;
    Snapshot m_listed;
    quint64 m_generation = 0;
    bool m_dirty = true;
};

} // namespace Trayvane
