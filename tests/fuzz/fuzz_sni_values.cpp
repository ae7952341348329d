// Feeds item property values built from the fuzz input through a real D-Bus
// marshal and demarshal into the backend's decoders: icon pixmaps, tooltips
// and values of the wrong type. Needs a session bus (dbus-run-session).
#include "FuzzDBus.h"
#include "Platform/linux/SniHelpers.h"

#include <QtEndian>

using namespace Trayvane;

namespace {

void checkText(const QString &text)
{
    check(text.size() <= Sni::maxTextLength);
    check(text.isEmpty() || !text.back().isHighSurrogate());
}

void checkPixmaps(const Sni::PixmapList &list)
{
    check(list.size() <= Sni::maxPixmapEntries);
    for (const Sni::Pixmap &p : list)
        check(Sni::isValidPixmap(p) || p.bytes.isEmpty());
    for (int target : {16, 22, 64, 4096}) {
        const int chosen = Sni::choosePixmap(list, target);
        check(chosen >= -1 && chosen < list.size());
        if (chosen < 0)
            continue;
        const Sni::Pixmap &p = list[chosen];
        check(Sni::isValidPixmap(p));
        const QImage image = Sni::decodePixmap(p);
        check(image.width() == p.width && image.height() == p.height);
        const auto *last = reinterpret_cast<const uchar *>(p.bytes.constData()) + p.bytes.size() - 4;
        check(image.pixel(p.width - 1, p.height - 1) == qFromBigEndian<quint32>(last));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzDBus::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    // The shapes of GetAll's answer: a{sv} with the pixmap, tooltip and text
    // properties, each possibly of another type than the protocol's.
    const quint8 shape = in.u8();
    const bool goodPixmaps = shape % 3 != 0;
    const bool goodToolTip = (shape / 3) % 3 != 0;
    const QVariant pixmapValue = goodPixmaps ? QVariant::fromValue(FuzzDBus::pixmaps(in)) : FuzzDBus::anyValue(in);
    const QVariant toolTipValue = goodToolTip ? QVariant::fromValue(FuzzDBus::toolTip(in)) : FuzzDBus::anyValue(in);
    const QVariantMap properties{{QStringLiteral("IconPixmap"), pixmapValue},
                                 {QStringLiteral("ToolTip"), toolTipValue},
                                 {QStringLiteral("Title"), in.text(4096)}};
    const QVariantList received = FuzzDBus::loopback({properties});
    if (received.isEmpty())
        return 0; // the bus would not have carried it either
    const QVariantMap map = qdbus_cast<QVariantMap>(received.first());

    const Sni::PixmapList list = Sni::readPixmaps(map.value(QStringLiteral("IconPixmap")));
    checkPixmaps(list);
    if (goodPixmaps) {
        const auto sent = pixmapValue.value<Sni::PixmapList>();
        check(list.size() == qMin<qsizetype>(sent.size(), Sni::maxPixmapEntries));
        for (int i = 0; i < list.size(); ++i)
            check(list[i].width == sent[i].width && list[i].height == sent[i].height);
    }

    const Sni::ToolTip tip = Sni::readToolTip(map.value(QStringLiteral("ToolTip")));
    checkText(tip.iconName);
    checkText(tip.title);
    checkText(tip.text);
    if (goodToolTip) {
        const auto sent = toolTipValue.value<Sni::ToolTip>();
        check(tip.title == Sni::capText(sent.title));
    }

    const QString title = Sni::capText(map.value(QStringLiteral("Title")).toString());
    checkText(title);
    const auto description = Sni::itemDescription(title, tip.title);
    check(!description || !description->isEmpty());
    return 0;
}
