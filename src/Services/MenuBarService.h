// The one service of the run: finds the status items of all running
// applications, keeps them in the user's order, activates them and tracks the
// permission to read them. Talks to other applications only through Platform.
#pragma once

#include "Models/MenuBarItem.h"
#include "Platform/Platform.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <vector>

namespace Trayvane {

class MenuBarService : public QObject
{
    Q_OBJECT
    // Every publish notifies, equal value or not: a scan that finds the same
    // items still announces them.
    Q_PROPERTY(Trayvane::MenuBarItemList items READ items NOTIFY itemsChanged FINAL)
    Q_PROPERTY(QStringList orderedKeys READ orderedKeys NOTIFY orderedKeysChanged FINAL)
    Q_PROPERTY(bool axTrusted READ axTrusted NOTIFY axTrustedChanged FINAL)
    // Not published: while true, scan() returns at once and changes nothing.
    Q_PROPERTY(bool pauseScan READ pauseScan WRITE setPauseScan FINAL)

public:
    static constexpr int scanIntervalMs = 3000;
    static constexpr double captureMatchDistance = 3.0;
    static constexpr double captureHeight = 30.0;
    static constexpr double mouseDownDelay = 0.15;
    static constexpr double mouseUpDelay = 0.05;
    /// Least time between two scans that answer the platform's change reports.
    static constexpr double changeScanSpacing = 0.1;

    /// Builds the state, loads the saved order, scans once and starts the
    /// 3-second timer. The platform must outlive the service.
    explicit MenuBarService(Platform &platform, QObject *parent = nullptr);
    ~MenuBarService() override;

    const MenuBarItemList &items() const { return m_items; }
    const QStringList &orderedKeys() const { return m_orderedKeys; }
    bool axTrusted() const { return m_axTrusted; }
    bool pauseScan() const { return m_pauseScan; }
    void setPauseScan(bool pause) { m_pauseScan = pause; }

    /// Where the order file lives; empty when the platform has no data folder.
    QString configPath() const { return m_configPath; }

    /// Rebuilds and publishes `items` and `axTrusted` (unless paused); writes
    /// the first order when none is saved yet.
    Q_INVOKABLE void scan();
    /// Stores the order keys of `items` as `orderedKeys` and writes the file.
    Q_INVOKABLE void saveOrder();
    /// Swaps two entries of `items`, published as one change. Out-of-range
    /// positions do nothing.
    Q_INVOKABLE void swapItems(int first, int second);
    /// Presses the item's element, or clicks the middle of its frame with two
    /// delayed mouse events when it has none. Returns at once.
    void clickItem(MenuBarItem item);
    /// Opens the permission settings, or resets the stored decision and asks
    /// the user again when the permission is missing.
    Q_INVOKABLE void openAccessibilitySettings();

    /// The program's bundle identifier, built in.
    static QString builtInBundleIdentifier();

signals:
    void itemsChanged();
    void orderedKeysChanged();
    void axTrustedChanged();

private:
    QList<WindowInfo> buildWindowLookup();
    void loadOrder();
    void setOrderedKeys(const QStringList &keys);
    void setAxTrusted(bool trusted);
    void onStateChanged();
    void runChangeScan();
    void endChangeRest();

    Platform &m_platform;
    MenuBarItemList m_items;
    QStringList m_orderedKeys;
    QStringList m_normalizedKeys; // orderedKeys in canonical form, for the merge
    // What the last scan found, in discovery order: a scan that finds the same
    // items at the same places takes their ids and the merge's order from
    // here instead of building them again.
    struct Found
    {
        QString ownerName;
        QString displayName;
        std::optional<QString> bundleIdentifier;
        double x = 0.0;
        QString id;
    };
    std::vector<Found> m_lastFound;
    std::vector<qsizetype> m_lastOrder; // the merge of m_lastFound under m_normalizedKeys
    bool m_lastOrderValid = false;
    bool m_axTrusted = false;
    bool m_pauseScan = false;
    QTimer *m_timer = nullptr;
    // Scans asked for by the platform's change reports: one at once, then a
    // rest in which further reports only leave a mark, answered by one scan
    // when the rest ends.
    enum class ChangeScan { Idle, Queued, Resting };
    ChangeScan m_changeScan = ChangeScan::Idle;
    bool m_changedWhileResting = false;
    QString m_configPath;
    // A file that existed but could not be read is kept aside before the
    // first write replaces it, so a damaged order is never silently lost.
    bool m_preserveUnreadableFile = false;
};

} // namespace Trayvane
