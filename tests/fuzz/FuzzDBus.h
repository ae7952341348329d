// Builds D-Bus values of the shapes tray items send (and of shapes they should
// not send) from fuzz input, and passes them through a real marshal/demarshal
// on the session bus connection, so the decoders see exactly the QDBusArgument
// a peer's reply would give them. Also libFuzzer's set-up of every D-Bus
// fuzzer; include it in one file of each.
#pragma once

#include "FuzzInput.h"
#include "Platform/linux/SniTypes.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>

namespace FuzzDBus {

namespace {

using namespace Trayvane::Sni;

QVariant anyValue(FuzzInput &in, int depth = 0);

const QString ObjectPath = QStringLiteral("/fuzz");

// Keeps the arguments of the last call it was handed.
struct Sink : QDBusVirtualObject
{
    QVariantList received;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        received = message.arguments();
        return true;
    }
};

Sink *sink = nullptr;

Pixmap pixmap(FuzzInput &in)
{
    const quint8 kind = in.u8() % 4;
    if (kind == 1) // any claim, any data
        return {in.i32(), in.i32(), in.bytes(4096)};
    if (kind == 2) // huge claim
        return {65535 - in.u8(), 65535 - in.u8(), in.bytes(64)};
    // Honest: small, or near the size limit and then sometimes short.
    Pixmap p{kind == 0 ? 1 + in.u8() % 48 : 1000 + in.u8() % 64, kind == 0 ? 1 + in.u8() % 48 : 1 + in.u8() % 4,
             {}};
    p.bytes = QByteArray(4 * p.width * p.height, char(in.u8()));
    if (kind == 3 && in.flag())
        p.bytes.chop(1 + in.u8() % 4);
    return p;
}

PixmapList pixmaps(FuzzInput &in)
{
    PixmapList list;
    const int count = in.u8() % 80;
    for (int i = 0; i < count && !in.empty(); ++i)
        list.append(pixmap(in));
    return list;
}

ToolTip toolTip(FuzzInput &in)
{
    return {in.text(), pixmaps(in), in.text(2048), in.text(2048)};
}

QVariant menuProperty(FuzzInput &in)
{
    switch (in.u8() % 6) {
    case 0: return in.text(256);
    case 1: return bool(in.flag());
    case 2: return QStringLiteral("separator");
    case 3: return QStringLiteral("submenu");
    case 4: return in.i32();
    // Kept as it came, never looked into; only a plain value here, so the
    // nesting stays within what the bus carries (64 levels).
    default: return anyValue(in, 3);
    }
}

// A menu tree of at most `budget` nodes; `sound` turns false when any part
// has a shape a reader must skip.
MenuLayout menu(FuzzInput &in, int depth, int &budget, bool &sound)
{
    static const char *keys[] = {"label", "enabled", "visible", "type", "children-display",
                                 "toggle-type", "toggle-state", "icon-name", "x-other"};
    MenuLayout node;
    node.id = in.i32();
    const int properties = in.u8() % 5;
    for (int i = 0; i < properties; ++i) {
        const QLatin1String key(keys[in.u8() % std::size(keys)]);
        node.properties.insert(key, menuProperty(in));
    }
    int children = in.u8() % 8;
    if (in.u8() == 0xff)
        children = in.u16(); // a very wide level
    for (int i = 0; i < children && budget > 0 && !in.empty(); ++i) {
        const quint8 kind = in.u8();
        if (kind < 0xf0 && depth < 12) {
            --budget;
            node.children.append(QVariant::fromValue(menu(in, depth + 1, budget, sound)));
        } else {
            sound = false;
            node.children.append(anyValue(in, 3));
        }
    }
    return node;
}

// Any value at all, some of them of the shapes above.
QVariant anyValue(FuzzInput &in, int depth)
{
    int budget = 20;
    bool sound = true;
    switch (in.u8() % (depth > 2 ? 8 : 14)) {
    case 0: return in.i32();
    case 1: return quint32(in.i32());
    case 2: return bool(in.flag());
    case 3: return double(in.i32()) / 7.0;
    case 4: return in.text();
    case 5: return in.bytes(256);
    case 6: return QStringList{in.text(), in.text()};
    case 7: return QVariant::fromValue(Pixmap{in.i32(), in.i32(), in.bytes(64)});
    case 8: return QVariant::fromValue(pixmaps(in));
    case 9: return QVariant::fromValue(toolTip(in));
    case 10: return QVariant::fromValue(menu(in, 0, budget, sound));
    // Structures of another shape than a menu entry: (ia{sv}), av, a{sv}.
    case 11: return QVariant::fromValue(MenuProperties{in.i32(), {{QString(), anyValue(in, depth + 1)}}});
    case 12: return QVariantList{anyValue(in, depth + 1), anyValue(in, depth + 1)};
    default: return QVariantMap{{in.text(16), anyValue(in, depth + 1)}};
    }
}

// Sends `arguments` to a local object and returns them as received, complex
// values as QDBusArgument. Empty when the bus refused to marshal them.
QVariantList loopback(const QVariantList &arguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto call = QDBusMessage::createMethodCall(bus.baseService(), ObjectPath, QStringLiteral("org.fuzz"),
                                               QStringLiteral("Take"));
    // A variant wrapper forces the marshal and demarshal of a local call.
    call.setArguments(QVariantList{QVariant::fromValue(QDBusVariant(0))} + arguments);
    sink->received.clear();
    bus.call(call, QDBus::Block, 1000);
    return sink->received.mid(1);
}

} // namespace

} // namespace FuzzDBus

// libFuzzer's (and the replay's) set-up of every D-Bus fuzzer: the application
// object, the types and the session bus; aborts with a message without a bus.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char *argv[] = {const_cast<char *>("fuzz"), nullptr};
    new QCoreApplication(argc, argv);
    Trayvane::Sni::registerTypes();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        qFatal("needs a session bus: run it under dbus-run-session");
    bus.registerVirtualObject(FuzzDBus::ObjectPath, FuzzDBus::sink = new FuzzDBus::Sink);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}
