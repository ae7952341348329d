// The settings page's login toggle against a scripted login item: the change
// rule, the re-read after a failed register or unregister, and a registration
// still waiting for approval.
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
        QTest::addColumn<bool>("needsApproval");
        QTest::addColumn<bool>("shownAfter");
        QTest::addColumn<int>("changeSignals");
        QTest::addColumn<bool>("shownNextVisit");

        QTest::newRow("turn on, register works") << false << false << false << true << 1 << true;
        QTest::newRow("turn on, register fails") << false << true << false << false << 2 << false;
        QTest::newRow("turn off, unregister works") << true << false << false << false << 1 << false;
        QTest::newRow("turn off, unregister fails") << true << true << false << true << 2 << true;
        // Success is success: the toggle stays on for this visit.
        QTest::newRow("turn on, approval pending") << false << false << true << true << 1 << false;
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
        QFETCH(bool, needsApproval);
        item.setRegisterNeedsApproval(needsApproval);
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

        // Setting the value it already has calls nothing.
        page.setLaunchAtLogin(shownAfter);
        QCOMPARE(item.registerCalls() + item.unregisterCalls(), 1);
        page.reload();
        QTEST(page.launchAtLogin(), "shownNextVisit");
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
    }
};

QTEST_GUILESS_MAIN(TestLoginItemToggle)
#include "tst_loginitemtoggle.moc"
