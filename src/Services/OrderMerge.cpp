// The merge of scanned items with the saved order.
#include "Services/OrderMerge.h"

#include <string_view>
#include <unordered_map>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Trayvane::OrderMerge {

namespace {

bool isPlain(const QString &text)
{
    // Below U+0300 every text is already in composed form.
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x300; });
}

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

// Whether the item's order key, in canonical form, is `key` (itself
// canonical), without building the key when its parts are plain.
bool hasKey(const MenuBarItem &item, const QString &key)
{
    const QString &owner = item.bundleIdentifier ? *item.bundleIdentifier : item.ownerName;
    if (!isPlain(owner) || !isPlain(item.displayName))
        return canonical(item.orderKey()) == key;
    return key.size() == owner.size() + 1 + item.displayName.size() && key.startsWith(owner)
        && key.at(owner.size()) == QLatin1Char(':') && key.endsWith(item.displayName);
}

// Stable sort of the positions in `order` from `from` on, left to right by
// the x of their items.
void sortByX(const MenuBarItemList &items, std::vector<qsizetype> &order, std::size_t from)
{
    std::stable_sort(order.begin() + std::ptrdiff_t(from), order.end(), [&items](qsizetype a, qsizetype b) {
        const double ax = items.at(a).frame.x();
        const double bx = items.at(b).frame.x();
        if (std::isnan(ax))
            return false;
        if (std::isnan(bx))
            return true;
        return ax < bx;
    });
}

// order() for the items and keys from `from` on; those before are in place.
void orderRest(const MenuBarItemList &discovered, const QStringList &canonicalKeys, qsizetype from,
               std::vector<qsizetype> &result)
{
    // For every key the first unplaced item with it, and for every item the
    // next one with the same key, both in discovery order.
    const qsizetype count = discovered.size();
    std::unordered_map<QString, qsizetype, KeyHash> firstWithKey;
    firstWithKey.reserve(std::size_t(count - from));
    std::vector<qsizetype> nextWithKey(std::size_t(count), -1);
    std::vector<qsizetype> lastWithKey(std::size_t(count), -1);
    for (qsizetype i = from; i < count; ++i) {
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
    for (const QString &key : canonicalKeys.sliced(from)) {
        auto found = firstWithKey.find(key);
        if (found == firstWithKey.end() || found->second < 0)
            continue;
        const qsizetype position = found->second;
        found->second = nextWithKey[std::size_t(position)];
        placed[std::size_t(position)] = true;
        result.push_back(position);
    }

    const std::size_t tail = result.size();
    for (qsizetype i = from; i < count; ++i)
        if (!placed[std::size_t(i)])
            result.push_back(i);
    sortByX(discovered, result, tail);
}

} // namespace

QString canonical(const QString &text)
{
    return isPlain(text) ? text : text.normalized(QString::NormalizationForm_C);
}

QStringList canonical(const QStringList &texts)
{
    QStringList result;
    result.reserve(texts.size());
    for (const QString &text : texts)
        result.append(canonical(text));
    return result;
}

std::vector<qsizetype> order(const MenuBarItemList &discovered, const QStringList &canonicalKeys)
{
    std::vector<qsizetype> result;
    result.reserve(std::size_t(discovered.size()));
    // The usual rescan finds the items in the saved order: while the n-th
    // item has the n-th key, that key takes it (every item before it is
    // placed already), so only the rest needs the general merge.
    qsizetype prefix = 0;
    const qsizetype limit = std::min(discovered.size(), canonicalKeys.size());
    while (prefix < limit && hasKey(discovered.at(prefix), canonicalKeys.at(prefix)))
        result.push_back(prefix++);
    if (prefix == discovered.size())
        return result; // keys left over name items that are not there
    if (canonicalKeys.isEmpty()) {
        result.resize(std::size_t(discovered.size()));
        std::iota(result.begin(), result.end(), qsizetype(0));
        sortByX(discovered, result, 0);
        return result;
    }
    orderRest(discovered, canonicalKeys, prefix, result);
    return result;
}

MenuBarItemList arranged(MenuBarItemList items, const std::vector<qsizetype> &order)
{
    // Left alone when in order already (the usual case): the records are
    // costly to move.
    bool inOrder = true;
    for (std::size_t i = 0; i < order.size() && inOrder; ++i)
        inOrder = order[i] == qsizetype(i);
    if (inOrder)
        return items;
    MenuBarItemList result;
    result.reserve(items.size());
    for (const qsizetype from : order)
        result.append(std::move(items[from]));
    return result;
}

MenuBarItemList merge(MenuBarItemList discovered, const QStringList &canonicalKeys)
{
    const std::vector<qsizetype> positions = order(discovered, canonicalKeys);
    return arranged(std::move(discovered), positions);
}

} // namespace Trayvane::OrderMerge
