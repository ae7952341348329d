// The merge of scanned items with the saved order, checked against a direct,
// quadratic transcription of the rule on many generated cases.
#include "Services/OrderMerge.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Trayvane;

namespace {

MenuBarItem makeItem(const QString &owner, const QString &name, double x, int serial)
{
    MenuBarItem item;
    item.ownerName = owner;
    item.displayName = name;
    item.frame = QRectF(x, 0, 20, 24);
    item.ownerPID = serial; // tells items apart when comparing results
    item.id = MenuBarItem::makeId(owner, name, x);
    return item;
}

// The rule as written: each saved key takes the first remaining match, then
// the rest sorted stably by x.
MenuBarItemList referenceMerge(const MenuBarItemList &discovered, const QStringList &keys)
{
    auto sorted = [](MenuBarItemList list) {
        std::stable_sort(list.begin(), list.end(),
                         [](const MenuBarItem &a, const MenuBarItem &b) { return a.frame.x() < b.frame.x(); });
        return list;
    };
    if (keys.isEmpty())
        return sorted(discovered);
    MenuBarItemList result;
    MenuBarItemList remaining = discovered;
    for (const QString &key : keys) {
        for (qsizetype i = 0; i < remaining.size(); ++i) {
            if (remaining.at(i).orderKey().normalized(QString::NormalizationForm_D)
                == key.normalized(QString::NormalizationForm_D)) {
                result.append(remaining.takeAt(i));
                break;
            }
        }
    }
    result.append(sorted(remaining));
    return result;
}

QList<int> serials(const MenuBarItemList &items)
{
    QList<int> out;
    for (const MenuBarItem &item : items)
        out.append(item.ownerPID);
    return out;
}

} // namespace

class TestOrderMerge : public QObject
{
    Q_OBJECT
private slots:
    void examples_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QList<double>>("xs");      // items A, B, C, D... at these x
        QTest::addColumn<QString>("expected");      // names in published order
        QTest::newRow("saved order wins over position") << QStringList{"App:B", "App:A"} << QList<double>{100, 300, 200}
                                                        << "BAC";
        QTest::newRow("unsaved tail sorted by x") << QStringList{"App:B", "App:A"} << QList<double>{100, 300, 50, 20}
                                                  << "BADC";
        QTest::newRow("no saved order: left to right") << QStringList{} << QList<double>{30, 10, 20} << "BCA";
        QTest::newRow("equal x keeps discovery order") << QStringList{} << QList<double>{10, 10, 5} << "CAB";
        QTest::newRow("missing keys skipped") << QStringList{"App:Z", "App:C", "App:Y"} << QList<double>{1, 2, 3}
                                              << "CAB";
    }
    void examples()
    {
        QFETCH(QStringList, keys);
        QFETCH(QList<double>, xs);
        QFETCH(QString, expected);
        MenuBarItemList items;
        for (int i = 0; i < xs.size(); ++i)
            items.append(makeItem("App", QString(QChar('A' + i)), xs.at(i), i));
        QString names;
        for (const MenuBarItem &item : OrderMerge::merge(items, OrderMerge::canonical(keys)))
            names += item.displayName;
        QCOMPARE(names, expected);
    }

    void duplicateKeys()
    {
        // Two items share a key: each occurrence takes the next match in
        // discovery order, the surplus goes to the sorted tail.
        const MenuBarItemList items{makeItem("App", "Dup", 300, 0), makeItem("App", "Dup", 100, 1),
                                    makeItem("App", "Dup", 200, 2), makeItem("App", "X", 50, 3)};
        QCOMPARE(serials(OrderMerge::merge(items, {"App:X", "App:Dup"})), (QList<int>{3, 0, 1, 2}));
        QCOMPARE(serials(OrderMerge::merge(items, {"App:Dup", "App:Dup"})), (QList<int>{0, 1, 3, 2}));
    }

    void canonicalEquivalence()
    {
        const QString composed = QString::fromUtf8("Men\u00fc");
        const QString decomposed = QString::fromUtf8("Menu\u0308");
        const MenuBarItemList items{makeItem("App", "Z", 10, 0), makeItem("App", decomposed, 20, 1)};
        QCOMPARE(serials(OrderMerge::merge(items, OrderMerge::canonical(QStringList{"App:" + composed}))),
                 (QList<int>{1, 0}));
        // Case still matters.
        QCOMPARE(serials(OrderMerge::merge(items, OrderMerge::canonical(QStringList{"App:MENÜ"}))), (QList<int>{0, 1}));
    }

    void notANumberSortsLast()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        MenuBarItemList items{makeItem("A", "n1", nan, 0), makeItem("A", "b", 20, 1), makeItem("A", "n2", nan, 2),
                              makeItem("A", "a", 10, 3)};
        OrderMerge::sortByX(items);
        QCOMPARE(serials(items), (QList<int>{3, 1, 0, 2}));
    }

    void matchesReferenceOnGeneratedCases()
    {
        QRandomGenerator random(20261206);
        const QStringList owners{"App", QString::fromUtf8("Caf\u00e9"), QString::fromUtf8("Cafe\u0301"), "Uhr"};
        const QStringList names{"A", "B", QString::fromUtf8("\u00c5"), QString::fromUtf8("A\u030a"), "WLAN", ""};
        for (int round = 0; round < 5000; ++round) {
            const int count = random.bounded(0, 12);
            MenuBarItemList items;
            for (int i = 0; i < count; ++i) {
                MenuBarItem item = makeItem(owners.at(random.bounded(owners.size())),
                                            names.at(random.bounded(names.size())),
                                            double(random.bounded(0, 6)) * 10.0, i);
                if (random.bounded(3) == 0)
                    item.bundleIdentifier = random.bounded(2) ? QStringLiteral("org.example.app") : QString();
                items.append(item);
            }
            QStringList keys;
            // Often the saved order starts with the items as discovered, as on
            // most rescans.
            if (random.bounded(2) == 0) {
                for (int i = 0, n = random.bounded(0, count + 1); i < n; ++i)
                    keys.append(items.at(i).orderKey());
            }
            const int keyCount = random.bounded(0, 10);
            for (int k = 0; k < keyCount; ++k) {
                if (!items.isEmpty() && random.bounded(4) != 0)
                    keys.append(items.at(random.bounded(items.size())).orderKey());
                else
                    keys.append(owners.at(random.bounded(owners.size())) + ":" + names.at(random.bounded(names.size())));
            }
            const QList<int> expected = serials(referenceMerge(items, keys));
            const QList<int> actual = serials(OrderMerge::merge(items, OrderMerge::canonical(keys)));
            if (actual != expected)
                qWarning() << "round" << round << "keys" << keys;
            QCOMPARE(actual, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestOrderMerge)
#include "tst_ordermerge.moc"
