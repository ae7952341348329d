// How long the merge and a full scan take. Run on demand:
//   build/bench/bench_core            (add -median 9 for steadier numbers)
// Targets: merge of 10 000 keys with 10 000 items <= 5 ms; a full scan of
// 30 applications x 5 items on the scripted platform <= 0.5 ms, also when the
// items come through the accessibility mirror (the macOS backend's way).
#include "Services/MenuBarService.h"
#include "Services/OrderMerge.h"
#include "Platform/scripted/ScriptedPlatform.h"
#include "MirroredScripted.h"

#include <QThread>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Trayvane;

class BenchCore : public QObject
{
    Q_OBJECT
private slots:
    void merge10000()
    {
        constexpr int count = 10000;
        QRandomGenerator random(7);
        MenuBarItemList items;
        QStringList keys;
        for (int i = 0; i < count; ++i) {
            MenuBarItem item;
            item.ownerName = QStringLiteral("App %1").arg(i % 300);
            item.displayName = QStringLiteral("Item %1").arg(i);
            item.frame = QRectF(random.bounded(3000), 0, 22, 24);
            items.append(item);
        }
        // Saved keys: most present in another order, some gone, some new items unsaved.
        for (int i = count - 1; i >= 0; --i)
            keys.append(i % 10 == 0 ? QStringLiteral("Gone:%1").arg(i) : items.at(i).orderKey());
        const QStringList canonicalKeys = OrderMerge::canonical(keys);
        MenuBarItemList result;
        QBENCHMARK {
            result = OrderMerge::merge(items, canonicalKeys);
        }
        QCOMPARE(result.size(), count);
    }

    void scan30x5()
    {
        QTemporaryDir dir;
        ScriptedPlatform platform(world30x5(dir.path()));
        MenuBarService service(platform);
        QCOMPARE(service.items().size(), 150);
        QBENCHMARK {
            service.scan();
        }
    }

    // The main thread's part of a scan when the answers come from the
    // mirror's snapshot.
    void scan30x5ThroughMirror()
    {
        QTemporaryDir dir;
        MirroredWorld mirrored(world30x5(dir.path()));
        QVERIFY(mirrored.ready);
        MenuBarService service(mirrored.platform);
        service.scan();
        QCOMPARE(service.items().size(), 150);
        QBENCHMARK {
            service.scan();
        }
    }

    // The mirror's thread reading one snapshot of the same world (the
    // scripted peers answer at once, so this is the mirror's own cost).
    void mirrorSnapshot30x5()
    {
        QTemporaryDir dir;
        MirroredWorld mirrored(world30x5(dir.path()));
        QVERIFY(mirrored.ready);
        QBENCHMARK {
            const quint64 before = mirrored.mirror.completedRefreshes();
            mirrored.mirror.requestRefresh();
            while (mirrored.mirror.completedRefreshes() == before)
                QThread::yieldCurrentThread();
        }
    }

private:
    // A world whose items reach the service through the accessibility mirror,
    // with a first snapshot read.
    struct MirroredWorld
    {
        explicit MirroredWorld(const ScriptedWorld &world)
            : peers(world), mirror(std::make_unique<ScriptedSource>(peers), quietOptions()), platform(world, mirror)
        {
            QList<qint32> pids;
            for (const ScriptedApplication &app : world.applications)
                pids.append(app.processIdentifier);
            ready = QTest::qWaitFor([this] { return mirror.completedRefreshes() >= 1; }, 10000);
            mirror.setApplications(pids);
            ready = ready && QTest::qWaitFor([this] { return mirror.completedRefreshes() >= 2; }, 10000);
        }
        static AccessibilityMirror::Options quietOptions()
        {
            AccessibilityMirror::Options options;
            options.refreshIntervalMs = 24 * 3600 * 1000;
            return options;
        }
        ScriptedPlatform peers;
        AccessibilityMirror mirror;
        MirroredPlatform platform;
        bool ready = false;
    };

    static ScriptedWorld world30x5(const QString &dataDirectory)
    {
        ScriptedWorld world;
        world.dataDirectory = dataDirectory;
        QVariantList windows;
        for (int a = 0; a < 30; ++a) {
            ScriptedApplication app;
            app.processIdentifier = 100 + a;
            app.localizedName = QStringLiteral("Anwendung %1").arg(a);
            app.bundleIdentifier = QStringLiteral("org.example.app%1").arg(a);
            app.icon = QImage(32, 32, QImage::Format_ARGB32);
            for (int i = 0; i < 5; ++i) {
                const double x = 200 + (a * 5 + i) * 24;
                app.items.append(ScriptedItem::make(QStringLiteral("Item %1").arg(i), std::nullopt, x, 22));
                const quint32 number = quint32(1000 + a * 5 + i);
                windows.append(ScriptedWorld::window(number, x, 0, 22, 24, 25));
                world.captures.insert(number, QImage(44, 48, QImage::Format_ARGB32));
            }
            world.applications.append(app);
        }
        world.windowList = windows;
        return world;
    }
};

QTEST_GUILESS_MAIN(BenchCore)
#include "bench_core.moc"
