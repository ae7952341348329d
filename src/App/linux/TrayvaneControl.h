// The control interface on the session bus (interface and object named in
// data/org.trayvane.Trayvane.xml, whose generated adaptor calls the methods
// below): lets a window-manager hotkey open the panel and lets scripts list
// and activate items.
#pragma once

#include <QDBusConnection>
#include <QJsonObject>
#include <QObject>

#include <functional>

namespace Trayvane {

class MenuBarService;
struct MenuBarItem;

class TrayvaneControl : public QObject
{
    Q_OBJECT

public:
    static inline const QString ObjectPath = QStringLiteral("/org/trayvane/Trayvane");

    /// Exports the interface on `connection`; `togglePanel` opens or closes
    /// the panel. Owning the bus name is the application's business.
    TrayvaneControl(MenuBarService &service, std::function<void()> togglePanel,
                    const QDBusConnection &connection = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~TrayvaneControl() override;

    bool isExported() const { return m_exported; }

    /// One item as the JSON object the interface hands out.
    static QJsonObject itemObject(const MenuBarItem &item);

    // The interface's methods.
    void TogglePanel();
    void Refresh();
    /// The current items as a JSON array, in the service's order: the
    /// compact text of itemObject() for each, written once per publish.
    QString Items() const;
    /// Clicks the first item with this id; false when there is none.
    bool Activate(const QString &id);

private:
    MenuBarService &m_service;
    std::function<void()> m_togglePanel;
    QDBusConnection m_connection;
    bool m_exported = false;
    mutable QString m_itemsJson; // null until asked for after a publish
};

} // namespace Trayvane
