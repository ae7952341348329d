// Asynchronous D-Bus calls, the one way the backend talks to other
// applications and to the bus daemon: nothing waits for an answer, each call
// gives up after a timeout, and the answer is handled on the thread of the
// object that asked, unless that object is gone by then.
//
//   auto activate = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Activate"));
//   activate << x << y;
//   DBus::callAsync(connection, activate, this, [this](const QDBusMessage &reply) {
//       if (reply.type() == QDBusMessage::ErrorMessage)
//           ... reply.errorName() says why: an error of the peer, NoReply after
//           the timeout, ServiceUnknown / NoReply when the peer left
//   });
//
// For a generated proxy's call (QDBusPendingReply), whenAnswered() does the
// same; read the reply's arguments with the bounded readers of SniTypes.h,
// not through the QDBusPendingReply's types.
#pragma once

#include "Platform/linux/SniProtocol.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariant>

#include <functional>

class QObject;

namespace Trayvane::DBus {

/// Receives the reply: a ReplyMessage, or an ErrorMessage (also for a timeout).
using ReplyHandler = std::function<void(const QDBusMessage &reply)>;

/// Sends `message` on `connection` and calls `handler` with the reply on
/// `context`'s thread; never called when `context` is destroyed first.
void callAsync(const QDBusConnection &connection, const QDBusMessage &message, QObject *context,
               ReplyHandler handler, int timeoutMs = Sni::callTimeoutMs);

/// The same for a call already sent.
void whenAnswered(const QDBusPendingCall &call, QObject *context, ReplyHandler handler);

/// A call to the bus daemon (org.freedesktop.DBus: GetNameOwner, NameHasOwner,
/// ListNames, GetConnectionUnixProcessID, ...), which answers by itself,
/// never after waiting on another application.
QDBusMessage busDaemonCall(const QString &method, const QVariantList &arguments = {});

/// The first argument of a successful reply; invalid for an error or a reply
/// without arguments.
QVariant firstArgument(const QDBusMessage &reply);

} // namespace Trayvane::DBus
