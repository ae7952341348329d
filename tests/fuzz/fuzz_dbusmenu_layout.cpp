// Feeds dbusmenu layouts built from the fuzz input through a real D-Bus
// marshal and demarshal into the layout reader: deep, wide and misshapen
// trees. Needs a session bus (dbus-run-session).
#include "FuzzDBus.h"
#include "Platform/linux/DBusMenu.h"
#include "Platform/linux/SniProtocol.h"

using namespace Trayvane;

namespace {

// Counts the nodes below `node` and checks every label's conversion.
int walk(const DBusMenuNode &node, int depth)
{
    check(depth <= Sni::maxMenuDepth);
    check(dbusMenuLabel(node.properties.value(QStringLiteral("label")).toString()).size() <= Sni::maxTextLength);
    int count = 0;
    for (const DBusMenuNode &child : node.children)
        count += 1 + walk(child, depth + 1);
    return count;
}

int depthOf(const Sni::MenuLayout &node)
{
    int deepest = 0;
    for (const QVariant &child : node.children)
        deepest = qMax(deepest, 1 + depthOf(child.value<Sni::MenuLayout>()));
    return deepest;
}

// A tree inside the limits must come back whole.
void compare(const Sni::MenuLayout &sent, const DBusMenuNode &read)
{
    check(sent.id == read.id && sent.children.size() == read.children.size()
          && sent.properties.keys() == read.properties.keys());
    for (int i = 0; i < sent.children.size(); ++i)
        compare(sent.children[i].value<Sni::MenuLayout>(), read.children[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const bool layout = in.u8() % 8 != 0;
    int budget = 2000;
    bool sound = true;
    const Sni::MenuLayout tree = layout ? FuzzDBus::menu(in, 0, budget, sound) : Sni::MenuLayout();
    // GetLayout answers (u(ia{sv}av)).
    const QVariantList received =
        FuzzDBus::loopback({quint32(1), layout ? QVariant::fromValue(tree) : FuzzDBus::anyValue(in)});
    if (received.size() != 2)
        return 0;
    DBusMenuNode root;
    const bool parsed = parseDBusMenuLayout(received.at(1), root);
    check(parsed || !layout);
    if (parsed)
        check(walk(root, 0) <= Sni::maxMenuEntries);
    if (layout && parsed && sound && 2000 - budget <= Sni::maxMenuEntries && depthOf(tree) <= Sni::maxMenuDepth)
        compare(tree, root);
    return 0;
}
