// The accessibility mirror of the macOS backend, on Linux: the service sees
// through it exactly what it sees on the platform itself, the main thread
// never waits for a read, and a hung or hostile application costs the mirror's
// thread little.
#include "Platform/mac/AccessibilityMirror.h"
#include "Platform/scripted/ScriptedPlatform.h"
#include "Services/MenuBarService.h"
#include "MirroredScripted.h"

#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>

using namespace Trayvane;

namespace {

constexpr int waitMs = 10000;

// A peer whose answers are a table; reads of one element can be held.
class FakeElement : public PlatformElement
{
public:
    explicit FakeElement(QString n) : name(std::move(n)) {}
    QString name;
};

QVariant element(const QString &name)
{
    return QVariant::fromValue(ElementRef(new FakeElement(name)));
}

QString key(const QString &element, const QString &attribute)
{
    return element + QLatin1Char('|') + attribute;
}

using Answers = QHash<QString, AttributeResult>;

// Application `pid` with a status item bar "bar<pid>" holding these children.
Answers bar(qint32 pid, const QStringList &children)
{
    QVariantList list;
    for (const QString &child : children)
        list.append(element(child));
    const QString name = QStringLiteral("bar%1").arg(pid);
    return {{key(QStringLiteral("app%1").arg(pid), AXName::ExtrasMenuBar), {AXError::Success, element(name)}},
            {key(name, AXName::Children), {AXError::Success, list}}};
}

QString nameOf(const ElementRef &element)
{
    const auto *fake = dynamic_cast<const FakeElement *>(element.data());
    return fake ? fake->name : QString();
}

struct Log
{
    QMutex mutex;
    Answers answers;
    QStringList actions; // "element|action"
    QStringList events;  // reads ("element|attribute") and actions, in order
    QThread *actionThread = nullptr;
    QString holdReadsOf;
    QSemaphore held, release;
    bool releaseTimedOut = false;
};

class FakeSource : public AccessibilitySource
{
public:
    FakeSource(std::shared_ptr<Log> log, Answers answers) : m_log(std::move(log))
    {
        m_log->answers = std::move(answers);
    }
    ElementRef applicationElement(qint32 pid) override
    {
        return ElementRef(new FakeElement(QStringLiteral("app%1").arg(pid)));
    }
    AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) override
    {
        bool hold = false;
        AttributeResult answer{AXError::AttributeUnsupported, {}};
        {
            QMutexLocker lock(&m_log->mutex);
            m_log->events.append(key(nameOf(element), attribute));
            hold = nameOf(element) == m_log->holdReadsOf;
            answer = m_log->answers.value(m_log->events.constLast(), answer);
        }
        if (hold) {
            m_log->held.release();
            if (!m_log->release.tryAcquire(1, waitMs)) {
                QMutexLocker lock(&m_log->mutex);
                m_log->releaseTimedOut = true;
            }
        }
        return answer;
    }
    int performAction(const ElementRef &element, const QString &action) override
    {
        QMutexLocker lock(&m_log->mutex);
        m_log->actions.append(key(nameOf(element), action));
        m_log->events.append(m_log->actions.constLast());
        m_log->actionThread = QThread::currentThread();
        return AXError::Success;
    }

private:
    std::shared_ptr<Log> m_log;
};

AccessibilityMirror::Options quietOptions(int maximumListLength = 256)
{
    AccessibilityMirror::Options options;
    options.refreshIntervalMs = 24 * 3600 * 1000; // only the refreshes a test asks for
    options.maximumListLength = maximumListLength;
    return options;
}

// Waits for the snapshot read when the thread started, then for one more
// after `change` (which must ask for exactly one).
template <typename Change>
bool refreshAfter(AccessibilityMirror &mirror, Change change)
{
    if (!QTest::qWaitFor([&] { return mirror.completedRefreshes() >= 1; }, waitMs))
        return false;
    const quint64 before = mirror.completedRefreshes();
    change();
    return QTest::qWaitFor([&] { return mirror.completedRefreshes() == before + 1; }, waitMs);
}

// The children of application `pid`'s status item bar, as the mirror answers them.
QVariantList childrenOf(AccessibilityMirror &mirror, qint32 pid)
{
    const AttributeResult bar = mirror.copyAttributeValue(mirror.applicationElement(pid), AXName::ExtrasMenuBar);
    return mirror.copyAttributeValue(bar.value.value<ElementRef>(), AXName::Children).value.toList();
}

QStringList describe(const MenuBarItemList &items)
{
    QStringList out;
    for (const MenuBarItem &item : items)
        out.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7").arg(item.id, item.orderKey()).arg(item.frame.x())
                       .arg(item.frame.y()).arg(item.frame.width()).arg(item.frame.height()).arg(item.isHidden));
    return out;
}

ScriptedApplication application(qint32 pid, const QString &name, QList<ScriptedItem> items)
{
    ScriptedApplication app;
    app.processIdentifier = pid;
    app.localizedName = name;
    app.bundleIdentifier = QStringLiteral("org.example.") + name;
    app.items = std::move(items);
    return app;
}

} // namespace

Q_DECLARE_METATYPE(ScriptedWorld)

class TestAccessibilityMirror : public QObject
{
    Q_OBJECT

private slots:
    void serviceSeesThroughTheMirrorWhatItSeesDirectly_data()
    {
        QTest::addColumn<ScriptedWorld>("world");
        const auto item = [](const QString &text, double x, double width = 22) {
            return ScriptedItem::make(text, std::nullopt, x, width);
        };

        ScriptedWorld plain;
        plain.applications = {application(20, QStringLiteral("Netz"), {item(QStringLiteral("WLAN"), 900)}),
                              application(21, QStringLiteral("Uhr"), {item(QStringLiteral("Zeit"), 960),
                                                                      item(QStringLiteral("Wecker"), 0, 0)})};
        QTest::newRow("shown and hidden items") << plain;

        ScriptedWorld untidy = plain;
        ScriptedItem titled = ScriptedItem::make(std::nullopt, QStringLiteral("Titel"), 500, 22);
        ScriptedItem nameless = ScriptedItem::make(std::nullopt, std::nullopt, 700, 22);
        ScriptedItem empty = ScriptedItem::make(std::nullopt, std::nullopt, 0, 0);
        ScriptedItem wrongKinds;
        wrongKinds.description = {AXError::Success, 42};
        wrongKinds.position = ScriptedItem::size2(30, 0); // a size where a point belongs
        wrongKinds.size = ScriptedItem::size2(22, 24);
        untidy.applications.append(application(22, QStringLiteral("Misch"), {titled, nameless, empty, wrongKinds}));
        QTest::newRow("titles, owner names, skipped and wrong kinds") << untidy;

        ScriptedWorld failing = plain;
        failing.applications[0].extrasBarAnswer = AttributeResult{AXError::NoValue, {}};
        failing.applications[1].childrenAnswer =
            AttributeResult{AXError::Failure, QVariantList{QStringLiteral("kein Element")}};
        failing.applications.append(application(23, QStringLiteral("Fehler"), {item(QStringLiteral("A"), 300)}));
        failing.applications.last().childrenError = AXError::CannotComplete; // the list still counts
        QTest::newRow("bar and children failures") << failing;
    }

    void serviceSeesThroughTheMirrorWhatItSeesDirectly()
    {
        QFETCH(ScriptedWorld, world);
        ScriptedPlatform direct(world);
        MenuBarService directService(direct);

        ScriptedPlatform peers(world);
        auto *source = new ScriptedSource(peers);
        AccessibilityMirror mirror(std::unique_ptr<AccessibilitySource>(source), quietOptions());
        MirroredPlatform mirrored(world, mirror);
        MenuBarService service(mirrored); // its first scan finds nothing read yet
        QVERIFY(service.items().isEmpty());

        // The backend announces the first snapshot, and a scan then finds
        // everything, without waiting for the next tick.
        int announced = 0;
        mirrored.setStateChangedHandler([&] {
            ++announced;
            service.scan();
        });
        mirror.setApplications({20, 21, 22, 23});
        QVERIFY(QTest::qWaitFor([&] { return announced > 0; }, waitMs));
        QVERIFY(!directService.items().isEmpty());
        QCOMPARE(describe(service.items()), describe(directService.items()));

        // A press reaches the item's own element, on the mirror's thread.
        const MenuBarItem target = service.items().constFirst();
        service.clickItem(target);
        QVERIFY(QTest::qWaitFor([&] { return source->presses.load() == 1; }, waitMs));
        QCOMPARE(peers.presses.size(), 1);
        QCOMPARE(peers.presses.constFirst().processIdentifier, target.ownerPID);
        QCOMPARE(peers.presses.constFirst().action, AXName::Press);
        QVERIFY(source->pressThread.load() != QThread::currentThread());
    }

    void neverWaitsForAHungApplication()
    {
        auto log = std::make_shared<Log>();
        log->holdReadsOf = QStringLiteral("app8");
        AccessibilityMirror mirror(std::make_unique<FakeSource>(log, bar(7, {"a"})), quietOptions());
        QVERIFY(refreshAfter(mirror, [&] { mirror.setApplications({7}); }));
        const ElementRef a = childrenOf(mirror, 7).constFirst().value<ElementRef>();

        // The thread is now stuck in application 8; the main thread is not.
        const quint64 before = mirror.completedRefreshes();
        mirror.setApplications({8, 7});
        QVERIFY(log->held.tryAcquire(1, waitMs));
        QCOMPARE(mirror.copyAttributeValue(mirror.applicationElement(7), AXName::ExtrasMenuBar).error, AXError::Success);
        QCOMPARE(mirror.copyAttributeValue(mirror.applicationElement(8), AXName::ExtrasMenuBar).error, AXError::CannotComplete);
        // Nothing is read on demand: an attribute outside the plan and an
        // element from elsewhere fail at once too.
        QCOMPARE(mirror.copyAttributeValue(a, QStringLiteral("AXRole")).error, AXError::CannotComplete);
        QCOMPARE(mirror.copyAttributeValue(ElementRef(new FakeElement("a")), AXName::Description).error, AXError::Failure);
        QCOMPARE(mirror.performAction(a, AXName::Press), AXError::Success);
        mirror.requestRefresh();
        {
            QMutexLocker lock(&log->mutex);
            QVERIFY(log->actions.isEmpty()); // queued behind the read in progress
        }
        {
            QMutexLocker lock(&log->mutex);
            log->holdReadsOf.clear();
        }
        log->release.release();

        QVERIFY(QTest::qWaitFor([&] { QMutexLocker lock(&log->mutex); return !log->actions.isEmpty(); }, waitMs));
        QVERIFY(QTest::qWaitFor([&] { return mirror.completedRefreshes() > before; }, waitMs));
        QMutexLocker lock(&log->mutex);
        QCOMPARE(log->actions, QStringList{key("a", AXName::Press)});
        // Right after the read in progress, before the rest of the snapshot.
        const qsizetype press = log->events.indexOf(key("a", AXName::Press));
        QVERIFY(press > 0);
        QCOMPARE(log->events.at(press - 1), key("app8", AXName::ExtrasMenuBar));
        QVERIFY(log->events.lastIndexOf(key("app7", AXName::ExtrasMenuBar)) > press);
        QVERIFY(log->actionThread != QThread::currentThread());
        QVERIFY(!log->releaseTimedOut); // released by the test, not by the fake's own limit
    }

    void givesUpOnAnApplicationThatStopsAnswering()
    {
        auto log = std::make_shared<Log>();
        QStringList many;
        for (int i = 0; i < 10; ++i)
            many.append(QStringLiteral("c%1").arg(i));
        Answers answers = bar(8, {"slow", "later"});
        answers.insert(bar(7, many));
        answers.insert(key("slow", AXName::Description), {AXError::CannotComplete, {}});
        AccessibilityMirror mirror(std::make_unique<FakeSource>(log, answers), quietOptions(3));
        QVERIFY(refreshAfter(mirror, [&] { mirror.setApplications({8, 7}); }));

        QVERIFY(log->events.contains(key("slow", AXName::Description)));
        for (const QString &read : log->events)
            QVERIFY2(!read.startsWith(QStringLiteral("later|")) && read != key("slow", AXName::Title), qPrintable(read));
        // The next application is read in full, its list cut to the limit.
        QCOMPARE(childrenOf(mirror, 7).size(), 3);
        QVERIFY(log->events.contains(key("c2", AXName::Size)));
        QVERIFY(!log->events.contains(key("c3", AXName::Description)));
    }

    void keepsTheLastWholeReadOfASlowApplication_data()
    {
        QTest::addColumn<QVariantList>("rounds"); // one item's description per round; invalid: it times out
        QTest::addColumn<QVariant>("shown");      // what the last snapshot answers; invalid: nothing
        QTest::addColumn<int>("announced");       // snapshots announced as changed
        const QVariant timeout;
        const QVariant wlan = QStringLiteral("WLAN");
        const QVariant lan = QStringLiteral("LAN");
        QTest::newRow("slow after a whole read: that read stands") << QVariantList{wlan, timeout} << wlan << 1;
        QTest::newRow("slow from the start: nothing to keep") << QVariantList{timeout, timeout} << timeout << 1;
        QTest::newRow("answers again: the new read replaces it") << QVariantList{wlan, timeout, lan} << lan << 2;
        QTest::newRow("the same answers again: not announced") << QVariantList{wlan, wlan} << wlan << 1;
    }

    void keepsTheLastWholeReadOfASlowApplication()
    {
        QFETCH(QVariantList, rounds);
        QFETCH(QVariant, shown);
        QFETCH(int, announced);
        auto log = std::make_shared<Log>();
        Answers answers = bar(8, {"slow", "later"});
        answers.insert(key("later", AXName::Description), {AXError::Success, QStringLiteral("Später")});
        AccessibilityMirror mirror(std::make_unique<FakeSource>(log, answers), quietOptions());
        QSignalSpy changes(&mirror, &AccessibilityMirror::snapshotChanged);
        for (qsizetype round = 0; round < rounds.size(); ++round) {
            {
                QMutexLocker lock(&log->mutex);
                const QVariant answer = rounds.at(round);
                log->answers[key("slow", AXName::Description)] = answer.isValid() ? AttributeResult{AXError::Success, answer}
                                                                 : AttributeResult{AXError::CannotComplete, {}};
            }
            QVERIFY(refreshAfter(mirror, [&] { round == 0 ? mirror.setApplications({8}) : mirror.requestRefresh(); }));
        }

        const QVariantList children = childrenOf(mirror, 8);
        QCOMPARE(children.size(), 2);
        QCOMPARE(mirror.copyAttributeValue(children.at(0).value<ElementRef>(), AXName::Description).value, shown);
        // The other item is there exactly when a whole read of the application is.
        const AttributeResult later = mirror.copyAttributeValue(children.at(1).value<ElementRef>(), AXName::Description);
        QCOMPARE(later.error == AXError::Success, shown.isValid());
        QCOMPARE(changes.count(), announced);
    }

    void stopsAfterTheReadInProgress()
    {
        auto log = std::make_shared<Log>();
        log->holdReadsOf = QStringLiteral("app8");
        auto mirror = std::make_unique<AccessibilityMirror>(std::make_unique<FakeSource>(log, Answers()), quietOptions());
        QVERIFY(QTest::qWaitFor([&] { return mirror->completedRefreshes() >= 1; }, waitMs));
        mirror->setApplications({8, 7});
        QVERIFY(log->held.tryAcquire(1, waitMs));

        mirror->stop();
        log->release.release();
        mirror.reset();
        QCOMPARE(log->events, QStringList{key("app8", AXName::ExtrasMenuBar)}); // application 7 was never asked
        QVERIFY(!log->releaseTimedOut);
    }
};

QTEST_GUILESS_MAIN(TestAccessibilityMirror)
#include "tst_accessibilitymirror.moc"
