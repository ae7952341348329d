// The settings page's login toggle against a scripted login item: the change
// rule and the re-read after a failed register or unregister.
#include "Platform/scripted/ScriptedLoginItem.h"
#include "Views/LoginItemToggle.h"

#include <QSignalSpy>
#include <QTest>

using namespace Trayvane;

class TestLoginItemToggle : public QObject
{
    Q_OBJECT

private slots:
    void toggleAppliesChangeRule_data()
    {
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<bool>("callFails");
        QTest::addColumn<bool>("shownAfter");
        QTest::addColumn<int>("changeSignals");

        QTest::newRow("turn on, register works") << false << false << true << 1;
        QTest::newRow("turn on, register fails") << false << true << false << 2;
        QTest::newRow("turn off, unregister works") << true << false << false << 1;
        QTest::newRow("turn off, unregister fails") << true << true << true << 2;
    }

    void toggleAppliesChangeRule()
    {
        QFETCH(bool, enabledBefore);
        QFETCH(bool, callFails);
        QFETCH(bool, shownAfter);

        ScriptedLoginItem item;
        item.setEnabled(enabledBefore);
        item.setRegisterFails(callFails);
        item.setUnregisterFails(callFails);
        LoginItemToggle page;
        page.setLoginItem(&item);
        QCOMPARE(page.launchAtLogin(), enabledBefore);
        const int readsAfterBuild = item.statusReads();
        QSignalSpy changes(&page, &LoginItemToggle::launchAtLoginChanged);

        page.toggle();

        QCOMPARE(page.launchAtLogin(), shownAfter);
        // Exactly one call, the one the new value asks for; no second call after
        // the correction of a failure.
        QCOMPARE(item.registerCalls(), enabledBefore ? 0 : 1);
        QCOMPARE(item.unregisterCalls(), enabledBefore ? 1 : 0);
        QTEST(int(changes.count()), "changeSignals");
        // The status is read again only after a failure.
        QCOMPARE(item.statusReads() - readsAfterBuild, callFails ? 1 : 0);
        QCOMPARE(item.isEnabled(), shownAfter);

        // Setting the value it already has calls nothing.
        page.setLaunchAtLogin(shownAfter);
        QCOMPARE(item.registerCalls() + item.unregisterCalls(), 1);
    }

    void approvalPendingShowsOffOnNextVisit()
    {
        ScriptedLoginItem item;
        item.setRegisterNeedsApproval(true);
        LoginItemToggle page;
        page.setLoginItem(&item);
        page.setLaunchAtLogin(true);
        // Success is success: the toggle stays on for this visit.
        QVERIFY(page.launchAtLogin());
        page.reload();
        QVERIFY(!page.launchAtLogin());
    }

    void withoutLoginItemStaysOff()
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
};

QTEST_GUILESS_MAIN(TestLoginItemToggle)
#include "tst_loginitemtoggle.moc"
