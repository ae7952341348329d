// The control interface on the session bus (org.trayvane.Trayvane at
// /org/trayvane/Trayvane): lets a window-manager hotkey open the panel and
// lets scripts list and activate items.
#pragma once

#include "Platform/AppIdentity.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
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
    static inline const QString InterfaceName = applicationId;

    /// Exports the interface on `connection`; `togglePanel` opens or closes
    /// the panel. Owning the bus name is the application's business.
    TrayvaneControl(MenuBarService &service, std::function<void()> togglePanel,
                    const QDBusConnection &connection = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~TrayvaneControl() override;

    bool isExported() const { return m_exported; }

    /// The current items as a JSON array, in the service's order: the
    /// compact text of itemObject() for each, written once per publish.
    QString itemsJson() const;
    /// Clicks the first item with this id; false when there is none.
    bool activate(const QString &id);
    void refresh();
    void togglePanel();

    /// One item as the JSON object the interface hands out.
    static QJsonObject itemObject(const MenuBarItem &item);

private:
    MenuBarService &m_service;
    std::function<void()> m_togglePanel;
    QDBusConnection m_connection;
    bool m_exported = false;
    mutable QString m_itemsJson; // null until asked for after a publish
};

class TrayvaneControlAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    // moc takes only a literal here; it is the same name as InterfaceName.
    Q_CLASSINFO("D-Bus Interface", "org.trayvane.Trayvane")

public:
    explicit TrayvaneControlAdaptor(TrayvaneControl *control) : QDBusAbstractAdaptor(control), m_control(control) {}

public slots:
    void TogglePanel() { m_control->togglePanel(); }
    void Refresh() { m_control->refresh(); }
    QString Items() { return m_control->itemsJson(); }
    bool Activate(const QString &id) { return m_control->activate(id); }

private:
    TrayvaneControl *m_control;
};

} // namespace Trayvane
