// ItemListModel: rescans become the smallest changes, rows with equal ids stay
// apart, the counts and row texts follow the rules of the list, and the row
// actions reach the service; a model that is not live catches up when it is,
// and the permission reaches the panel only when it changes.
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
    return {.id = id, .ownerName = id, .displayName = id, .isHidden = hidden};
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

} // namespace

class TestItemListModel : public QObject
{
    Q_OBJECT

private slots:
    void rescanIsSmallestChange_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QList<int>>("counts"); // inserts, removes, moves, data changes
        const QStringList abc{"A", "B", "C"};
        QTest::newRow("same items again") << abc << abc << QList<int>{0, 0, 0, 0};
        QTest::newRow("last to first") << abc << QStringList{"C", "A", "B"} << QList<int>{0, 0, 1, 0};
        QTest::newRow("item inserted in the middle") << abc << QStringList{"A", "D", "B", "C"} << QList<int>{1, 0, 0, 0};
        QTest::newRow("two neighbours gone in one step") << QStringList{"A", "B", "C", "D"} << QStringList{"A", "D"}
                                                         << QList<int>{0, 1, 0, 0};
        QTest::newRow("first scan") << QStringList{} << abc << QList<int>{3, 0, 0, 0};
        QTest::newRow("moved item has a new id") << abc << QStringList{"A", "B", "C2"} << QList<int>{1, 1, 0, 0};
        QTest::newRow("equal ids, one fewer") << QStringList{"A", "B", "A"} << QStringList{"A", "B"}
                                              << QList<int>{0, 1, 0, 0};
        QTest::newRow("canonically equal id is the same row") << QStringList{QString::fromUtf8("Caf\u00e9")}
                                                              << QStringList{QString::fromUtf8("Cafe\u0301")}
                                                              << QList<int>{0, 0, 0, 1};
    }
    void rescanIsSmallestChange()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QList<int>, counts);
        ItemListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setItems(items(before));
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted), removed(&model, &QAbstractItemModel::rowsRemoved),
            moved(&model, &QAbstractItemModel::rowsMoved), changed(&model, &QAbstractItemModel::dataChanged),
            reset(&model, &QAbstractItemModel::modelReset);
        model.setItems(items(after));
        QCOMPARE(ids(model).join('|').normalized(QString::NormalizationForm_C),
                 after.join('|').normalized(QString::NormalizationForm_C));
        QCOMPARE((QList<int>{int(inserted.count()), int(removed.count()), int(moved.count()), int(changed.count())}),
                 counts);
        QCOMPARE(reset.count(), 0);
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
            for (int i = 0, size = int(random.bounded(pool.size() + 1)); i < size; ++i)
                next.append(pool.at(int(random.bounded(pool.size()))));
            model.setItems(items(next));
            QCOMPARE(ids(model), next);
        }
    }

    // A changed look is one dataChanged of that row; the counts are announced
    // only when they change.
    void changesOfLookAndCounts()
    {
        ItemListModel model;
        QSignalSpy countSpy(&model, &ItemListModel::countChanged);
        QSignalSpy hiddenSpy(&model, &ItemListModel::hiddenCountChanged);
        MenuBarItemList list{item("A"), item("B", true), item("C", true)};
        model.setItems(list);
        QCOMPARE(model.count(), 3);
        QCOMPARE(model.hiddenCount(), 2);
        model.setItems(list);
        QCOMPARE(countSpy.count(), 1);
        QCOMPARE(hiddenSpy.count(), 1);

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        list[1].isHidden = false;
        list[2].menuBarIcon = QImage(4, 4, QImage::Format_ARGB32);
        model.setItems(list);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
        QCOMPARE(changed.at(1).at(0).toModelIndex().row(), 2);
        QCOMPARE(model.hiddenCount(), 1);
        QCOMPARE(hiddenSpy.count(), 2);
        QCOMPARE(countSpy.count(), 1);
    }

    void subtitleOnlyWhenOwnerDiffers_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("shown");
        QTest::newRow("same text") << "Dropbox" << "Dropbox" << false;
        QTest::newRow("case differs") << "dropbox" << "Dropbox" << true;
        QTest::newRow("precomposed vs decomposed") << QStringLiteral("Men\u00fc") << QStringLiteral("Menu\u0308")
                                                   << false;
        QTest::newRow("trailing space differs") << "Uhr " << "Uhr" << true;
    }
    void subtitleOnlyWhenOwnerDiffers()
    {
        QFETCH(QString, owner);
        QFETCH(QString, display);
        QFETCH(bool, shown);
        ItemListModel model;
        model.setItems({{.id = QStringLiteral("X"), .ownerName = owner, .displayName = display}});
        QCOMPARE(model.index(0).data(int(ItemListModel::Role::Subtitle)).toString(), shown ? owner : QString());
    }

    // A click presses the row's item, a move is one swap published once, and
    // moves past the ends do nothing.
    void rowActionsReachTheService()
    {
        QTemporaryDir dir;
        ScriptedApplication app{.processIdentifier = 42, .localizedName = "Werkzeug"};
        for (const char *name : {"A", "B", "C"})
            app.items.append(ScriptedItem::make(QString::fromLatin1(name), std::nullopt, 100 * (app.items.size() + 1), 20));
        ScriptedPlatform platform(ScriptedWorld{.applications = {app}, .dataDirectory = dir.path()});
        MenuBarService service(platform);
        ItemListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setService(&service);
        QCOMPARE(model.count(), 3);

        model.clickRow(1);
        model.clickRow(7);
        QCOMPARE(platform.presses.size(), 1);
        QCOMPARE(platform.presses.at(0).itemIndex, 1);

        QSignalSpy published(&service, &MenuBarService::itemsChanged);
        QVERIFY(!model.moveUp(0));
        QVERIFY(!model.moveDown(2));
        QCOMPARE(published.count(), 0);
        QVERIFY(model.moveDown(0));
        QCOMPARE(published.count(), 1);
        QCOMPARE(ids(model).first(), service.items().first().id);
        model.clickRow(0); // the item now in that row
        QCOMPARE(platform.presses.last().itemIndex, 1);

        // While not live (the panel closed) the rows wait; live again, they
        // catch up with the last rescan at once.
        model.setLive(false);
        platform.world().applications[0].items.removeFirst();
        service.scan();
        QCOMPARE(model.count(), 3);
        model.setLive(true);
        QCOMPARE(model.count(), 2);
        QCOMPARE(ids(model).first(), service.items().first().id);

        // The permission reaches the panel with the scan that finds it
        // changed, and a scan that only confirms it tells the panel nothing.
        QVERIFY(model.isTrusted());
        QSignalSpy trusted(&model, &ItemListModel::trustedChanged);
        service.scan();
        QCOMPARE(trusted.count(), 0);
        platform.world().trusted = false;
        QVERIFY(model.isTrusted()); // not before the next scan
        service.scan();
        QCOMPARE(trusted.count(), 1);
        QVERIFY(!model.isTrusted());
        platform.world().trusted = true;
        service.scan();
        QVERIFY(model.isTrusted());
        model.setService(nullptr); // without a service, the hint
        QVERIFY(!model.isTrusted());
        QCOMPARE(trusted.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestItemListModel)
#include "tst_itemlistmodel.moc"
