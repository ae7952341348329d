// The settings page's login toggle against a scripted login item: the state
// read when the page is built, the change rule, and the re-read after a
// failed register or unregister.
#include "Platform/scripted/ScriptedLoginItem.h"
#include "Views/LoginItemToggle.h"

#include <QSignalSpy>
#include <QTest>

using namespace Trayvane;

class TestLoginItemToggle : public QObject
{
    Q_OBJECT

private slots:
    void buildingReadsPlatformState_data();
    void buildingReadsPlatformState();
    void toggleAppliesChangeRule_data();
    void toggleAppliesChangeRule();
    void approvalPendingShowsOffOnNextVisit();
    void settingSameValueCallsNothing();
    void withoutLoginItemStaysOff();
};

void TestLoginItemToggle::buildingReadsPlatformState_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("registered") << true;
    QTest::newRow("not registered") << false;
}

void TestLoginItemToggle::buildingReadsPlatformState()
{
    QFETCH(bool, enabled);
    ScriptedLoginItem item;
    item.setEnabled(enabled);
    LoginItemToggle page;
    page.setLoginItem(&item);
    QCOMPARE(page.launchAtLogin(), enabled);
    QCOMPARE(item.registerCalls() + item.unregisterCalls(), 0);

    // The user changes it in the system settings; the next visit shows that.
    item.setEnabled(!enabled);
    QCOMPARE(page.launchAtLogin(), enabled);
    LoginItemToggle nextVisit;
    nextVisit.setLoginItem(&item);
    QCOMPARE(nextVisit.launchAtLogin(), !enabled);
    QCOMPARE(item.registerCalls() + item.unregisterCalls(), 0);
}

void TestLoginItemToggle::toggleAppliesChangeRule_data()
{
    QTest::addColumn<bool>("enabledBefore");
    QTest::addColumn<bool>("callFails");
    QTest::addColumn<bool>("shownAfter");
    QTest::addColumn<int>("registerCalls");
    QTest::addColumn<int>("unregisterCalls");
    QTest::addColumn<int>("changeSignals");

    QTest::newRow("turn on, register works") << false << false << true << 1 << 0 << 1;
    QTest::newRow("turn on, register fails") << false << true << false << 1 << 0 << 2;
    QTest::newRow("turn off, unregister works") << true << false << false << 0 << 1 << 1;
    QTest::newRow("turn off, unregister fails") << true << true << true << 0 << 1 << 2;
}

void TestLoginItemToggle::toggleAppliesChangeRule()
{
    QFETCH(bool, enabledBefore);
    QFETCH(bool, callFails);
    QFETCH(bool, shownAfter);
    QFETCH(int, registerCalls);
    QFETCH(int, unregisterCalls);
    QFETCH(int, changeSignals);

    ScriptedLoginItem item;
    item.setEnabled(enabledBefore);
    item.setRegisterFails(callFails);
    item.setUnregisterFails(callFails);
    LoginItemToggle page;
    page.setLoginItem(&item);
    const int readsAfterBuild = item.statusReads();
    QSignalSpy changes(&page, &LoginItemToggle::launchAtLoginChanged);

    page.toggle();

    QCOMPARE(page.launchAtLogin(), shownAfter);
    QCOMPARE(item.isEnabled(), shownAfter); // the toggle shows what is in force
    QCOMPARE(item.registerCalls(), registerCalls);
    QCOMPARE(item.unregisterCalls(), unregisterCalls);
    QCOMPARE(changes.count(), changeSignals);
    // The status is read again only after a failure (and once above).
    QCOMPARE(item.statusReads() - readsAfterBuild, (callFails ? 1 : 0) + 1);
}

void TestLoginItemToggle::approvalPendingShowsOffOnNextVisit()
{
    ScriptedLoginItem item;
    item.setRegisterNeedsApproval(true);
    LoginItemToggle page;
    page.setLoginItem(&item);
    page.setLaunchAtLogin(true);
    // Success is success: the toggle stays on for this visit.
    QVERIFY(page.launchAtLogin());
    QCOMPARE(item.registerCalls(), 1);

    LoginItemToggle nextVisit;
    nextVisit.setLoginItem(&item);
    QVERIFY(!nextVisit.launchAtLogin());
}

void TestLoginItemToggle::settingSameValueCallsNothing()
{
    ScriptedLoginItem item;
    item.setEnabled(true);
    LoginItemToggle page;
    page.setLoginItem(&item);
    QSignalSpy changes(&page, &LoginItemToggle::launchAtLoginChanged);
    page.setLaunchAtLogin(true);
    QCOMPARE(item.registerCalls() + item.unregisterCalls(), 0);
    QCOMPARE(changes.count(), 0);
}

void TestLoginItemToggle::withoutLoginItemStaysOff()
{
    QObject notALoginItem;
    LoginItemToggle page;
    page.setLoginItem(&notALoginItem);
    QCOMPARE(page.loginItem(), nullptr);
    page.toggle();
    QVERIFY(!page.launchAtLogin());

    // A login item that goes away while the page is shown counts as none.
    auto *item = new ScriptedLoginItem;
    item->setEnabled(true);
    page.setLoginItem(item);
    QVERIFY(page.launchAtLogin());
    delete item;
    page.toggle();
    QVERIFY(!page.launchAtLogin());
    page.toggle();
    QVERIFY(!page.launchAtLogin());
}

QTEST_GUILESS_MAIN(TestLoginItemToggle)
#include "tst_loginitemtoggle.moc"
