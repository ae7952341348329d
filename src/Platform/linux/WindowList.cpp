// The status windows of the listed items.
#include "Platform/linux/WindowList.h"

#include "Platform/Platform.h"
#include "Platform/linux/ItemAttributes.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedTray.h"

namespace Trayvane {

QVariant windowList(const ListedItems::Snapshot &current, const StatusNotifierHost &host,
                    const QList<XEmbedIcon> &icons)
{
    QVariantList windows;
    for (qsizetype i = 0; i < current.items.size(); ++i) {
        const SniItemState &item = *current.items.at(i);
        if (!Sni::isDisplayed(host.isOtherHostPresent(), item.status))
            continue;
        const QRectF geometry = Sni::barGeometry(int(i) + 1, true);
        QVariantMap bounds{{WindowKey::X, geometry.x()},
                           {WindowKey::Y, 0.0},
                           {WindowKey::Width, Sni::barSlot},
                           {WindowKey::Height, Sni::barSlot}};
        windows.append(QVariantMap{{WindowKey::Bounds, bounds},
                                   {WindowKey::Number, QVariant::fromValue<quint32>(item.windowNumber)},
                                   {WindowKey::Layer, statusWindowLayer}});
    }
    // Every X11 tray icon has a picture, also one that only Trayvane's tray holds.
    for (qsizetype i = 0; i < icons.size(); ++i) {
        const QRectF geometry = Sni::barGeometry(xembedFirstRank + int(i), true);
        QVariantMap bounds{{WindowKey::X, geometry.x()},
                           {WindowKey::Y, 0.0},
                           {WindowKey::Width, Sni::barSlot},
                           {WindowKey::Height, Sni::barSlot}};
        windows.append(QVariantMap{{WindowKey::Bounds, bounds},
                                   {WindowKey::Number,
                                    QVariant::fromValue<quint32>(icons.at(i).window | xembedWindowBit)},
                                   {WindowKey::Layer, statusWindowLayer}});
    }
    return windows;
}

} // namespace Trayvane
