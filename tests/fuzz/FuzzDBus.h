// Builds D-Bus values of the shapes tray items send (and of shapes they should
// not send) from fuzz input, and passes them through a real marshal/demarshal
// on the session bus connection, so the decoders see exactly the QDBusArgument
// a peer's reply would give them.
#pragma once

#include "FuzzInput.h"

#include <QDBusArgument>
#include <QList>
#include <QVariant>
#include <QVariantMap>

struct FuzzPixmap
{
    qint32 width = 0;
    qint32 height = 0;
    QByteArray data;
};

struct FuzzToolTip
{
    QString iconName;
    QList<FuzzPixmap> pixmaps;
    QString title;
    QString text;
};

struct FuzzMenuNode
{
    qint32 id = 0;
    QVariantMap properties;
    QVariantList children; // FuzzMenuNode or anything else
};

// A menu entry of the wrong shape: (iav).
struct FuzzBadNode
{
    qint32 id = 0;
    QVariantList children;
};

Q_DECLARE_METATYPE(FuzzPixmap)
Q_DECLARE_METATYPE(FuzzToolTip)
Q_DECLARE_METATYPE(FuzzMenuNode)
Q_DECLARE_METATYPE(FuzzBadNode)

namespace FuzzDBus {

/// Creates the application object, registers the types and connects to the
/// session bus; aborts with a message when there is no bus.
void initialize();

FuzzPixmap pixmap(FuzzInput &in);
QList<FuzzPixmap> pixmaps(FuzzInput &in);
FuzzToolTip toolTip(FuzzInput &in);
/// A menu tree of at most `budget` nodes; `sound` turns false when any part
/// has a shape a reader must skip.
FuzzMenuNode menu(FuzzInput &in, int depth, int &budget, bool &sound);
/// Any value at all, some of them of the shapes above.
QVariant anyValue(FuzzInput &in, int depth = 0);

/// Sends `arguments` to a local object and returns them as received, complex
/// values as QDBusArgument. Empty when the bus refused to marshal them.
QVariantList loopback(const QVariantList &arguments);

} // namespace FuzzDBus
