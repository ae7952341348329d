// Pressing an item: Activate, with the item's menu as the fallback.
#include "Platform/linux/ItemActivation.h"

#include "Platform/Platform.h"
#include "Platform/linux/DBusCall.h"
#include "Platform/linux/DBusMenu.h"
#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedTray.h"

#include <QCursor>
#include <QDBusMessage>

namespace Trayvane {

namespace {

// Errors after which the item's menu is not worth trying: the application is
// gone or does not answer.
bool isUnreachable(const QString &errorName)
{
    static const QStringList names{
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
        QStringLiteral("org.freedesktop.DBus.Error.Timeout"),
        QStringLiteral("org.freedesktop.DBus.Error.TimedOut"),
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
    };
    return names.contains(errorName);
}

} // namespace

ItemActivation::ItemActivation(const QDBusConnection &connection, const StatusNotifierHost &host,
                               XEmbedTray &xembed, QObject *parent)
    : QObject(parent), m_connection(connection), m_host(host), m_xembed(xembed)
{
}

int ItemActivation::perform(const ElementRef &element, const QString &action)
{
    const auto *linuxElement = dynamic_cast<const LinuxElement *>(element.data());
    if (linuxElement && linuxElement->kind == LinuxElement::Kind::XEmbedIcon && action == AXName::Press) {
        return m_xembed.activate(quint32(linuxElement->sequence)) ? AXError::Success : AXError::CannotComplete;
    }
    if (!linuxElement || linuxElement->kind != LinuxElement::Kind::Item || action != AXName::Press)
        return AXError::Failure;
    const SniItemRef item = m_host.item(linuxElement->entry);
    if (!item || item->sequence != linuxElement->sequence || !item->isListed())
        return AXError::CannotComplete;
    press(*item);
    return AXError::Success;
}

void ItemActivation::press(const SniItemState &item)
{
    const QPoint position = QCursor::pos();
    const QString service = item.owner;
    const QString path = item.address.path;
    const QString menuPath = item.menuPath;
    const QString interface = item.interfaceName;
    if (item.itemIsMenu && !menuPath.isEmpty()) {
        DBusMenuPopup::show(m_connection, service, menuPath, position);
        return;
    }
    auto activate = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Activate"));
    activate << position.x() << position.y();
    DBus::callAsync(m_connection, activate, this, [this, service, path, menuPath, interface, position](
                                                      const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ErrorMessage || isUnreachable(reply.errorName()))
            return;
        if (!menuPath.isEmpty()) {
            DBusMenuPopup::show(m_connection, service, menuPath, position);
            return;
        }
        auto context = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("ContextMenu"));
        context << position.x() << position.y();
        m_connection.asyncCall(context, Sni::callTimeoutMs);
    });
}

} // namespace Trayvane
