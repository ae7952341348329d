// The press the service performs on an item ("AXPress"), as a click on the
// item in a desktop's bar would be:
//
// - A StatusNotifierItem that says it is only a menu (ItemIsMenu with a Menu
//   path) gets its dbusmenu shown at the pointer.
// - Any other gets Activate(x, y) at the pointer. When the application
//   refuses it (an error other than being gone or not answering), its
//   dbusmenu is shown instead, or, without one, ContextMenu(x, y) is asked.
// - An X11 tray icon gets a left click synthesized on its window (see
//   `XEmbedTray::activate`).
//
// Nothing waits for the application: the press succeeds once the call is
// sent; an item that left meanwhile answers CannotComplete.
#pragma once

#include "Platform/PlatformElement.h"

#include <QDBusConnection>
#include <QObject>

namespace Trayvane {

class StatusNotifierHost;
class XEmbedTray;
struct SniItemState;

class ItemActivation : public QObject
{
    Q_OBJECT

public:
    ItemActivation(const QDBusConnection &connection, const StatusNotifierHost &host, XEmbedTray &xembed,
                   QObject *parent = nullptr);

    /// Performs `action` on an element this backend handed out.
    int perform(const ElementRef &element, const QString &action);

private:
    void press(const SniItemState &item);

    QDBusConnection m_connection;
    const StatusNotifierHost &m_host;
    XEmbedTray &m_xembed;
};

} // namespace Trayvane
