// The picture the service captures of an item's status window: a
// StatusNotifierItem's icon (its attention icon while it needs attention),
// drawn into a square of the bar's slot with the margin an application icon
// has in the panel, and kept until its icon, slot or the screen's scale
// changes; an X11 tray icon's window content as the X server has it, scaled
// into the slot, read anew each time.
#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSharedPointer>
#include <QSizeF>

namespace Trayvane {

class ListedItems;
class XEmbedTray;
struct SniItemState;

/// Device pixels per point on the primary screen, at least 1.
double screenScale();

class ItemPictures
{
public:
    ItemPictures(XEmbedTray &xembed, ListedItems &listed);

    /// The picture of one window of the window list within `rect`; null for
    /// an unknown window, an item without icon or an unreasonable rectangle.
    QImage create(const QRectF &rect, quint32 windowID);
    /// Drops the pictures of items no longer there.
    void forgetAbsent(const QList<QSharedPointer<SniItemState>> &items);

private:
    QImage xembedPicture(const QRectF &rect, quint32 window);

    XEmbedTray &m_xembed;
    ListedItems &m_listed;
    // An item's picture, drawn again only when its icon, slot or scale changes.
    struct Picture
    {
        qint64 iconKey = 0;
        QSizeF slot;
        double scale = 0.0;
        QImage image;
    };
    QHash<quint32, Picture> m_pictures; // by window number
};

} // namespace Trayvane
