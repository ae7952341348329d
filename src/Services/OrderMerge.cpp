// The merge of scanned items with the saved order.
#include "Services/OrderMerge.h"

#include <string_view>
#include <unordered_map>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace Trayvane::OrderMerge {

QString canonical(const QString &text)
{
    // Below U+0300 every text is already in composed form; skip the copy.
    const bool plain = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x300; });
    return plain ? text : text.normalized(QString::NormalizationForm_C);
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
    // Sorts positions rather than the records, which are costly to move, and
    // leaves the list alone when it is in order already (the usual case).
    std::vector<qsizetype> order(std::size_t(items.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&items](qsizetype a, qsizetype b) {
        const double ax = items.at(a).frame.x();
        const double bx = items.at(b).frame.x();
        if (std::isnan(ax))
            return false;
        if (std::isnan(bx))
            return true;
        return ax < bx;
    });
    bool inOrder = true;
    for (std::size_t i = 0; i < order.size() && inOrder; ++i)
        inOrder = order[i] == qsizetype(i);
    if (inOrder)
        return;
    MenuBarItemList sorted;
    sorted.reserve(items.size());
    for (const qsizetype from : order)
        sorted.append(std::move(items[from]));
    items = std::move(sorted);
}

namespace {

// The standard library's byte hash: several times cheaper than the keyed hash
// of QHash for this many short keys, and the keys come from our own scan.
struct KeyHash
{
    std::size_t operator()(const QString &key) const noexcept
    {
        return std::hash<std::u16string_view>()(std::u16string_view(reinterpret_cast<const char16_t *>(key.utf16()),
                                                                    std::size_t(key.size())));
    }
};

} // namespace

MenuBarItemList merge(MenuBarItemList discovered, const QStringList &canonicalKeys)
{
    if (canonicalKeys.isEmpty()) {
        sortByX(discovered);
        return discovered;
    }
    MenuBarItemList result;
    result.reserve(discovered.size());

    // For every key the first unplaced item with it, and for every item the
    // next one with the same key, both in discovery order.
    const qsizetype count = discovered.size();
    std::unordered_map<QString, qsizetype, KeyHash> firstWithKey;
    firstWithKey.reserve(std::size_t(count));
    std::vector<qsizetype> nextWithKey(std::size_t(count), -1);
    std::vector<qsizetype> lastWithKey(std::size_t(count), -1);
    for (qsizetype i = 0; i < count; ++i) {
        QString key = canonical(discovered.at(i).orderKey());
        const auto found = firstWithKey.find(key);
        if (found == firstWithKey.end()) {
            firstWithKey.emplace(std::move(key), i);
            lastWithKey[std::size_t(i)] = i;
        } else {
            const qsizetype head = found->second;
            nextWithKey[std::size_t(lastWithKey[std::size_t(head)])] = i;
            lastWithKey[std::size_t(head)] = i;
        }
    }

    std::vector<bool> placed(std::size_t(count), false);
    for (const QString &key : canonicalKeys) {
        auto found = firstWithKey.find(key);
        if (found == firstWithKey.end() || found->second < 0)
            continue;
        const qsizetype position = found->second;
        found->second = nextWithKey[std::size_t(position)];
        placed[std::size_t(position)] = true;
        result.append(std::move(discovered[position]));
    }

    MenuBarItemList remaining;
    remaining.reserve(discovered.size() - result.size());
    for (qsizetype i = 0; i < discovered.size(); ++i)
        if (!placed[std::size_t(i)])
            remaining.append(std::move(discovered[i]));
    sortByX(remaining);
    result.append(std::move(remaining));
    return result;
}

} // namespace Trayvane::OrderMerge
