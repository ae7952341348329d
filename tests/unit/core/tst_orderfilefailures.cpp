// The order file under hostile conditions: a folder or a link in its place, a
// huge file, a full disk. Start-up and scans keep working, the old file is
// never replaced by a partial one, the in-memory order is kept.
#include "Services/MenuBarService.h"
#include "Services/OrderStore.h"
#include "Platform/scripted/ScriptedPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Trayvane;

namespace {

ScriptedWorld worldWithItems(const QString &dataDirectory, int count)
{
    ScriptedWorld world;
    world.dataDirectory = dataDirectory;
    ScriptedApplication app;
    app.processIdentifier = 10;
    app.localizedName = QStringLiteral("X");
    for (int i = 0; i < count; ++i)
        app.items.append(ScriptedItem::make(QStringLiteral("Item %1").arg(i), std::nullopt, 100 + i * 30, 22));
    world.applications = {app};
    return world;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestOrderFileFailures : public QObject
{
    Q_OBJECT
private slots:
    void folderInPlaceOfFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Trayvane/order.json");
        QVERIFY(QDir().mkpath(path));
        QVERIFY(QFile::copy(QFINDTESTDATA("tst_orderfilefailures.cpp"), path + "/keep.txt"));
        ScriptedPlatform platform(worldWithItems(dir.path(), 2));
        MenuBarService service(platform);
        QCOMPARE(service.items().size(), 2);
        // The folder is set aside with its content, and the order is written.
        QVERIFY(QFileInfo(path).isFile());
        QVERIFY(QFileInfo::exists(path + ".unreadable/keep.txt"));
        QCOMPARE(readFile(path), QByteArray("[\"X:Item 0\",\"X:Item 1\"]"));
    }

    // Whatever already has the aside name stays, and so does the unreadable
    // file, under the first free name after it.
    void asideNameTaken_data()
    {
        QTest::addColumn<QStringList>("taken"); // "name/" is a folder
        QTest::addColumn<QString>("expected");
        QTest::newRow("aside is a folder") << QStringList{".unreadable/"} << ".unreadable.1";
        QTest::newRow("aside is a file") << QStringList{".unreadable"} << ".unreadable.1";
        QTest::newRow("aside and .1 taken") << QStringList{".unreadable", ".unreadable.1/"} << ".unreadable.2";
    }
    void asideNameTaken()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Trayvane"));
        const QString path = dir.filePath("Trayvane/order.json");
        auto write = [](const QString &name, const QByteArray &content) {
            QFile file(name);
            return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
        };
        QVERIFY(write(path, "{not json"));
        for (const QString &name : taken) {
            if (name.endsWith('/'))
                QVERIFY(QDir().mkpath(path + name + "inside"));
            else
                QVERIFY(write(path + name, "earlier " + name.toUtf8()));
        }
        ScriptedPlatform platform(worldWithItems(dir.path(), 1));
        MenuBarService service(platform);
        QCOMPARE(service.items().size(), 1);
        QCOMPARE(readFile(path + expected), QByteArray("{not json"));
        for (const QString &name : taken) {
            if (name.endsWith('/'))
                QVERIFY(QFileInfo(path + name + "inside").isDir());
            else
                QCOMPARE(readFile(path + name), "earlier " + name.toUtf8());
        }
        QCOMPARE(readFile(path), QByteArray("[\"X:Item 0\"]"));
    }

    void linkedFile()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Trayvane"));
        const QString target = dir.filePath("elsewhere.json");
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[\"X:Item 1\",\"X:Item 0\"]");
        file.close();
        const QString path = dir.filePath("Trayvane/order.json");
        QVERIFY(QFile::link(target, path));

        ScriptedPlatform platform(worldWithItems(dir.path(), 2));
        MenuBarService service(platform);
        QCOMPARE(service.items().first().displayName, QStringLiteral("Item 1")); // read through the link
        service.swapItems(0, 1);
        service.saveOrder();
        // Whichever way the platform writes, the order reads back as saved.
        QStringList keys;
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Loaded);
        QCOMPARE(keys, QStringList({"X:Item 0", "X:Item 1"}));
    }

    void danglingLink()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Trayvane"));
        const QString path = dir.filePath("Trayvane/order.json");
        QVERIFY(QFile::link(dir.filePath("missing.json"), path));
        ScriptedPlatform platform(worldWithItems(dir.path(), 1));
        MenuBarService service(platform);
        QCOMPARE(service.orderedKeys(), QStringList({"X:Item 0"}));
        QStringList keys;
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Loaded);
        QCOMPARE(keys, QStringList({"X:Item 0"}));
    }

    void hugeFile()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Trayvane"));
        const QString path = dir.filePath("Trayvane/order.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(100 * 1024 * 1024)); // sparse: 100 MB of zeros
        file.close();
        ScriptedPlatform platform(worldWithItems(dir.path(), 1));
        MenuBarService service(platform);
        QCOMPARE(service.items().size(), 1);
        QCOMPARE(readFile(path), QByteArray("[\"X:Item 0\"]"));
        QCOMPARE(QFileInfo(path + ".unreadable").size(), qint64(100 * 1024 * 1024));
    }

    void fullDisk()
    {
        QTemporaryDir dir;
        const QString mountPoint = dir.filePath("small");
        QDir().mkpath(mountPoint);
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint}) != 0)
            QSKIP("cannot mount a small file system here");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });

        ScriptedPlatform platform(worldWithItems(mountPoint, 3));
        MenuBarService service(platform);
        const QString path = service.configPath();
        const QByteArray saved = readFile(path);
        QCOMPARE(saved, QByteArray("[\"X:Item 0\",\"X:Item 1\",\"X:Item 2\"]"));

        // Fill the disk to the last byte.
        QFile filler(mountPoint + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        while (filler.write("x", 1) == 1 && filler.flush()) {
        }
        filler.close();

        service.swapItems(0, 2);
        service.saveOrder();
        QCOMPARE(readFile(path), saved); // the old file stays whole
        QCOMPARE(service.orderedKeys(), QStringList({"X:Item 2", "X:Item 1", "X:Item 0"}));
        service.scan(); // scans keep working and keep the new order
        QCOMPARE(service.items().first().displayName, QStringLiteral("Item 2"));

        QVERIFY(QFile::remove(mountPoint + "/filler"));
        service.saveOrder();
        QCOMPARE(readFile(path), QByteArray("[\"X:Item 2\",\"X:Item 1\",\"X:Item 0\"]"));
    }
};

QTEST_GUILESS_MAIN(TestOrderFileFailures)
#include "tst_orderfilefailures.moc"
