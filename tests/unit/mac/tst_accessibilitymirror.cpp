// The accessibility mirror of the macOS backend, on Linux: the service sees
// through it exactly what it sees on the platform itself, the main thread
// never waits for a read, and a hung or hostile application costs the mirror's
// thread little.
#include "Platform/mac/AccessibilityMirror.h"
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
struct FakeElement : PlatformElement
{
    explicit FakeElement(QString n) : name(std::move(n)) {}
    QString name;
};

QString key(const QString &element, const QString &attribute)
{
    return element + QLatin1Char('|') + attribute;
}

using Answers = QHash<QString, AttributeResult>;

// Application `pid` with a status item bar "bar<pid>" holding these children.
Answers bar(qint32 pid, const QStringList &children)
{
    const auto element = [](const QString &name) { return QVariant::fromValue(ElementRef(new FakeElement(name))); };
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
    explicit Log(Answers table) : answers(std::move(table)) {}
    QMutex mutex;
    Answers answers;
    QStringList events; // reads ("element|attribute") and actions ("element|action"), in order
    QThread *actionThread = nullptr; // of the last action
    QString holdReadsOf;
    QSemaphore held, release;
};

struct FakeSource : AccessibilitySource
{
    explicit FakeSource(std::shared_ptr<Log> log) : m_log(std::move(log)) {}
    ElementRef applicationElement(qint32 pid) override { return ElementRef(new FakeElement(QStringLiteral("app%1").arg(pid))); }
    AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) override
    {
        QMutexLocker lock(&m_log->mutex);
        m_log->events.append(key(nameOf(element), attribute));
        const bool hold = nameOf(element) == m_log->holdReadsOf;
        const AttributeResult answer =
            m_log->answers.value(m_log->events.constLast(), {AXError::AttributeUnsupported, {}});
        lock.unlock();
        if (hold) {
            m_log->held.release();
            m_log->release.tryAcquire(1, waitMs);
        }
        return answer;
    }
    int performAction(const ElementRef &element, const QString &action) override
    {
        QMutexLocker lock(&m_log->mutex);
        m_log->events.append(key(nameOf(element), action));
        m_log->actionThread = QThread::currentThread();
        return AXError::Success;
    }
    std::shared_ptr<Log> m_log;
};

// Only the refreshes a test asks for.
AccessibilityMirror::Options quietOptions(int maximumListLength = 256)
{
    return {.refreshIntervalMs = 24 * 3600 * 1000, .maximumListLength = maximumListLength};
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
        out.append(QStringLiteral("%1 %2 %3 %4").arg(item.id, item.orderKey(), QDebug::toString(item.frame)).arg(item.isHidden));
    return out;
}

ScriptedApplication application(qint32 pid, const QString &name, QList<ScriptedItem> items)
{
    return {.processIdentifier = pid, .localizedName = name, .bundleIdentifier = QStringLiteral("org.example.") + name,
            .items = std::move(items)};
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
        // Titled, nameless, empty, and a size where a point belongs.
        untidy.applications.append(application(22, QStringLiteral("Misch"), {
            ScriptedItem::make(std::nullopt, QStringLiteral("Titel"), 500, 22),
            ScriptedItem::make(std::nullopt, std::nullopt, 700, 22), ScriptedItem::make(std::nullopt, std::nullopt, 0, 0),
            {.description = {AXError::Success, 42}, .position = ScriptedItem::size2(30, 0),
             .size = ScriptedItem::size2(22, 24)}}));
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

        // A press reaches the item's own element.
        const MenuBarItem target = service.items().constFirst();
        service.clickItem(target);
        QVERIFY(QTest::qWaitFor([&] { return source->presses.load() == 1; }, waitMs));
        QCOMPARE(peers.presses.size(), 1);
        QCOMPARE(peers.presses.constFirst().processIdentifier, target.ownerPID);
        QCOMPARE(peers.presses.constFirst().action, AXName::Press);
    }

    // Stuck in application 8, the thread holds up neither the main thread nor
    // a press; stopped then, it ends after the read in progress.
    void neverWaitsForAHungApplication_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("released") << false;
        QTest::newRow("stopped") << true;
    }

    void neverWaitsForAHungApplication()
    {
        QFETCH(bool, stop);
        auto log = std::make_shared<Log>(bar(7, {"a"}));
        auto mirror = std::make_unique<AccessibilityMirror>(std::make_unique<FakeSource>(log), quietOptions());
        QVERIFY(refreshAfter(*mirror, [&] { mirror->setApplications({7}); }));
        const ElementRef a = childrenOf(*mirror, 7).constFirst().value<ElementRef>();
        const quint64 before = mirror->completedRefreshes();
        {
            QMutexLocker lock(&log->mutex);
            log->holdReadsOf = QStringLiteral("app8");
            log->events.clear();
        }
        mirror->setApplications({8, 7});
        QVERIFY(log->held.tryAcquire(1, waitMs));
        if (stop) {
            mirror->stop();
            log->release.release();
            mirror.reset();
            QCOMPARE(log->events, QStringList{key("app8", AXName::ExtrasMenuBar)}); // application 7 was never asked
            return;
        }

        QCOMPARE(mirror->copyAttributeValue(mirror->applicationElement(7), AXName::ExtrasMenuBar).error, AXError::Success);
        QCOMPARE(mirror->copyAttributeValue(mirror->applicationElement(8), AXName::ExtrasMenuBar).error, AXError::CannotComplete);
        // Nothing is read on demand: an attribute outside the plan and an
        // element from elsewhere fail at once too.
        QCOMPARE(mirror->copyAttributeValue(a, QStringLiteral("AXRole")).error, AXError::CannotComplete);
        QCOMPARE(mirror->copyAttributeValue(ElementRef(new FakeElement("a")), AXName::Description).error, AXError::Failure);
        QCOMPARE(mirror->performAction(a, AXName::Press), AXError::Success);
        mirror->requestRefresh();
        {
            QMutexLocker lock(&log->mutex);
            QVERIFY(!log->actionThread); // queued behind the read in progress
            log->holdReadsOf.clear();
        }
        log->release.release();

        QVERIFY(QTest::qWaitFor([&] { QMutexLocker lock(&log->mutex); return log->actionThread != nullptr; }, waitMs));
        QVERIFY(QTest::qWaitFor([&] { return mirror->completedRefreshes() > before; }, waitMs));
        QMutexLocker lock(&log->mutex);
        QCOMPARE(log->events.count(key("a", AXName::Press)), 1);
        // Right after the read in progress, before the rest of the snapshot.
        QCOMPARE(log->events.mid(0, 2), QStringList({key("app8", AXName::ExtrasMenuBar), key("a", AXName::Press)}));
        QVERIFY(log->events.lastIndexOf(key("app7", AXName::ExtrasMenuBar)) > 1);
        QVERIFY(log->actionThread != QThread::currentThread());
    }

    // An application whose read times out is given up for that round, and the
    // last whole read of it stands; the next application is read in full, its
    // list cut to the limit.
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
        Answers answers = bar(8, {"slow", "later"});
        answers.insert(bar(7, {"c0", "c1", "c2", "c3"}));
        answers.insert(key("later", AXName::Description), {AXError::Success, QStringLiteral("Später")});
        auto log = std::make_shared<Log>(answers);
        AccessibilityMirror mirror(std::make_unique<FakeSource>(log), quietOptions(3));
        QSignalSpy changes(&mirror, &AccessibilityMirror::snapshotChanged);
        for (qsizetype round = 0; round < rounds.size(); ++round) {
            const QVariant answer = rounds.at(round);
            {
                QMutexLocker lock(&log->mutex);
                log->answers[key("slow", AXName::Description)] = answer.isValid() ? AttributeResult{AXError::Success, answer}
                                                                 : AttributeResult{AXError::CannotComplete, {}};
                log->events.clear();
            }
            QVERIFY(refreshAfter(mirror, [&] { round == 0 ? mirror.setApplications({8, 7}) : mirror.requestRefresh(); }));
            QMutexLocker lock(&log->mutex);
            QVERIFY(log->events.contains(key("c2", AXName::Size)));
            QVERIFY(!log->events.contains(key("c3", AXName::Description)));
            for (const QString &read : log->events)
                QVERIFY2(answer.isValid() || (!read.startsWith(QStringLiteral("later|")) && read != key("slow", AXName::Title)),
                         qPrintable(read));
        }

        QCOMPARE(childrenOf(mirror, 7).size(), 3);
        const QVariantList children = childrenOf(mirror, 8);
        QCOMPARE(children.size(), 2);
        QCOMPARE(mirror.copyAttributeValue(children.at(0).value<ElementRef>(), AXName::Description).value, shown);
        // The other item is there exactly when a whole read of the application is.
        const AttributeResult later = mirror.copyAttributeValue(children.at(1).value<ElementRef>(), AXName::Description);
        QCOMPARE(later.error == AXError::Success, shown.isValid());
        QCOMPARE(changes.count(), announced);
    }
};

QTEST_GUILESS_MAIN(TestAccessibilityMirror)
#include "tst_accessibilitymirror.moc"
