// ItemListModel: rescans become the smallest changes, rows with equal ids stay
// apart, the counts and row texts follow the rules of the list, and the row
// actions reach the service.
#include "ItemListModel.h"

#include "Platform/scripted/ScriptedPlatform.h"
#include "Services/MenuBarService.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Trayvane;

namespace {

MenuBarItem item(const QString &id, bool hidden = false)
{
    MenuBarItem result;
    result.id = id;
    result.ownerName = id;
    result.displayName = id;
    result.isHidden = hidden;
    return result;
}

MenuBarItemList items(const QStringList &ids)
{
    MenuBarItemList list;
    for (const QString &id : ids)
        list.append(item(id));
    return list;
}

QStringList ids(const ItemListModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row).data(int(ItemListModel::Role::ItemId)).toString());
    return result;
}

struct Spies
{
    explicit Spies(ItemListModel &model)
        : inserted(&model, &QAbstractItemModel::rowsInserted)
        , removed(&model, &QAbstractItemModel::rowsRemoved)
        , moved(&model, &QAbstractItemModel::rowsMoved)
        , changed(&model, &QAbstractItemModel::dataChanged)
        , reset(&model, &QAbstractItemModel::modelReset)
    {
    }
    QSignalSpy inserted, removed, moved, changed, reset;
};

} // namespace

class TestItemListModel : public QObject
{
    Q_OBJECT

private slots:
    void rescanIsSmallestChange_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("inserts");
        QTest::addColumn<int>("removes");
        QTest::addColumn<int>("moves");

        const QStringList abc{"A", "B", "C"};
        QTest::newRow("same items again") << abc << abc << 0 << 0 << 0;
        QTest::newRow("neighbours swapped") << abc << QStringList{"B", "A", "C"} << 0 << 0 << 1;
        QTest::newRow("last to first") << abc << QStringList{"C", "A", "B"} << 0 << 0 << 1;
        QTest::newRow("item appended") << abc << QStringList{"A", "B", "C", "D"} << 1 << 0 << 0;
        QTest::newRow("item inserted in the middle") << abc << QStringList{"A", "D", "B", "C"} << 1 << 0 << 0;
        QTest::newRow("middle item gone") << abc << QStringList{"A", "C"} << 0 << 1 << 0;
        QTest::newRow("two neighbours gone in one step") << QStringList{"A", "B", "C", "D"} << QStringList{"A", "D"}
                                                         << 0 << 1 << 0;
        QTest::newRow("all gone") << abc << QStringList{} << 0 << 1 << 0;
        QTest::newRow("first scan") << QStringList{} << abc << 3 << 0 << 0;
        QTest::newRow("moved item has a new id") << abc << QStringList{"A", "B", "C2"} << 1 << 1 << 0;
        QTest::newRow("equal ids, one more") << QStringList{"A", "A"} << QStringList{"A", "A", "A"} << 1 << 0 << 0;
        QTest::newRow("equal ids, one fewer") << QStringList{"A", "B", "A"} << QStringList{"A", "B"} << 0 << 1 << 0;
    }

    void rescanIsSmallestChange()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, inserts);
        QFETCH(int, removes);
        QFETCH(int, moves);

        ItemListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setItems(items(before));
        Spies spies(model);
        model.setItems(items(after));

        QCOMPARE(ids(model), after);
        QCOMPARE(spies.inserted.count(), inserts);
        QCOMPARE(spies.removed.count(), removes);
        QCOMPARE(spies.moved.count(), moves);
        QCOMPARE(spies.reset.count(), 0);
        QCOMPARE(spies.changed.count(), 0);
        QCOMPARE(model.count(), after.size());
    }

    // Random rescans: the rows always end in the published order, and the
    // tester finds every step consistent.
    void randomRescansEndInThePublishedOrder()
    {
        ItemListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QRandomGenerator random(20261206);
        const QStringList pool{"A", "B", "C", "D", "E", "F", "A", "B"};
        for (int round = 0; round < 300; ++round) {
            QStringList next;
            const int size = int(random.bounded(pool.size() + 1));
            for (int i = 0; i < size; ++i)
                next.append(pool.at(int(random.bounded(pool.size()))));
            model.setItems(items(next));
            QCOMPARE(ids(model), next);
        }
    }

    void persistentIndexFollowsItsRow()
    {
        ItemListModel model;
        model.setItems(items({"A", "B", "C"}));
        const QPersistentModelIndex b = model.index(1);
        model.setItems(items({"B", "C", "A"}));
        QCOMPARE(b.row(), 0);
        model.setItems(items({"D", "C", "A", "B"}));
        QCOMPARE(b.row(), 3);
    }

    void changedLookIsDataChanged_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("becomes hidden") << "hidden";
        QTest::newRow("new capture") << "capture";
        QTest::newRow("owner renamed") << "owner";
    }

    void changedLookIsDataChanged()
    {
        QFETCH(QString, field);
        ItemListModel model;
        model.setItems(items({"A", "B"}));
        Spies spies(model);
        MenuBarItemList next = items({"A", "B"});
        if (field == QLatin1String("hidden"))
            next[1].isHidden = true;
        else if (field == QLatin1String("capture"))
            next[1].menuBarIcon = QImage(4, 4, QImage::Format_ARGB32);
        else
            next[1].ownerName = QStringLiteral("Neu");
        model.setItems(next);
        QCOMPARE(spies.changed.count(), 1);
        QCOMPARE(spies.changed.at(0).at(0).toModelIndex().row(), 1);
        QCOMPARE(spies.inserted.count() + spies.removed.count() + spies.moved.count(), 0);
    }

    void countsFollowTheItems()
    {
        ItemListModel model;
        QSignalSpy countSpy(&model, &ItemListModel::countChanged);
        QSignalSpy hiddenSpy(&model, &ItemListModel::hiddenCountChanged);
        MenuBarItemList list{item("A"), item("B", true), item("C", true)};
        model.setItems(list);
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.hiddenCount(), 2);
        QCOMPARE(countSpy.count(), 1);
        QCOMPARE(hiddenSpy.count(), 1);

        model.setItems(list); // a rescan with the same result announces nothing
        QCOMPARE(countSpy.count(), 1);
        QCOMPARE(hiddenSpy.count(), 1);

        list[1].isHidden = false;
        model.setItems(list);
        QCOMPARE(model.hiddenCount(), 1);
        QCOMPARE(countSpy.count(), 1);
    }

    void subtitleOnlyWhenOwnerDiffers_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("shown");
        QTest::newRow("same text") << "Dropbox" << "Dropbox" << false;
        QTest::newRow("case differs") << "dropbox" << "Dropbox" << true;
        QTest::newRow("different name") << "Kontrollzentrum" << "WLAN" << true;
        QTest::newRow("precomposed vs decomposed") << QStringLiteral("Men\u00fc") << QStringLiteral("Menu\u0308")
                                                   << false;
        QTest::newRow("trailing space differs") << "Uhr " << "Uhr" << true;
    }

    void subtitleOnlyWhenOwnerDiffers()
    {
        QFETCH(QString, owner);
        QFETCH(QString, display);
        QFETCH(bool, shown);
        MenuBarItem row = item(QStringLiteral("X"));
        row.ownerName = owner;
        row.displayName = display;
        ItemListModel model;
        model.setItems({row});
        QCOMPARE(model.index(0).data(int(ItemListModel::Role::Subtitle)).toString(), shown ? owner : QString());
    }

    void canonicallyEqualIdsAreOneRow()
    {
        ItemListModel model;
        model.setItems(items({QStringLiteral("Caf\u00e9-Uhr-10")}));
        Spies spies(model);
        model.setItems(items({QStringLiteral("Cafe\u0301-Uhr-10")}));
        QCOMPARE(spies.inserted.count() + spies.removed.count(), 0);
        QVERIFY(ItemListModel::sameText(QStringLiteral("Caf\u00e9"), QStringLiteral("Cafe\u0301")));
        QVERIFY(!ItemListModel::sameText(QStringLiteral("Cafe"), QStringLiteral("cafe")));
    }

    // The row actions go to the service: a click presses the row's item, a
    // move is one swap published once, and moves past the ends do nothing.
    void rowActionsReachTheService()
    {
        QTemporaryDir dir;
        ScriptedWorld world;
        world.dataDirectory = dir.path();
        ScriptedApplication app;
        app.processIdentifier = 42;
        app.localizedName = QStringLiteral("Werkzeug");
        app.items = {ScriptedItem::make(QStringLiteral("A"), std::nullopt, 100, 20),
                     ScriptedItem::make(QStringLiteral("B"), std::nullopt, 200, 20),
                     ScriptedItem::make(QStringLiteral("C"), std::nullopt, 300, 20)};
        world.applications = {app};
        ScriptedPlatform platform(world);
        MenuBarService service(platform);

        ItemListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setService(&service);
        QCOMPARE(model.count(), 3);

        model.clickRow(1);
        QCOMPARE(platform.presses.size(), 1);
        QCOMPARE(platform.presses.at(0).itemIndex, 1);
        model.clickRow(7);
        QCOMPARE(platform.presses.size(), 1);

        QSignalSpy published(&service, &MenuBarService::itemsChanged);
        Spies spies(model);
        QVERIFY(!model.moveUp(0));
        QVERIFY(!model.moveDown(2));
        QCOMPARE(published.count(), 0);

        QVERIFY(model.moveDown(0));
        QCOMPARE(published.count(), 1);
        QCOMPARE(spies.moved.count(), 1);
        QCOMPARE(model.index(0).data(int(ItemListModel::Role::DisplayName)).toString(), QStringLiteral("B"));
        QVERIFY(model.moveUp(1));
        QCOMPARE(model.index(0).data(int(ItemListModel::Role::DisplayName)).toString(), QStringLiteral("A"));
        QCOMPARE(published.count(), 2);
        QCOMPARE(spies.reset.count(), 0);

        // After a swap the click goes to the item now in that row.
        model.clickRow(2);
        QCOMPARE(platform.presses.last().itemIndex, 2);
    }
};

QTEST_GUILESS_MAIN(TestItemListModel)
#include "tst_itemlistmodel.moc"
