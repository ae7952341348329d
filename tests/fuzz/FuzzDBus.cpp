// Value builders and the local-loop call of the D-Bus fuzzers.
#include "FuzzDBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>

#include <cstdio>
#include <cstdlib>

// A menu entry of the wrong shape: (iav).
struct BadNode
{
    qint32 id = 0;
    QVariantList children;
};
Q_DECLARE_METATYPE(BadNode)

QDBusArgument &operator<<(QDBusArgument &argument, const BadNode &node)
{
    argument.beginStructure();
    argument << node.id << node.children;
    argument.endStructure();
    return argument;
}
const QDBusArgument &operator>>(const QDBusArgument &argument, BadNode &node)
{
    argument.beginStructure();
    argument >> node.id >> node.children;
    argument.endStructure();
    return argument;
}

namespace FuzzDBus {

namespace {

const QString ObjectPath = QStringLiteral("/fuzz");

// Keeps the arguments of the last call it was handed.
class Sink : public QDBusVirtualObject
{
public:
    QVariantList received;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override
    {
        received = message.arguments();
        return true;
    }
};

Sink *sink = nullptr;

} // namespace

void initialize()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    Trayvane::Sni::registerTypes();
    qDBusRegisterMetaType<BadNode>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "needs a session bus: run it under dbus-run-session\n");
        std::abort();
    }
    sink = new Sink;
    bus.registerVirtualObject(ObjectPath, sink);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

using namespace Trayvane::Sni;

Pixmap pixmap(FuzzInput &in)
{
    Pixmap p;
    switch (in.u8() % 4) {
    case 0: // honest and small
        p.width = 1 + in.u8() % 48;
        p.height = 1 + in.u8() % 48;
        p.bytes = QByteArray(4 * p.width * p.height, char(in.u8()));
        break;
    case 1: // any claim, any data
        p.width = in.i32();
        p.height = in.i32();
        p.bytes = in.bytes(4096);
        break;
    case 2: // huge claim
        p.width = 65535 - in.u8();
        p.height = 65535 - in.u8();
        p.bytes = in.bytes(64);
        break;
    default: // honest, near the size limit
        p.width = 1000 + in.u8() % 64;
        p.height = 1 + in.u8() % 4;
        p.bytes = QByteArray(4 * p.width * p.height, char(in.u8()));
        if (in.flag())
            p.bytes.chop(1 + in.u8() % 4);
        break;
    }
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
    ToolTip tip;
    tip.iconName = in.text();
    tip.pixmaps = pixmaps(in);
    tip.title = in.text(2048);
    tip.text = in.text(2048);
    return tip;
}

namespace {

QVariant menuProperty(FuzzInput &in)
{
    switch (in.u8() % 6) {
    case 0:
        return in.text(256);
    case 1:
        return bool(in.flag());
    case 2:
        return QStringLiteral("separator");
    case 3:
        return QStringLiteral("submenu");
    case 4:
        return in.i32();
    default:
        // Kept as it came, never looked into; only a plain value here, so the
        // nesting stays within what the bus carries (64 levels).
        return anyValue(in, 3);
    }
}

} // namespace

MenuLayout menu(FuzzInput &in, int depth, int &budget, bool &sound)
{
    static const char *keys[] = {"label", "enabled", "visible", "type", "children-display",
                                 "toggle-type", "toggle-state", "icon-name", "x-other"};
    MenuLayout node;
    node.id = in.i32();
    const int properties = in.u8() % 5;
    for (int i = 0; i < properties; ++i)
        node.properties.insert(QLatin1String(keys[in.u8() % std::size(keys)]), menuProperty(in));
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

QVariant anyValue(FuzzInput &in, int depth)
{
    const quint8 kind = in.u8() % (depth > 2 ? 8 : 14);
    switch (kind) {
    case 0:
        return in.i32();
    case 1:
        return quint32(in.i32());
    case 2:
        return bool(in.flag());
    case 3:
        return double(in.i32()) / 7.0;
    case 4:
        return in.text();
    case 5:
        return in.bytes(256);
    case 6:
        return QStringList{in.text(), in.text()};
    case 7:
        return QVariant::fromValue(Pixmap{in.i32(), in.i32(), in.bytes(64)});
    case 8:
        return QVariant::fromValue(pixmaps(in));
    case 9:
        return QVariant::fromValue(toolTip(in));
    case 10: {
        int budget = 20;
        bool sound = true;
        return QVariant::fromValue(menu(in, 0, budget, sound));
    }
    case 11:
        return QVariant::fromValue(BadNode{in.i32(), {anyValue(in, depth + 1)}});
    case 12:
        return QVariantList{anyValue(in, depth + 1), anyValue(in, depth + 1)};
    default:
        return QVariantMap{{in.text(16), anyValue(in, depth + 1)}};
    }
}

QVariantList loopback(const QVariantList &arguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage call = QDBusMessage::createMethodCall(bus.baseService(), ObjectPath, QStringLiteral("org.fuzz"),
                                                       QStringLiteral("Take"));
    // A variant wrapper forces the marshal and demarshal of a local call.
    QVariantList wrapped{QVariant::fromValue(QDBusVariant(0))};
    wrapped.append(arguments);
    call.setArguments(wrapped);
    sink->received.clear();
    bus.call(call, QDBus::Block, 1000);
    if (sink->received.isEmpty())
        return {};
    return sink->received.mid(1);
}

} // namespace FuzzDBus
