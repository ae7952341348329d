// Minimal-change mirror of the service's items for the panel's list.
#include "ItemListModel.h"

#include "Services/MenuBarService.h"

#include <QHash>
#include <QSet>

namespace Trayvane {

ItemListModel::ItemListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

QObject *ItemListModel::service() const
{
    return m_service.data();
}

void ItemListModel::setService(QObject *service)
{
    auto *typed = qobject_cast<MenuBarService *>(service);
    if (typed == m_service)
        return;
    if (m_service)
        disconnect(m_service, nullptr, this, nullptr);
    m_service = typed;
    if (m_service) {
        connect(m_service, &MenuBarService::itemsChanged, this, &ItemListModel::syncFromService);
        connect(m_service, &MenuBarService::axTrustedChanged, this, &ItemListModel::syncTrusted);
    }
    syncFromService();
    syncTrusted();
    emit serviceChanged();
}

void ItemListModel::setLive(bool live)
{
    if (live == m_live)
        return;
    m_live = live;
    if (m_live && m_behind)
        syncFromService();
    emit liveChanged();
}

void ItemListModel::syncTrusted()
{
    const bool trusted = m_service && m_service->axTrusted();
    if (trusted == m_trusted)
        return;
    m_trusted = trusted;
    emit trustedChanged();
}

void ItemListModel::syncFromService()
{
    m_behind = !m_live;
    if (!m_behind)
        setItems(m_service ? m_service->items() : MenuBarItemList{});
}

int ItemListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const MenuBarItem &item = m_rows.at(index.row()).item;
    switch (Role(role)) {
    case Role::ItemId:
        return item.id;
    case Role::DisplayName:
        return item.displayName;
    case Role::OwnerName:
        return item.ownerName;
    case Role::Subtitle:
        return subtitleFor(item);
    case Role::IsHidden:
        return item.isHidden;
    case Role::MenuBarIcon:
        return item.menuBarIcon;
    case Role::AppIcon:
        return item.appIcon;
    case Role::HasMenuBarIcon:
        return !item.menuBarIcon.isNull();
    case Role::HasAppIcon:
        return !item.appIcon.isNull();
    }
    if (role == Qt::DisplayRole)
        return item.displayName;
    return {};
}

QHash<int, QByteArray> ItemListModel::roleNames() const
{
    return {
        {int(Role::ItemId), "itemId"},
        {int(Role::DisplayName), "displayName"},
        {int(Role::OwnerName), "ownerName"},
        {int(Role::Subtitle), "subtitle"},
        {int(Role::IsHidden), "isHidden"},
        {int(Role::MenuBarIcon), "menuBarIcon"},
        {int(Role::AppIcon), "appIcon"},
        {int(Role::HasMenuBarIcon), "hasMenuBarIcon"},
        {int(Role::HasAppIcon), "hasAppIcon"},
    };
}

bool ItemListModel::sameText(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

QString ItemListModel::subtitleFor(const MenuBarItem &item)
{
    return sameText(item.ownerName, item.displayName) ? QString() : item.ownerName;
}

QList<ItemListModel::Row> ItemListModel::rowsFor(const MenuBarItemList &items)
{
    QList<Row> rows;
    rows.reserve(items.size());
    QHash<QString, int> seen;
    for (const MenuBarItem &item : items) {
        const QString id = item.id.normalized(QString::NormalizationForm_C);
        const int occurrence = seen[id]++;
        rows.append({id + QChar(0x1f) + QString::number(occurrence), item});
    }
    return rows;
}

bool ItemListModel::looksDifferent(const MenuBarItem &a, const MenuBarItem &b)
{
    return a.id != b.id || a.displayName != b.displayName || a.ownerName != b.ownerName
        || a.isHidden != b.isHidden || a.menuBarIcon != b.menuBarIcon || a.appIcon != b.appIcon;
}

bool ItemListModel::isSameCopy(const MenuBarItem &a, const MenuBarItem &b)
{
    // Identity, not equality: the same text copies, pictures and element. A
    // rescan that found nothing new hands these over, and the row's copy
    // then serves clicks exactly as the new one would.
    const auto same = [](const QString &x, const QString &y) {
        return x.size() == y.size() && x.constData() == y.constData();
    };
    const bool sameBundle = a.bundleIdentifier.has_value() == b.bundleIdentifier.has_value()
                            && (!a.bundleIdentifier || same(*a.bundleIdentifier, *b.bundleIdentifier));
    return same(a.id, b.id) && same(a.displayName, b.displayName) && same(a.ownerName, b.ownerName) && sameBundle
        && a.ownerPID == b.ownerPID && a.isHidden == b.isHidden && a.frame.x() == b.frame.x()
        && a.frame.y() == b.frame.y() && a.frame.width() == b.frame.width() && a.frame.height() == b.frame.height()
        && a.axElement == b.axElement && a.menuBarIcon.cacheKey() == b.menuBarIcon.cacheKey()
        && a.appIcon.cacheKey() == b.appIcon.cacheKey();
}

bool ItemListModel::updateInPlace(const MenuBarItemList &items)
{
    // The usual rescan: the same ids in the same order. Equal ids in equal
    // places also give equal row keys, so no row moves, comes or goes.
    if (items.size() != m_rows.size())
        return false;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (m_rows.at(i).item.id != items.at(i).id)
            return false;
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        MenuBarItem &row = m_rows[i].item;
        if (isSameCopy(row, items.at(i)))
            continue;
        const bool changed = looksDifferent(row, items.at(i));
        row = items.at(i); // always keep the newest copy for clicks
        if (changed)
            emit dataChanged(index(int(i)), index(int(i)));
    }
    updateCounts();
    return true;
}

void ItemListModel::setItems(const MenuBarItemList &items)
{
    if (updateInPlace(items))
        return;
    QList<Row> target = rowsFor(items);

    QSet<QString> targetKeys;
    for (const Row &row : target)
        targetKeys.insert(row.key);

    // Remove the rows that are gone, in contiguous runs from the end.
    for (int last = int(m_rows.size()) - 1; last >= 0; --last) {
        if (targetKeys.contains(m_rows.at(last).key))
            continue;
        int first = last;
        while (first > 0 && !targetKeys.contains(m_rows.at(first - 1).key))
            --first;
        beginRemoveRows({}, first, last);
        m_rows.remove(first, last - first + 1);
        endRemoveRows();
        last = first;
    }

    // Walk the target order: keep, move up or insert each row in turn. Every
    // row left in m_rows is also in the target, so the tail ends up empty.
    for (int i = 0; i < target.size(); ++i) {
        const Row &wanted = target.at(i);
        if (i < m_rows.size() && m_rows.at(i).key == wanted.key) {
            const bool changed = looksDifferent(m_rows.at(i).item, wanted.item);
            m_rows[i].item = wanted.item; // always keep the newest copy for clicks
            if (changed)
                emit dataChanged(index(i), index(i));
            continue;
        }
        int from = -1;
        for (int j = i + 1; j < m_rows.size(); ++j) {
            if (m_rows.at(j).key == wanted.key) {
                from = j;
                break;
            }
        }
        if (from >= 0) {
            beginMoveRows({}, from, from, {}, i);
            m_rows.move(from, i);
            endMoveRows();
            const bool changed = looksDifferent(m_rows.at(i).item, wanted.item);
            m_rows[i].item = wanted.item;
            if (changed)
                emit dataChanged(index(i), index(i));
        } else {
            beginInsertRows({}, i, i);
            m_rows.insert(i, wanted);
            endInsertRows();
        }
    }
    updateCounts();
}

void ItemListModel::updateCounts()
{
    int hidden = 0;
    for (const Row &row : std::as_const(m_rows))
        hidden += row.item.isHidden ? 1 : 0;
    if (hidden != m_hiddenCount) {
        m_hiddenCount = hidden;
        emit hiddenCountChanged();
    }
    if (m_rows.size() != m_publishedCount) {
        m_publishedCount = int(m_rows.size());
        emit countChanged();
    }
}

MenuBarItem ItemListModel::itemAt(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).item;
}

void ItemListModel::clickRow(int row)
{
    if (!m_service || row < 0 || row >= m_rows.size())
        return;
    m_service->clickItem(m_rows.at(row).item);
}

bool ItemListModel::moveUp(int row)
{
    if (!m_service || row < 1 || row >= m_service->items().size())
        return false;
    m_service->swapItems(row, row - 1);
    return true;
}

bool ItemListModel::moveDown(int row)
{
    if (!m_service || row < 0 || row >= m_service->items().size() - 1)
        return false;
    m_service->swapItems(row, row + 1);
    return true;
}

} // namespace Trayvane
