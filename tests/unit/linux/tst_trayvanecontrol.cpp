// The control interface's behaviour over a service on the scripted platform:
// the JSON it hands out, activation by id, refresh and the panel toggle. And
// what Trayvane's own status item tells hosts and learns from them.
#include "App/linux/LinuxStatusIcon.h"
#include "App/linux/TrayvaneControl.h"
#include "Platform/linux/TrayvaneStatusItem.h"
#include "Platform/scripted/ScriptedPlatform.h"
#include "Services/MenuBarService.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QScreen>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace Trayvane;

Q_DECLARE_METATYPE(std::optional<QString>)

class TestTrayvaneControl : public QObject
{
    Q_OBJECT

    static ScriptedApplication application(qint32 pid, const QString &name, std::optional<QString> bundle,
                                           QList<ScriptedItem> items)
    {
        ScriptedApplication a;
        a.processIdentifier = pid;
        a.localizedName = name;
        a.bundleIdentifier = std::move(bundle);
        a.items = std::move(items);
        return a;
    }

    static ScriptedWorld world(const QString &dataDirectory)
    {
        ScriptedWorld w;
        w.dataDirectory = dataDirectory;
        w.applications = {
            application(42, QStringLiteral("Post"), QStringLiteral("org.example.Mail"),
                        {ScriptedItem::make(QStringLiteral("Eingang"), std::nullopt, 48, 24)}),
            application(7, QStringLiteral("Werkzeug"), std::nullopt,
                        {ScriptedItem::make(QStringLiteral("Hammer"), std::nullopt, 24, 24),
                         ScriptedItem::make(QStringLiteral("Hammer"), std::nullopt, 0, 0)}),
        };
        return w;
    }

    static QJsonArray parse(const QString &json)
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !document.isArray())
            return {};
        return document.array();
    }

private slots:
    void ownItemPixmapsAreArgbInNetworkOrder()
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(QColor(0x11, 0x22, 0x33));
        const SniIconPixmapList list = TrayvaneStatusItem::pixmapsOf(QIcon(pixmap));
        QVERIFY(!list.isEmpty());
        for (const SniIconPixmap &entry : list) {
            QCOMPARE(entry.bytes.size(), qsizetype(entry.width) * entry.height * 4);
            QCOMPARE(entry.bytes.left(4), QByteArray("\xff\x11\x22\x33", 4));
        }
    }

    // Where the panel goes for a host's click: under (or over) the bar the
    // click landed in, as far as that can be told from the click alone.
    void barAroundAHostsClick_data()
    {
        QTest::addColumn<int>("fromTop");    // the click's distance from the top edge, or -1
        QTest::addColumn<int>("fromBottom"); // from the bottom edge, or -1
        QTest::addColumn<int>("barStart");   // from the edge the bar sits at; -1: the point itself
        QTest::addColumn<int>("barHeight");
        QTest::newRow("middle of a top bar") << 12 << -1 << 0 << 24;
        QTest::newRow("close to the top edge") << 3 << -1 << 0 << 15;
        QTest::newRow("middle of a bottom bar") << -1 << 14 << 0 << 28;
        QTest::newRow("nowhere near an edge") << 200 << -1 << -1 << 1;
    }

    void barAroundAHostsClick()
    {
        QFETCH(int, fromTop);
        QFETCH(int, fromBottom);
        QFETCH(int, barStart);
        QFETCH(int, barHeight);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPoint click(screen.center().x(), fromTop >= 0 ? screen.top() + fromTop : screen.bottom() - fromBottom);
        const QRect bar = barAround(click);
        QCOMPARE(bar.height(), barHeight);
        QVERIFY(bar.contains(click));
        if (barStart < 0)
            QCOMPARE(bar.topLeft(), click);
        else if (fromTop >= 0)
            QCOMPARE(bar.top(), screen.top());
        else
            QCOMPARE(bar.bottom(), screen.bottom());
    }

    void itemsAsJsonInServiceOrder()
    {
        QTemporaryDir dir;
        ScriptedPlatform platform(world(dir.path()));
        MenuBarService service(platform);
        // Not exported anywhere: a connection that was never opened.
        TrayvaneControl control(service, {}, QDBusConnection(QStringLiteral("trayvane-test-none")));
        QVERIFY(!control.isExported());

        const QJsonArray items = parse(control.Items());
        QCOMPARE(items.size(), service.items().size());
        QCOMPARE(items.size(), 3);
        for (int i = 0; i < items.size(); ++i) {
            const QJsonObject object = items.at(i).toObject();
            const MenuBarItem &item = service.items().at(i);
            QCOMPARE(object.value(QStringLiteral("id")).toString(), item.id);
            QCOMPARE(object.value(QStringLiteral("ownerName")).toString(), item.ownerName);
            QCOMPARE(object.value(QStringLiteral("displayName")).toString(), item.displayName);
            QCOMPARE(object.value(QStringLiteral("orderKey")).toString(), item.orderKey());
            QCOMPARE(object.value(QStringLiteral("ownerPID")).toInt(), item.ownerPID);
            QCOMPARE(object.value(QStringLiteral("isHidden")).toBool(), item.isHidden);
            QCOMPARE(object.keys().size(), 7);
        }
        const QJsonObject mail = items.at(2).toObject(); // x 48: rightmost
        QCOMPARE(mail.value(QStringLiteral("bundleIdentifier")).toString(), QStringLiteral("org.example.Mail"));
        const QJsonObject tool = items.at(1).toObject();
        QVERIFY(tool.value(QStringLiteral("bundleIdentifier")).isNull()); // absent: null, not ""
        QCOMPARE(tool.value(QStringLiteral("isHidden")).toBool(), false);
        QCOMPARE(items.at(0).toObject().value(QStringLiteral("isHidden")).toBool(), true);
    }

    // The text is written by hand; it must stay what QJsonDocument writes.
    void itemsTextAsTheDocumentWritesIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("bundle");
        QTest::newRow("plain") << QStringLiteral("Eingang") << std::optional<QString>();
        QTest::newRow("quotes and backslashes") << QStringLiteral("\"a\\b\"\\") << std::optional<QString>(u"q\"b"_qs);
        QString controls;
        for (char16_t c = 0; c < 0x20; ++c)
            controls += QChar(c);
        QTest::newRow("control characters") << controls + QChar(0x7f) << std::optional<QString>(QString());
        QTest::newRow("beyond ASCII") << QStringLiteral("Lautstärke € 😀 \u2028\ufeff") << std::optional<QString>();
        QTest::newRow("half pairs") << QString(QChar(0xd83d)) + QLatin1Char('x') + QChar(0xde00) + QChar(0xd800)
                                    << std::optional<QString>(QString(QChar(0xdfff)));
    }
    void itemsTextAsTheDocumentWritesIt()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, bundle);
        QTemporaryDir dir;
        ScriptedWorld w;
        w.dataDirectory = dir.path();
        w.applications = {application(-5, text, bundle, {ScriptedItem::make(text, std::nullopt, 12.5, 24),
                                                         ScriptedItem::make(std::nullopt, text, -3, 0)})};
        ScriptedPlatform platform(w);
        MenuBarService service(platform);
        TrayvaneControl control(service, {}, QDBusConnection(QStringLiteral("trayvane-test-none")));
        QCOMPARE(service.items().size(), 2);
        QJsonArray array;
        for (const MenuBarItem &item : service.items())
            array.append(TrayvaneControl::itemObject(item));
        QCOMPARE(control.Items(), QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
    }

    void activatePressesTheFirstItemWithThatId()
    {
        QTemporaryDir dir;
        ScriptedWorld w = world(dir.path());
        // Two items of one application with the same name and x share an id.
        w.applications[1].items[1] = ScriptedItem::make(QStringLiteral("Hammer"), std::nullopt, 24, 24);
        ScriptedPlatform platform(w);
        MenuBarService service(platform);
        TrayvaneControl control(service, {}, QDBusConnection(QStringLiteral("trayvane-test-none")));

        const QString id = service.items().at(0).id;
        QCOMPARE(service.items().at(1).id, id);
        QVERIFY(control.Activate(id));
        QCOMPARE(platform.presses.size(), 1);
        QCOMPARE(platform.presses.at(0).processIdentifier, 7);
        QCOMPARE(platform.presses.at(0).itemIndex, 0);
        QCOMPARE(platform.presses.at(0).action, QStringLiteral("AXPress"));

        QVERIFY(!control.Activate(QStringLiteral("Nobody-Nothing-0")));
        QVERIFY(!control.Activate(QString()));
        QCOMPARE(platform.presses.size(), 1);
    }

    void refreshScansAndToggleCallsBack()
    {
        QTemporaryDir dir;
        ScriptedPlatform platform(world(dir.path()));
        MenuBarService service(platform);
        int toggles = 0;
        TrayvaneControl control(service, [&] { ++toggles; }, QDBusConnection(QStringLiteral("trayvane-test-none")));

        platform.world().applications[0].items.append(
            ScriptedItem::make(QStringLiteral("Ausgang"), std::nullopt, 72, 24));
        QCOMPARE(parse(control.Items()).size(), 3); // nothing read until a scan
        control.Refresh();
        QCOMPARE(parse(control.Items()).size(), 4);
        const QJsonValue first = parse(control.Items()).at(0).toObject().value(QStringLiteral("id"));
        service.swapItems(0, 1); // sort mode publishes too
        QCOMPARE(parse(control.Items()).at(1).toObject().value(QStringLiteral("id")), first);

        control.TogglePanel();
        control.TogglePanel();
        QCOMPARE(toggles, 2);
    }
};

QTEST_MAIN(TestTrayvaneControl)
#include "tst_trayvanecontrol.moc"
