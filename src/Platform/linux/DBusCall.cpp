// Asynchronous D-Bus calls.
#include "Platform/linux/DBusCall.h"

#include <QDBusPendingCallWatcher>
#include <QObject>

namespace Trayvane::DBus {

void callAsync(const QDBusConnection &connection, const QDBusMessage &message, QObject *context,
               ReplyHandler handler, int timeoutMs)
{
    whenAnswered(connection.asyncCall(message, timeoutMs), context, std::move(handler));
}

void whenAnswered(const QDBusPendingCall &call, QObject *context, ReplyHandler handler)
{
    auto *watcher = new QDBusPendingCallWatcher(call, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, handler = std::move(handler)]() {
                         watcher->deleteLater();
                         handler(watcher->reply());
                     });
}

QDBusMessage busDaemonCall(const QString &method, const QVariantList &arguments)
{
    auto call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                               QStringLiteral("/org/freedesktop/DBus"),
                                               QStringLiteral("org.freedesktop.DBus"), method);
    call.setArguments(arguments);
    return call;
}

QVariant firstArgument(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

} // namespace Trayvane::DBus
