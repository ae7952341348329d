// The merge of scanned items with the saved order.
#include "Services/OrderMerge.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Trayvane::OrderMerge {

QString canonical(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C);
}

QStringList canonical(const QStringList &texts)
{
    QStringList result;
    result.reserve(texts.size());
    for (const QString &text : texts)
        result.append(canonical(text));
    return result;
}

void sortByX(MenuBarItemList &items)
{
    std::stable_sort(items.begin(), items.end(), [](const MenuBarItem &a, const MenuBarItem &b) {
        const double ax = a.frame.x();
        const double bx = b.frame.x();
        if (std::isnan(ax))
            return false;
        if (std::isnan(bx))
            return true;
        return ax < bx;
    });
}

MenuBarItemList merge(const MenuBarItemList &discovered, const QStringList &canonicalKeys)
{
    MenuBarItemList result;
    result.reserve(discovered.size());
    if (canonicalKeys.isEmpty()) {
        result = discovered;
        sortByX(result);
        return result;
    }

    // For every key, the positions of its items in discovery order and how
    // many of them the saved keys have taken so far.
    struct Candidates
    {
        std::vector<qsizetype> positions;
        std::size_t taken = 0;
    };
    QHash<QString, Candidates> byKey;
    byKey.reserve(discovered.size());
    for (qsizetype i = 0; i < discovered.size(); ++i)
        byKey[canonical(discovered.at(i).orderKey())].positions.push_back(i);

    std::vector<bool> placed(std::size_t(discovered.size()), false);
    for (const QString &key : canonicalKeys) {
        auto found = byKey.find(key);
        if (found == byKey.end() || found->taken == found->positions.size())
            continue;
        const qsizetype position = found->positions[found->taken++];
        placed[std::size_t(position)] = true;
        result.append(discovered.at(position));
    }

    MenuBarItemList remaining;
    remaining.reserve(discovered.size() - result.size());
    for (qsizetype i = 0; i < discovered.size(); ++i)
        if (!placed[std::size_t(i)])
            remaining.append(discovered.at(i));
    sortByX(remaining);
    result.append(remaining);
    return result;
}

} // namespace Trayvane::OrderMerge
