// Display identity and order key of an item.
#include "Models/MenuBarItem.h"

#include <QTest>

#include <limits>

using namespace Trayvane;

Q_DECLARE_METATYPE(std::optional<QString>)

class TestMenuBarItem : public QObject
{
    Q_OBJECT
private slots:
    void id_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<QString>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("fraction truncated") << 812.75 << "Kontrollzentrum-WLAN-812";
        QTest::newRow("negative truncates toward zero") << -12.9 << "Kontrollzentrum-WLAN--12";
        QTest::newRow("negative below one is zero") << -0.5 << "Kontrollzentrum-WLAN-0";
        QTest::newRow("zero") << 0.0 << "Kontrollzentrum-WLAN-0";
        QTest::newRow("large") << 1e15 << "Kontrollzentrum-WLAN-1000000000000000";
        QTest::newRow("beyond 64 bits saturates") << 1e30 << "Kontrollzentrum-WLAN-9223372036854775807";
        QTest::newRow("exactly 2^63 saturates") << 9223372036854775808.0 << "Kontrollzentrum-WLAN-9223372036854775807";
        QTest::newRow("exactly -2^63 fits") << -9223372036854775808.0 << "Kontrollzentrum-WLAN--9223372036854775808";
        QTest::newRow("below -2^63 saturates") << -1e30 << "Kontrollzentrum-WLAN--9223372036854775808";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "Kontrollzentrum-WLAN-nan";
        QTest::newRow("infinity") << inf << "Kontrollzentrum-WLAN-inf";
        QTest::newRow("minus infinity") << -inf << "Kontrollzentrum-WLAN--inf";
    }
    void id()
    {
        QFETCH(double, x);
        QFETCH(QString, expected);
        QCOMPARE(MenuBarItem::makeId(QStringLiteral("Kontrollzentrum"), QStringLiteral("WLAN"), x), expected);
    }

    void orderKey_data()
    {
        QTest::addColumn<std::optional<QString>>("bundle");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bundle identifier") << std::optional<QString>(QStringLiteral("com.example.clock")) << "com.example.clock:Uhr";
        QTest::newRow("no bundle identifier: owner name") << std::optional<QString>() << "Zeitanzeige:Uhr";
        QTest::newRow("empty bundle identifier still wins") << std::optional<QString>(QString()) << ":Uhr";
    }
    void orderKey()
    {
        QFETCH(std::optional<QString>, bundle);
        QFETCH(QString, expected);
        MenuBarItem item;
        item.ownerName = QStringLiteral("Zeitanzeige");
        item.displayName = QStringLiteral("Uhr");
        item.bundleIdentifier = bundle;
        item.frame = QRectF(500, 0, 20, 24);
        QCOMPARE(item.orderKey(), expected);
        item.frame.moveLeft(10); // position-free
        QCOMPARE(item.orderKey(), expected);
    }

    void copiesShareHandles()
    {
        MenuBarItem item;
        item.appIcon = QImage(16, 16, QImage::Format_ARGB32);
        item.axElement = ElementRef(new PlatformElement);
        const MenuBarItem copy = item;
        QCOMPARE(copy.appIcon.constBits(), std::as_const(item).appIcon.constBits());
        QCOMPARE(copy.axElement.data(), item.axElement.data());
        QWeakPointer<PlatformElement> weak = item.axElement;
        item = MenuBarItem();
        QVERIFY(!weak.isNull()); // the copy keeps the element alive
    }
};

QTEST_GUILESS_MAIN(TestMenuBarItem)
#include "tst_menubaritem.moc"
