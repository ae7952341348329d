// The control interface's behaviour over a service on the scripted platform:
// the JSON it hands out, activation by id and refresh. And
// what Trayvane's own status item tells hosts and learns from them.
#include "App/linux/LinuxStatusIcon.h"
#include "App/linux/TrayvaneControl.h"
#include "Platform/linux/TrayvaneStatusItem.h"
#include "Platform/scripted/ScriptedPlatform.h"
#include "Services/MenuBarService.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Trayvane;

namespace {

ScriptedApplication application(qint32 pid, const QString &name, std::optional<QString> bundle,
                                QList<ScriptedItem> items)
{
    return {.processIdentifier = pid, .localizedName = name, .bundleIdentifier = bundle, .items = std::move(items)};
}

// A service after its first scan of these applications, with the control
// interface over it exported nowhere (a connection that was never opened).
struct Controlled
{
    explicit Controlled(QList<ScriptedApplication> applications)
        : platform(ScriptedWorld{.applications = std::move(applications), .dataDirectory = dir.path()})
    {
    }
    QTemporaryDir dir;
    ScriptedPlatform platform;
    MenuBarService service{platform};
    TrayvaneControl control{service, {}, QDBusConnection(QStringLiteral("trayvane-test-none"))};
};

} // namespace

class TestTrayvaneControl : public QObject
{
    Q_OBJECT

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
        QTest::addColumn<int>("fromTop");   // the click's distance from the top edge; negative: from the bottom
        QTest::addColumn<int>("barHeight"); // 1: the point itself
        QTest::newRow("middle of a top bar") << 12 << 24;
        QTest::newRow("close to the top edge") << 3 << 15;
        QTest::newRow("middle of a bottom bar") << -14 << 28;
        QTest::newRow("nowhere near an edge") << 200 << 1;
    }
    void barAroundAHostsClick()
    {
        QFETCH(int, fromTop);
        QFETCH(int, barHeight);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPoint click(screen.center().x(), fromTop >= 0 ? screen.top() + fromTop : screen.bottom() + fromTop);
        const QRect bar = barAround(click);
        QCOMPARE(bar.height(), barHeight);
        QVERIFY(bar.contains(click));
        if (barHeight == 1)
            QCOMPARE(bar.topLeft(), click);
        else if (fromTop >= 0)
            QCOMPARE(bar.top(), screen.top());
        else
            QCOMPARE(bar.bottom(), screen.bottom());
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
        // A shown item named by its description and a hidden one by its title.
        Controlled rig({application(-5, text, bundle,
                                    {ScriptedItem::make(text, std::nullopt, 12.5, 24),
                                     ScriptedItem::make(std::nullopt, text, -3, 0)})});
        QCOMPARE(rig.service.items().size(), 2);
        QJsonArray array;
        for (const MenuBarItem &item : rig.service.items())
            array.append(TrayvaneControl::itemObject(item));
        QCOMPARE(rig.control.Items(), QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
    }

    // Two items of one application with the same name and x share an id.
    void activatePressesTheFirstItemWithThatId()
    {
        const ScriptedItem hammer = ScriptedItem::make("Hammer", {}, 24, 24);
        Controlled rig({application(7, "Werkzeug", std::nullopt, {hammer, hammer})});
        const QString id = rig.service.items().at(0).id;
        QCOMPARE(rig.service.items().at(1).id, id);
        QVERIFY(rig.control.Activate(id));
        QVERIFY(!rig.control.Activate(QStringLiteral("Nobody-Nothing-0")));
        QVERIFY(!rig.control.Activate(QString()));
        QCOMPARE(rig.platform.presses.size(), 1);
        QCOMPARE(rig.platform.presses.at(0).processIdentifier, 7);
        QCOMPARE(rig.platform.presses.at(0).itemIndex, 0);
    }

    // The text is kept until the service publishes: a scan or a move.
    void itemsTextFollowsThePublishedItems()
    {
        Controlled rig({application(42, "Post", "org.example.Mail", {ScriptedItem::make("Eingang", {}, 48, 24)})});
        const QString before = rig.control.Items();
        rig.platform.world().applications[0].items.append(ScriptedItem::make("Ausgang", {}, 72, 24));
        QCOMPARE(rig.control.Items(), before); // nothing read until a scan
        rig.control.Refresh();
        QVERIFY(rig.control.Items().indexOf(u"Eingang") < rig.control.Items().indexOf(u"Ausgang"));
        rig.service.swapItems(0, 1); // sort mode publishes too
        QVERIFY(rig.control.Items().indexOf(u"Ausgang") < rig.control.Items().indexOf(u"Eingang"));
    }
};

QTEST_MAIN(TestTrayvaneControl)
#include "tst_trayvanecontrol.moc"
