// How long the merge and a full scan take. Run on demand:
//   build/bench/bench_core            (add -median 9 for steadier numbers)
// Targets: merge of 10 000 keys with 10 000 items <= 5 ms; a full scan of
// 30 applications x 5 items on the scripted platform <= 0.5 ms.
#include "Services/MenuBarService.h"
#include "Services/OrderMerge.h"
#include "Platform/scripted/ScriptedPlatform.h"

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
        ScriptedWorld world;
        world.dataDirectory = dir.path();
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
        ScriptedPlatform platform(world);
        MenuBarService service(platform);
        QCOMPARE(service.items().size(), 150);
        QBENCHMARK {
            service.scan();
        }
    }
};

QTEST_GUILESS_MAIN(BenchCore)
#include "bench_core.moc"
