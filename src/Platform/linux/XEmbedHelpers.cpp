// Pure helpers of the legacy X11 tray.
#include "Platform/linux/XEmbedHelpers.h"

#include <QSet>

namespace Trayvane::XEmbed {

QList<quint32> dockedIcons(const QList<TreeNode> &tree, quint32 trayBase, quint32 trayMask)
{
    QList<quint32> icons;
    QSet<quint32> seen;
    for (const TreeNode &node : tree) {
        if (!node.viewable || isClientWindow(node.window, trayBase, trayMask)
            || !isClientWindow(node.parent, trayBase, trayMask) || seen.contains(node.window))
            continue;
        seen.insert(node.window);
        icons.append(node.window);
    }
    return icons;
}

QString iconName(const QString &title, const QString &windowClass, const QString &instance)
{
    if (!title.trimmed().isEmpty())
        return title;
    if (!windowClass.isEmpty())
        return windowClass;
    return instance;
}

bool wantsMapped(const QList<long> &embedInfo, bool hasInfo)
{
    constexpr long mappedFlag = 1;
    if (!hasInfo)
        return true;
    return embedInfo.size() >= 2 && (embedInfo.at(1) & mappedFlag) != 0;
}

} // namespace Trayvane::XEmbed
