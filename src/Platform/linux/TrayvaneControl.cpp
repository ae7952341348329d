// The control interface on the session bus.
#include "Platform/linux/TrayvaneControl.h"

#include "Services/MenuBarService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Trayvane {

TrayvaneControl::TrayvaneControl(MenuBarService &service, std::function<void()> togglePanel,
                                 const QDBusConnection &connection, QObject *parent)
    : QObject(parent), m_service(service), m_togglePanel(std::move(togglePanel)), m_connection(connection)
{
    new TrayvaneControlAdaptor(this);
    if (m_connection.isConnected())
        m_exported = m_connection.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors);
}

TrayvaneControl::~TrayvaneControl()
{
    if (m_exported && m_connection.isConnected())
        m_connection.unregisterObject(ObjectPath);
}

QJsonObject TrayvaneControl::itemObject(const MenuBarItem &item)
{
    return QJsonObject{
        {QStringLiteral("id"), item.id},
        {QStringLiteral("ownerName"), item.ownerName},
        {QStringLiteral("displayName"), item.displayName},
        {QStringLiteral("bundleIdentifier"),
         item.bundleIdentifier ? QJsonValue(*item.bundleIdentifier) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("orderKey"), item.orderKey()},
        {QStringLiteral("ownerPID"), item.ownerPID},
        {QStringLiteral("isHidden"), item.isHidden},
    };
}

QString TrayvaneControl::itemsJson() const
{
    QJsonArray array;
    for (const MenuBarItem &item : m_service.items())
        array.append(itemObject(item));
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

bool TrayvaneControl::activate(const QString &id)
{
    for (const MenuBarItem &item : m_service.items()) {
        if (item.id == id) {
            m_service.clickItem(item);
            return true;
        }
    }
    return false;
}

void TrayvaneControl::refresh()
{
    m_service.scan();
}

void TrayvaneControl::togglePanel()
{
    if (m_togglePanel)
        m_togglePanel();
}

} // namespace Trayvane
