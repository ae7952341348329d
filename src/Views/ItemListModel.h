// The panel's list of status items: mirrors MenuBarService::items as a list
// model that changes by the smallest steps (insert, remove, move, data
// changed), so that a rescan never resets the list or its scroll position and
// a swap shows as one animated move.
#pragma once

#include "Models/MenuBarItem.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class MenuBarService;

class ItemListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    // The service whose items are shown; held as QObject so QML can pass it on
    // without knowing the type.
    Q_PROPERTY(QObject *service READ service WRITE setService NOTIFY serviceChanged FINAL)
    Q_PROPERTY(int count READ count NOTIFY countChanged FINAL)
    Q_PROPERTY(int hiddenCount READ hiddenCount NOTIFY hiddenCountChanged FINAL)
    // While not live (the panel is closed), the service's rescans are only
    // noted; turning live again catches up at once.
    Q_PROPERTY(bool live READ isLive WRITE setLive NOTIFY liveChanged FINAL)
    // The service's permission state as its last scan published it; notifies
    // only when it differs, so a scan that confirms it re-evaluates nothing
    // in the panel. False without a service.
    Q_PROPERTY(bool trusted READ isTrusted NOTIFY trustedChanged FINAL)

public:
    enum class Role {
        ItemId = Qt::UserRole + 1,
        DisplayName,
        OwnerName,
        Subtitle,       // ownerName when it differs from displayName, else empty
        IsHidden,
        MenuBarIcon,    // QImage, null when absent
        AppIcon,        // QImage, null when absent
        HasMenuBarIcon,
        HasAppIcon,
    };
    Q_ENUM(Role)

    explicit ItemListModel(QObject *parent = nullptr);

    QObject *service() const;
    void setService(QObject *service);

    bool isLive() const { return m_live; }
    bool isTrusted() const { return m_trusted; }
    void setLive(bool live);

    int count() const { return int(m_rows.size()); }
    int hiddenCount() const { return m_hiddenCount; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    /// Brings the rows in line with `items` by the smallest steps. Rows are
    /// matched by id; equal ids are told apart by their occurrence.
    void setItems(const MenuBarItemList &items);
    /// The item copy of a row; a default item for a row that does not exist.
    MenuBarItem itemAt(int row) const;

    /// Activates the row's item through the service.
    Q_INVOKABLE void clickRow(int row);
    /// Swaps the row with the one above it. False when there is none.
    Q_INVOKABLE bool moveUp(int row);
    /// Swaps the row with the one below it. False when there is none.
    Q_INVOKABLE bool moveDown(int row);
    /// Text equality under Unicode canonical equivalence (case matters).
    Q_INVOKABLE static bool sameText(const QString &a, const QString &b);
    /// The second line of a row: ownerName when it differs from displayName.
    static QString subtitleFor(const MenuBarItem &item);

signals:
    void serviceChanged();
    void countChanged();
    void hiddenCountChanged();
    void liveChanged();
    void trustedChanged();

private:
    struct Row
    {
        QString key; // canonical id plus occurrence
        MenuBarItem item;
    };
    static QList<Row> rowsFor(const MenuBarItemList &items);
    static bool looksDifferent(const MenuBarItem &a, const MenuBarItem &b);
    static bool isSameCopy(const MenuBarItem &a, const MenuBarItem &b);
    bool updateInPlace(const MenuBarItemList &items);
    void syncFromService();
    void syncTrusted();
    void updateCounts();

    QPointer<MenuBarService> m_service;
    QList<Row> m_rows;
    int m_hiddenCount = 0;
    int m_publishedCount = 0;
    bool m_live = true;
    bool m_trusted = false;
    bool m_behind = false; // a rescan arrived while not live
};

} // namespace Trayvane
