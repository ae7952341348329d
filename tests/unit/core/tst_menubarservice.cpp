// MenuBarService through the scripted platform: scan rules, item fields,
// window lookup and capture, the order file's use, pause, notifications,
// activation and permission.
#include "Services/MenuBarService.h"
#include "Platform/scripted/ScriptedPlatform.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>
#include <memory>

#include "TestFiles.h"

using namespace Trayvane;

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();

ScriptedApplication app(qint32 pid, const QString &name, QList<ScriptedItem> items,
                        std::optional<QString> bundle = std::nullopt)
{
    return {.processIdentifier = pid, .localizedName = name, .bundleIdentifier = bundle, .items = std::move(items)};
}

ScriptedItem named(const QString &name, double x, double width = 22)
{
    return ScriptedItem::make(name, std::nullopt, x, width);
}

// An item with one attribute's answer replaced.
ScriptedItem with(ScriptedItem item, AttributeResult ScriptedItem::*attribute, AttributeResult answer)
{
    item.*attribute = std::move(answer);
    return item;
}

QStringList names(const MenuBarItemList &items)
{
    QStringList out;
    for (const MenuBarItem &item : items)
        out.append(item.displayName);
    return out;
}

} // namespace

class TestMenuBarService : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<MenuBarService> m_service;

    ScriptedWorld world(QList<ScriptedApplication> applications = {}) const
    {
        return {.applications = std::move(applications), .dataDirectory = m_dir->path()};
    }
    // A service on that world, after its first scan.
    MenuBarService &start(ScriptedWorld world)
    {
        m_service.reset();
        m_platform = std::make_unique<ScriptedPlatform>(std::move(world));
        m_service = std::make_unique<MenuBarService>(*m_platform);
        return *m_service;
    }
    ScriptedWorld &live() { return m_platform->world(); }
    QString orderPath() const { return m_dir->filePath("Trayvane/order.json"); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void childRules_data()
    {
        QTest::addColumn<ScriptedItem>("child");
        QTest::addColumn<QString>("displayName"); // null: no item
        QTest::addColumn<bool>("hidden");
        const auto make = [](std::optional<QString> description, std::optional<QString> title, double x, double width) {
            return ScriptedItem::make(description, title, x, width);
        };
        const ScriptedItem fokus = make("Fokus", {}, 120, 22);
        QTest::newRow("nothing, width 0, x -5: no item") << make({}, {}, -5, 0) << QString() << false;
        QTest::newRow("nothing, width 8, x -5: named after the app") << make({}, {}, -5, 8) << "Werkzeug" << false;
        QTest::newRow("nothing, width 0, x 40: named after the app, hidden") << make({}, {}, 40, 0) << "Werkzeug" << true;
        QTest::newRow("empty description, title") << make("", "Batterie", 300, 22) << "Batterie" << false;
        QTest::newRow("description wins over title") << make("WLAN", "Batterie", 300, 22) << "WLAN" << false;
        QTest::newRow("description at width 0, x 0 is a hidden item") << make("WLAN", {}, 0, 0) << "WLAN" << true;
        QTest::newRow("a single space is a name") << make(" ", {}, 0, 0) << " " << true;
        QTest::newRow("title only at x 0: item, hidden") << make({}, "Uhr", 0, 20) << "Uhr" << true;
        QTest::newRow("empty title, nothing on screen: no item") << make("", "", 0, 0) << QString() << false;
        QTest::newRow("description of the wrong type is absent")
            << with(make({}, "Ton", 120, 22), &ScriptedItem::description, {AXError::Success, 42}) << "Ton" << false;
        QTest::newRow("a text that comes back is used")
            << with(make({}, {}, 120, 22), &ScriptedItem::title, {AXError::Failure, u"Alt"_qs}) << "Alt" << false;
        QTest::newRow("position of the wrong kind reads as 0")
            << with(fokus, &ScriptedItem::position, ScriptedItem::size2(120, 0)) << "Fokus" << true;
        QTest::newRow("missing size reads as 0") << with(fokus, &ScriptedItem::size, {AXError::NoValue, {}}) << "Fokus"
                                                 << true;
    }
    void childRules()
    {
        QFETCH(ScriptedItem, child);
        QFETCH(QString, displayName);
        MenuBarService &service = start(world({app(10, "Werkzeug", {child})}));
        QCOMPARE(service.items().size(), displayName.isNull() ? 0 : 1);
        if (displayName.isNull())
            return;
        const MenuBarItem &item = service.items().first();
        QCOMPARE(item.displayName, displayName);
        QTEST(item.isHidden, "hidden");
    }

    // The fields of an item, its id (x cut toward zero, saturated at 64 bits)
    // and its order key (the bundle identifier when there is one, empty or not).
    void itemFields_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<std::optional<QString>>("bundle");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("orderKey");
        const std::optional<QString> control("com.example.control"), none, empty{QString()};
        const QString key = "com.example.control:WLAN", own = "Uhr:WLAN";
        QTest::newRow("fraction cut off") << 812.75 << control << "Uhr-WLAN-812" << key;
        QTest::newRow("negative toward zero") << -12.9 << control << "Uhr-WLAN--12" << key;
        QTest::newRow("beyond 64 bits") << 1e30 << none << "Uhr-WLAN-9223372036854775807" << own;
        QTest::newRow("exactly -2^63") << -9223372036854775808.0 << none << "Uhr-WLAN--9223372036854775808" << own;
        QTest::newRow("below -2^63") << -1e30 << empty << "Uhr-WLAN--9223372036854775808" << ":WLAN";
        QTest::newRow("not a number") << notANumber << control << "Uhr-WLAN-nan" << key;
    }
    void itemFields()
    {
        QFETCH(double, x);
        QFETCH(std::optional<QString>, bundle);
        const ScriptedItem wlan = ScriptedItem::make("WLAN", {}, x, 24, 3, 22);
        MenuBarService &service = start(world({app(10, "Uhr", {wlan}, bundle)}));
        QCOMPARE(service.items().size(), 1);
        const MenuBarItem &item = service.items().first();
        QTEST(item.id, "id");
        QTEST(item.orderKey(), "orderKey");
        QCOMPARE(item.frame.size(), QSizeF(24, 22));
    }

    void applicationRules_data()
    {
        QTest::addColumn<std::optional<AttributeResult>>("bar");
        QTest::addColumn<std::optional<AttributeResult>>("children");
        QTest::addColumn<bool>("listed");
        using Opt = std::optional<AttributeResult>;
        const QVariant element = QVariant::fromValue(ElementRef(new PlatformElement));
        const QVariant null = QVariant::fromValue(ElementRef());
        QTest::newRow("normal") << Opt() << Opt() << true;
        QTest::newRow("extras bar fails") << Opt({AXError::NoValue, {}}) << Opt() << false;
        QTest::newRow("extras bar with error but a value") << Opt({AXError::Failure, element}) << Opt() << false;
        QTest::newRow("extras bar is not an element") << Opt({AXError::Success, QStringLiteral("bar")}) << Opt() << false;
        QTest::newRow("extras bar is a null element") << Opt({AXError::Success, null}) << Opt() << false;
        QTest::newRow("children missing") << Opt() << Opt({AXError::NoValue, {}}) << false;
        QTest::newRow("children not a list") << Opt() << Opt({AXError::Success, QStringLiteral("x")}) << false;
        QTest::newRow("children list holds a non-element")
            << Opt() << Opt({AXError::Success, QVariantList{element, 3}}) << false;
    }
    void applicationRules()
    {
        QFETCH(std::optional<AttributeResult>, bar);
        QFETCH(std::optional<AttributeResult>, children);
        QFETCH(bool, listed);
        ScriptedApplication broken = app(10, "Kaputt", {named("K", 100)});
        broken.extrasBarAnswer = bar;
        broken.childrenAnswer = children;
        // Beside it: a nameless application whose children list comes with a
        // failure code (still used), and this process's own items (never listed).
        ScriptedApplication nameless = app(11, "", {named("N", 200)});
        nameless.localizedName.reset();
        nameless.childrenError = AXError::Failure;
        MenuBarService &service = start(world({app(1, "Ich", {named("Selbst", 50)}), broken, nameless}));
        QCOMPARE(names(service.items()), listed ? QStringList({"K", "N"}) : QStringList({"N"}));
        QCOMPARE(service.items().last().ownerName, QStringLiteral("Unbekannt"));
    }

    // The window whose picture becomes the item's icon: a status item window
    // less than 3 from the item's x, the first such in the list; descriptions
    // that do not fit are skipped, a list that does not fit is no list.
    void windowLookup_data()
    {
        QTest::addColumn<QVariant>("windows");
        QTest::addColumn<quint32>("requested"); // the window captured; 0: none
        const auto window = [](double y, double width, double height, int layer) {
            return ScriptedWorld::window(7, 100, y, width, height, layer);
        };
        const auto changed = [&](const QString &key, const QVariant &value) {
            QVariantMap result = window(0, 30, 24, 25);
            result[key] = value;
            return result;
        };
        const auto one = [](const QVariant &window) { return QVariant(QVariantList{window}); };
        // Windows (number, x) of a status item's size.
        const auto at = [](const QList<std::pair<quint32, double>> &windows) {
            QVariantList list;
            for (const auto &[number, x] : windows)
                list.append(ScriptedWorld::window(number, x, 0, 30, 24, 25));
            return QVariant(list);
        };
        QTest::newRow("status window accepted") << one(window(0, 199.5, 24, 25)) << 7u;
        QTest::newRow("height exactly 40 accepted") << one(window(0, 30, 40, 25)) << 7u;
        QTest::newRow("width 200 rejected") << one(window(0, 200, 24, 25)) << 0u;
        QTest::newRow("width 0 rejected") << one(window(0, 0, 24, 25)) << 0u;
        QTest::newRow("height 40.5 rejected") << one(window(0, 30, 40.5, 25)) << 0u;
        QTest::newRow("y 1 rejected") << one(window(1, 30, 24, 25)) << 0u;
        QTest::newRow("layer 24 rejected") << one(window(0, 30, 24, 24)) << 0u;
        QVariantMap noLayer = window(0, 30, 24, 25);
        noLayer.remove(WindowKey::Layer);
        QTest::newRow("no layer: skipped, next one used")
            << QVariant(QVariantList{noLayer, ScriptedWorld::window(8, 101, 0, 30, 24, 25)}) << 8u;
        QTest::newRow("only a window without layer") << one(noLayer) << 0u;
        QTest::newRow("window number as text skipped") << one(changed(WindowKey::Number, QStringLiteral("7"))) << 0u;
        QTest::newRow("negative window number skipped") << one(changed(WindowKey::Number, -7)) << 0u;
        QTest::newRow("list with a non-description: no windows") << QVariant(QVariantList{window(0, 30, 24, 25), 5})
                                                                  << 0u;
        QTest::newRow("no list at all") << QVariant() << 0u;
        QTest::newRow("not a list") << QVariant(QStringLiteral("windows")) << 0u;
        QTest::newRow("exactly 3.0 away: no match") << at({{7, 103}}) << 0u;
        QTest::newRow("2.9 away: match") << at({{7, 97.1}}) << 7u;
        QTest::newRow("first record in list order wins") << at({{7, 150}, {8, 101}, {9, 100}}) << 8u;
        QTest::newRow("failed capture: no second try") << at({{6, 101}, {7, 100}}) << 6u;
    }
    void windowLookup()
    {
        QFETCH(QVariant, windows);
        QFETCH(quint32, requested);
        ScriptedWorld scripted{.applications = {app(10, "A", {named("A1", 100)})}, .windowList = windows};
        for (quint32 number : {7u, 8u, 9u}) // window 6 yields no picture
            scripted.captures.insert(number, QImage(10, 10, QImage::Format_ARGB32));
        QCOMPARE(!start(scripted).items().first().menuBarIcon.isNull(), requested >= 7);
        QCOMPARE(m_platform->captureRequests.size(), requested ? 1 : 0);
        if (!requested)
            return;
        QCOMPARE(m_platform->captureRequests.first().windowID, requested);
        for (const QVariant &window : windows.toList()) {
            const QVariantMap bounds = window.toMap().value(WindowKey::Bounds).toMap();
            if (window.toMap().value(WindowKey::Number).toUInt() == requested) // at the item's x, as wide as the window
                QCOMPARE(m_platform->captureRequests.first().rect,
                         QRectF(100, 0, bounds.value(WindowKey::Width).toDouble(), 30));
        }
    }

    // What the first scan finds in the order file: nothing usable makes it
    // store the left-to-right order; what could not be read is kept beside it;
    // without the permission a scan finds nothing and leaves the file alone.
    void orderFileOnStart_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("keptAside");
        const QByteArray fresh("[\"X:C\",\"X:A\",\"X:B\"]"), saved("[\"X:B\",\"X:Z\"]");
        const QStringList leftToRight{"C", "A", "B"};
        QTest::newRow("no file") << QByteArray() << true << leftToRight << fresh << false;
        QTest::newRow("saved order, not extended by new items")
            << saved << true << QStringList{"B", "C", "A"} << saved << false;
        QTest::newRow("empty array") << QByteArray("[]") << true << leftToRight << fresh << false;
        QTest::newRow("object") << QByteArray("{\"a\":1}") << true << leftToRight << fresh << true;
        QTest::newRow("no permission") << saved << false << QStringList() << saved << false;
    }
    void orderFileOnStart()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, trusted);
        QFETCH(bool, keptAside);
        if (!content.isNull())
            QVERIFY(writeFile(orderPath(), content));
        ScriptedWorld scripted = world({app(10, "X", {named("A", 100), named("B", 200), named("C", 50)})});
        scripted.trusted = trusted;
        MenuBarService &service = start(scripted);
        QCOMPARE(service.axTrusted(), trusted);
        QTEST(names(service.items()), "expected");
        QTEST(readFile(orderPath()), "file");
        QCOMPARE(readFile(orderPath() + ".unreadable"), keptAside ? content : QByteArray());
    }

    // Swaps are stored only by saveOrder; the saved order then holds against
    // the order cached from the last scan of the same items, moves, items that
    // leave and come back.
    void savedOrderOutlivesScans()
    {
        MenuBarService &service = start(world({app(10, "A", {named("Mitte", 200), named("Rechts", 300)}, "org.example.a"),
                                               app(11, "B", {named("Links", 100)})}));
        service.swapItems(0, 1);
        service.swapItems(5, 0); // out of range: nothing
        QCOMPARE(names(service.items()), QStringList({"Mitte", "Links", "Rechts"}));
        QCOMPARE(readFile(orderPath()), QByteArray("[\"B:Links\",\"org.example.a:Mitte\",\"org.example.a:Rechts\"]"));
        service.saveOrder();
        QCOMPARE(readFile(orderPath()), QByteArray("[\"org.example.a:Mitte\",\"B:Links\",\"org.example.a:Rechts\"]"));
        service.scan();
        QCOMPARE(names(service.items()), QStringList({"Mitte", "Links", "Rechts"}));

        live().applications[1].items[0] = named("Links", 400);
        live().applications[0].items.removeFirst();
        service.scan();
        QCOMPARE(names(service.items()), QStringList({"Links", "Rechts"}));
        live().applications[0].items.append(named("Mitte", 500));
        service.scan();
        QCOMPARE(names(service.items()), QStringList({"Mitte", "Links", "Rechts"}));
    }

    void pauseAndNotifications()
    {
        MenuBarService &service = start(world({app(10, "X", {named("A", 100)})}));
        QSignalSpy items(&service, &MenuBarService::itemsChanged);
        QSignalSpy trusted(&service, &MenuBarService::axTrustedChanged);
        QSignalSpy keys(&service, &MenuBarService::orderedKeysChanged);
        service.scan();
        service.scan(); // same items: still announced
        QCOMPARE(items.count(), 2);
        QCOMPARE(trusted.count(), 2);
        QCOMPARE(keys.count(), 0);

        service.setPauseScan(true);
        live().applications.clear();
        live().trusted = false;
        const int queries = m_platform->runningApplicationCalls;
        service.scan();
        QCOMPARE(items.count(), 2);
        QCOMPARE(trusted.count(), 2);
        QCOMPARE(m_platform->runningApplicationCalls, queries);

        service.setPauseScan(false);
        service.scan();
        QVERIFY(service.items().isEmpty());
        QVERIFY(!service.axTrusted());
        QCOMPARE(service.orderedKeys(), QStringList({"X:A"})); // revoked permission keeps the order
    }

    // A change report brings one scan at once; reports during the following
    // rest are answered by a single scan when it ends.
    void changeReports()
    {
        MenuBarService &service = start(world({app(10, "X", {named("A", 100)})}));
        QSignalSpy items(&service, &MenuBarService::itemsChanged);
        const double spacing = MenuBarService::changeScanSpacing;

        live().applications[0].items.append(named("B", 200));
        m_platform->reportStateChanged();
        QCOMPARE(items.count(), 0); // never from inside the backend's report
        m_platform->advance(0.0);
        QCOMPARE(items.count(), 1);
        QCOMPARE(names(service.items()), QStringList({"A", "B"}));

        for (int i = 0; i < 5; ++i)
            m_platform->reportStateChanged();
        live().applications[0].items.removeFirst();
        m_platform->advance(spacing / 2);
        QCOMPARE(items.count(), 1);
        m_platform->advance(spacing / 2);
        QCOMPARE(items.count(), 2);
        QCOMPARE(names(service.items()), QStringList({"B"}));
        m_platform->advance(spacing * 3); // nothing reported since: no scan
        QCOMPARE(items.count(), 2);
        QCOMPARE(m_platform->pendingSteps(), 0);

        m_platform->reportStateChanged();
        m_platform->advance(0.0);
        QCOMPARE(items.count(), 3);

        // A report between a queued scan and a gone service does nothing.
        m_platform->advance(spacing);
        m_platform->reportStateChanged();
        m_service.reset();
        m_platform->advance(spacing * 2);
        m_platform->reportStateChanged();
        QCOMPARE(m_platform->pendingSteps(), 0);
    }

    // The periodic scan: a tick of the service's timer scans.
    void timerTickScans()
    {
        MenuBarService &service = start(world());
        auto *timer = service.findChild<QTimer *>();
        QVERIFY(timer && timer->isActive());
        QSignalSpy items(&service, &MenuBarService::itemsChanged);
        timer->setInterval(0);
        QTRY_VERIFY(items.count() >= 1);
    }

    // An item with an element is pressed at once, hidden or not; one without
    // is clicked at the middle of its frame as it was at the call, mouse down
    // after 0.15 s and up after 0.20 s, unless there is no place or no events.
    void click_data()
    {
        QTest::addColumn<bool>("element");
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<bool>("events");
        QTest::addColumn<QPointF>("point"); // NaN: no click
        const QPointF none(notANumber, 0);
        QTest::newRow("element") << true << QRectF() << true << none;
        QTest::newRow("middle of the frame") << false << QRectF(100, 0, 30, 24) << true << QPointF(115, 12);
        QTest::newRow("zero frame") << false << QRectF() << true << QPointF(0, 0);
        QTest::newRow("no mouse events") << false << QRectF(10, 0, 20, 20) << false << none;
        QTest::newRow("frame without a place") << false << QRectF(notANumber, 0, 20, 20) << true << none;
    }
    void click()
    {
        QFETCH(bool, element);
        QFETCH(QRectF, frame);
        QFETCH(bool, events);
        QFETCH(QPointF, point);
        MenuBarService &service = start({.applications = {app(10, "X", {named("A", 0, 0)})},
                                         .dataDirectory = m_dir->path(), .mouseEventsAvailable = events});
        MenuBarItem item = element ? service.items().first() : MenuBarItem();
        if (!element)
            item.frame = frame;
        service.clickItem(item);
        item.frame.moveLeft(900);
        m_platform->advance(1.0);
        QCOMPARE(m_platform->presses.size(), element ? 1 : 0);
        if (element)
            QCOMPARE(m_platform->presses.at(0).time, 0.0);
        QCOMPARE(m_platform->postedEvents.size(), qIsNaN(point.x()) ? 0 : 2);
        for (const ScriptedPlatform::PostedEvent &event : m_platform->postedEvents) {
            const bool down = event.type == PlatformMouseEvent::Type::LeftMouseDown;
            QCOMPARE(down, &event == &m_platform->postedEvents.first()); // down, then up
            QCOMPARE(event.point, point);
            QVERIFY(qFuzzyCompare(event.time, down ? 0.15 : 0.20));
        }
        if (qIsNaN(point.x()) && events)
            QVERIFY(m_platform->createdEvents.isEmpty());
    }

    void openSettings_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<std::optional<QString>>("bundle");
        QTest::addColumn<bool>("toolStarts");
        QTest::addColumn<QString>("expected"); // the identifier reset; empty: the settings page opened
        const std::optional<QString> none, own("org.trayvane.Trayvane"), other("org.example.other");
        QTest::newRow("permission present: the settings page") << true << none << true << "";
        QTest::newRow("bundle identifier") << false << other << true << *other;
        QTest::newRow("no bundle: built-in identifier") << false << none << true << *own;
        QTest::newRow("tool fails to start: prompt anyway") << false << own << false << *own;
    }
    void openSettings()
    {
        QFETCH(bool, trusted);
        QFETCH(std::optional<QString>, bundle);
        QFETCH(bool, toolStarts);
        QFETCH(QString, expected);
        MenuBarService &service = start({.trusted = trusted, .bundleIdentifier = bundle, .dataDirectory = m_dir->path(),
                                         .permissionToolStarts = toolStarts});
        QSignalSpy trustedSpy(&service, &MenuBarService::axTrustedChanged);
        service.openAccessibilitySettings();
        QCOMPARE(m_platform->openedUrls.size(), trusted ? 1 : 0);
        QCOMPARE(m_platform->toolLaunches.size(), trusted ? 0 : 1);
        QCOMPARE(m_platform->prompts.size(), trusted ? 0 : 1);
        if (!trusted) {
            const auto launch = m_platform->toolLaunches.first();
            QCOMPARE(launch.executable, QStringLiteral("/usr/bin/tccutil"));
            QCOMPARE(launch.arguments, QStringList({"reset", "Accessibility", expected}));
            QVERIFY(m_platform->prompts.first() >= launch.endTime); // the prompt follows the tool's end
        }
        QCOMPARE(trustedSpy.count(), 0); // only a scan changes it
    }

    void noDataFolder()
    {
        MenuBarService &service = start({.applications = {app(10, "X", {named("A", 100)})}}); // no data folder
        QVERIFY(service.configPath().isEmpty());
        QCOMPARE(service.orderedKeys(), QStringList({"X:A"})); // kept in memory for the run
        QVERIFY(!QFile::exists("Trayvane/order.json"));
    }
};

QTEST_GUILESS_MAIN(TestMenuBarService)
#include "tst_menubarservice.moc"
