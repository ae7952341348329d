// The saved order: the file's format, its merge with the scanned items, and
// the file under hostile conditions (a folder, a link or a huge file in its
// place, names for setting it aside taken, a full disk).
#include "Services/MenuBarService.h"
#include "Services/OrderMerge.h"
#include "Services/OrderStore.h"
#include "Platform/scripted/ScriptedPlatform.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include "TestFiles.h"

using namespace Trayvane;

class TestOrderStore : public QObject
{
    Q_OBJECT
private slots:
    // The file's text: what is written reads back byte for byte; other arrays
    // of strings read too; anything else is unreadable.
    void format_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<std::optional<QStringList>>("keys"); // nothing: unreadable
        QTest::addColumn<bool>("written");                    // what is written for these keys
        using Keys = std::optional<QStringList>;
        QTest::newRow("empty") << QByteArray("[]") << Keys(QStringList{}) << true;
        QTest::newRow("compact, solidus escaped")
            << QByteArray("[\"com.example.a:WLAN\",\"a\\/b\"]") << Keys({"com.example.a:WLAN", "a/b"}) << true;
        QTest::newRow("quote, backslash, control characters")
            << QByteArray("[\"\\\"\\\\\\n\\t\\u0001\\u001f\"]")
            << Keys(QStringList{QString::fromLatin1("\"\\\n\t\x01\x1f")}) << true;
        QTest::newRow("non-ASCII and DEL plain") << QString::fromUtf8("[\"Menü😀 \u2028\x7f\"]").toUtf8()
                                                 << Keys(QStringList{QString::fromUtf8("Menü😀 \u2028\x7f")}) << true;
        QTest::newRow("pretty, escapes, duplicates")
            << QByteArray("[\n  \"a:b\" ,\n\t\"c\\/d\", \"a:b\"]\n") << Keys({"a:b", "c/d", "a:b"}) << false;
        QTest::newRow("object") << QByteArray("{\"a\":\"b\"}") << Keys() << false;
        QTest::newRow("nested array") << QByteArray("[[\"a\"]]") << Keys() << false;
        QTest::newRow("truncated") << QByteArray("[\"a\",\"b") << Keys() << false;
        QTest::newRow("empty file") << QByteArray() << Keys() << false;
    }
    void format()
    {
        QFETCH(QByteArray, json);
        QFETCH(std::optional<QStringList>, keys);
        QFETCH(bool, written);
        QCOMPARE(OrderStore::decode(json), keys);
        if (written)
            QCOMPARE(OrderStore::encode(*keys), json);
    }

    // Items "App:<name>" at the given x, in discovery order; the result as
    // indices into them.
    void merge_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<double>>("xs");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QList<int>>("expected");
        const auto row = [](const char *name, const QStringList &names, const QList<double> &xs,
                            const QStringList &keys, const QList<int> &expected) {
            QTest::newRow(name) << names << xs << keys << expected;
        };
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const QStringList abcd{"A", "B", "C", "D"};
        row("saved order wins, the rest by x", abcd, {100, 300, 50, 20}, {"App:B", "App:A"}, {1, 0, 3, 2});
        row("no saved order: left to right, equal x in discovery order", abcd, {30, 10, 30, 5}, {}, {3, 1, 0, 2});
        row("missing keys skipped", abcd, {1, 2, 3, 4}, {"App:Z", "App:C", "App:Y"}, {2, 0, 1, 3});
        // Each occurrence of a key takes the next match in discovery order;
        // the surplus goes to the tail.
        row("duplicate names", {"Dup", "Dup", "Dup", "X"}, {300, 100, 200, 50}, {"App:Dup", "App:X", "App:Dup"},
            {0, 3, 1, 2});
        row("canonically equal keys match", {"Z", QString::fromUtf8("Menu\u0308")}, {10, 20},
            {QString::fromUtf8("App:Men\u00fc")}, {1, 0});
        row("case matters", {"Z", "Menu"}, {10, 20}, {"App:MENU"}, {0, 1});
        row("x not a number sorts last", abcd, {nan, 20, nan, 10}, {}, {3, 1, 0, 2});
    }
    void merge()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<double>, xs);
        QFETCH(QStringList, keys);
        MenuBarItemList items;
        for (int i = 0; i < names.size(); ++i) // the pid tells items apart in the result
            items.append(
                {.ownerName = "App", .displayName = names.at(i), .ownerPID = i, .frame = {xs.at(i), 0, 20, 24}});
        QList<int> order;
        for (const MenuBarItem &item : OrderMerge::merge(items, OrderMerge::canonical(keys)))
            order.append(item.ownerPID);
        QTEST(order, "expected");
    }

    // Whatever is in the file's place, and whatever already has the aside
    // name, is kept: the unreadable thing under the first free name.
    void unreadableIsSetAside_data()
    {
        QTest::addColumn<QString>("content"); // "dir": a folder with a file in it; "huge": too big to read
        QTest::addColumn<QStringList>("taken"); // "name/" is a folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("not JSON") << "{not json" << QStringList{} << ".unreadable";
        QTest::newRow("a folder with content") << "dir" << QStringList{} << ".unreadable";
        QTest::newRow("a file too big to read") << "huge" << QStringList{} << ".unreadable";
        QTest::newRow("aside is a folder") << "{not json" << QStringList{".unreadable/"} << ".unreadable.1";
        QTest::newRow("aside and .1 taken") << "[1]" << QStringList{".unreadable", ".unreadable.1/"} << ".unreadable.2";
    }
    void unreadableIsSetAside()
    {
        QFETCH(QString, content);
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("order.json");
        if (content == QLatin1String("dir"))
            QVERIFY(writeFile(path + "/keep.txt", "keep"));
        else if (content == QLatin1String("huge")) // an empty list, a byte over the limit
            QVERIFY(writeFile(path, '[' + QByteArray(OrderStore::maximumFileSize - 1, ' ') + ']'));
        else
            QVERIFY(writeFile(path, content.toUtf8()));
        const QByteArray original = readFile(path);
        for (const QString &name : taken)
            QVERIFY(name.endsWith('/') ? QDir().mkpath(path + name + "inside") : writeFile(path + name, "earlier"));
        QStringList keys{"untouched"};
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Unreadable);
        QCOMPARE(keys, QStringList{"untouched"});
        if (content == QLatin1String("dir"))
            QVERIFY(!OrderStore::save(path, {"a"})); // never into or over the folder
        QCOMPARE(OrderStore::setAside(path), std::optional<QString>(path + expected));
        if (content == QLatin1String("dir"))
            QCOMPARE(readFile(path + expected + "/keep.txt"), QByteArray("keep"));
        else
            QCOMPARE(readFile(path + expected), original);
        for (const QString &name : taken)
            QVERIFY(name.endsWith('/') ? QFileInfo(path + name + "inside").isDir() : readFile(path + name) == "earlier");
        QVERIFY(OrderStore::save(path, {"a"}));
        QCOMPARE(readFile(path), QByteArray("[\"a\"]"));
    }

    void links()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("elsewhere.json");
        const QString path = dir.filePath("order.json");
        QVERIFY(writeFile(target, "[\"b\",\"a\"]"));
        QVERIFY(QFile::link(target, path));
        QStringList keys;
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Loaded); // read through the link
        QCOMPARE(keys, QStringList({"b", "a"}));
        QVERIFY(OrderStore::save(path, {"a", "b"}));
        QCOMPARE(readFile(path), QByteArray("[\"a\",\"b\"]"));

        const QString dangling = dir.filePath("dangling.json");
        QVERIFY(QFile::link(dir.filePath("missing.json"), dangling));
        QCOMPARE(OrderStore::load(dangling, keys), OrderStore::LoadResult::Unreadable);
        QVERIFY(OrderStore::save(dangling, {"c"}));
        QCOMPARE(readFile(dangling), QByteArray("[\"c\"]"));
    }

    // A full disk once emptied the file: the old one stays whole, the service
    // keeps the new order in memory and writes it once there is room again.
    void fullDisk()
    {
        QTemporaryDir dir;
        const QString mountPoint = dir.filePath("small");
        QDir().mkpath(mountPoint);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint}) != 0)
            QSKIP("cannot mount a small file system here");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });

        ScriptedApplication app{.processIdentifier = 10, .localizedName = "X"};
        for (int i = 0; i < 3; ++i)
            app.items.append(ScriptedItem::make(QStringLiteral("Item %1").arg(i), std::nullopt, 100 + i * 30, 22));
        ScriptedPlatform platform(ScriptedWorld{.applications = {app}, .dataDirectory = mountPoint});
        MenuBarService service(platform);
        const QString path = service.configPath();
        const QByteArray saved = readFile(path);
        QCOMPARE(saved, QByteArray("[\"X:Item 0\",\"X:Item 1\",\"X:Item 2\"]"));

        QFile filler(mountPoint + "/filler"); // to the last byte
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write("x", 1) == 1) {
        }
        filler.close();

        service.swapItems(0, 2);
        service.saveOrder();
        QCOMPARE(readFile(path), saved);
        QCOMPARE(service.orderedKeys(), QStringList({"X:Item 2", "X:Item 1", "X:Item 0"}));
        service.scan();
        QCOMPARE(service.items().first().displayName, QStringLiteral("Item 2"));

        QVERIFY(QFile::remove(mountPoint + "/filler"));
        service.saveOrder();
        QCOMPARE(readFile(path), QByteArray("[\"X:Item 2\",\"X:Item 1\",\"X:Item 0\"]"));
    }
};

QTEST_GUILESS_MAIN(TestOrderStore)
#include "tst_orderstore.moc"
