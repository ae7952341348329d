// Feeds item property values built from the fuzz input through a real D-Bus
// marshal and demarshal into the backend's decoders: icon pixmaps, tooltips
// and values of the wrong type. Needs a session bus (dbus-run-session).
#include "FuzzDBus.h"
#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/SniProtocol.h"

#include <QtEndian>

using namespace Trayvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto checkText = [](const QString &text) {
        check(text.size() <= Sni::maxTextLength && (text.isEmpty() || !text.back().isHighSurrogate()));
    };
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
    const auto sent = pixmapValue.value<Sni::PixmapList>();
    check(list.size() <= Sni::maxPixmapEntries);
    check(!goodPixmaps || list.size() == qMin<qsizetype>(sent.size(), Sni::maxPixmapEntries));
    for (int i = 0; i < list.size(); ++i) {
        check(Sni::isValidPixmap(list[i]) || list[i].bytes.isEmpty());
        check(!goodPixmaps || (list[i].width == sent[i].width && list[i].height == sent[i].height));
    }
    for (int target : {16, 22, 64, 4096}) {
        const int chosen = Sni::choosePixmap(list, target);
        check(chosen >= -1 && chosen < list.size());
        if (chosen < 0)
            continue;
        const Sni::Pixmap &p = list[chosen];
        const QImage image = Sni::decodePixmap(p);
        check(Sni::isValidPixmap(p) && image.width() == p.width && image.height() == p.height);
        const auto *last = reinterpret_cast<const uchar *>(p.bytes.constData()) + p.bytes.size() - 4;
        check(image.pixel(p.width - 1, p.height - 1) == qFromBigEndian<quint32>(last));
    }

    const Sni::ToolTip tip = Sni::readToolTip(map.value(QStringLiteral("ToolTip")));
    for (const QString &text : {tip.iconName, tip.title, tip.text})
        checkText(text);
    check(!goodToolTip || tip.title == Sni::capText(toolTipValue.value<Sni::ToolTip>().title));
    const QString title = Sni::capText(map.value(QStringLiteral("Title")).toString());
    checkText(title);
    const auto description = Sni::itemDescription(title, tip.title);
    check(!description || !description->isEmpty());
    return 0;
}
