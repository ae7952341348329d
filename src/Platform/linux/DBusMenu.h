// Shows an item's com.canonical.dbusmenu as a native menu at a screen point:
// AboutToShow, GetLayout and the "clicked" event through the proxy generated
// from interfaces/com.canonical.dbusmenu.xml, all without waiting on the
// item's application. The layout is read by a pure, bounded helper.
#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QVariantMap>

class DBusMenuProxy;
class QMenu;

namespace Trayvane {

/// One entry of a dbusmenu layout.
struct DBusMenuNode
{
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuNode> children;
};

/// Reads a (ia{sv}av) layout. Entries beyond the size and depth limits, and
/// children of another shape, are dropped. Returns false when the value is
/// not a layout at all.
bool parseDBusMenuLayout(const QVariant &value, DBusMenuNode &root);

/// A menu label with the protocol's "_" mnemonic turned into Qt's "&".
QString dbusMenuLabel(const QString &label);

class DBusMenuPopup : public QObject
{
    Q_OBJECT

public:
    /// Starts fetching the menu of `service` (the item's unique connection
    /// name) at `path`; shows it at `position`
    /// when the layout arrives and deletes itself when the menu closes or the
    /// fetch fails.
    static void show(const QDBusConnection &connection, const QString &service, const QString &path,
                     const QPoint &position);

private:
    DBusMenuPopup(const QDBusConnection &connection, const QString &service, const QString &path,
                  const QPoint &position);
    void requestLayout();
    void build(QMenu *menu, const DBusMenuNode &node);
    void sendClicked(int id);

    DBusMenuProxy *m_menuObject;
    QPoint m_position;
    QPointer<QMenu> m_menu;
};

} // namespace Trayvane
