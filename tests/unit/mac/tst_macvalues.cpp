// The macOS backend's conversions and its ownership wrapper, on Linux: the
// values that reach the service, the login item's status rules, and retain and
// release kept in balance.
#include "Platform/mac/CFRef.h"
#include "Platform/mac/MacValues.h"

#include <QTest>

using namespace Trayvane;

namespace {

// A reference-counted object standing in for a Core Foundation one, created
// with its creator's reference.
struct Counted { int references = 1; };
struct CountedRetain
{
    static void retain(Counted *object) { ++object->references; }
    static void release(Counted *object) { --object->references; }
};

using Ref = BasicCFRef<Counted *, CountedRetain>;

} // namespace

class TestMacValues : public QObject
{
    Q_OBJECT

private slots:
    void ownershipStaysBalanced()
    {
        Counted created, borrowed, other;
        {
            Ref adopted = Ref::adopt(&created); // takes over the creator's reference
            QCOMPARE(created.references, 1);
            Ref held = Ref::retain(&borrowed);
            QCOMPARE(borrowed.references, 2);

            Ref copy = adopted;
            Ref moved = std::move(copy);
            QCOMPARE(created.references, 2);
            moved = Ref::retain(&other); // the old object is released
            moved = moved; // assigning an object to itself keeps one reference
            held = std::move(held);
            QCOMPARE(created.references, 1);
            QCOMPARE(other.references, 2);
            QCOMPARE(borrowed.references, 2);
            QVERIFY(!Ref::retain(nullptr)); // nothing to retain
        }
        QCOMPARE(created.references, 0);
        QCOMPARE(borrowed.references, 1);
        QCOMPARE(other.references, 1);
    }

    void accessibilityValues_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<double>>("payload");
        QTest::addColumn<QVariant>("expected");
        const auto geometry = [](GeometryValue::Kind kind, double a, double b) {
            return QVariant::fromValue(GeometryValue{kind, a, b});
        };
        QTest::newRow("point") << 1 << QList<double>{912.5, 3} << geometry(GeometryValue::Kind::Point, 912.5, 3);
        QTest::newRow("size") << 2 << QList<double>{22, 24} << geometry(GeometryValue::Kind::Size, 22, 24);
        QTest::newRow("rect keeps its origin")
            << 3 << QList<double>{10, 20, 30, 40} << geometry(GeometryValue::Kind::Rect, 10, 20);
        QTest::newRow("rect without its size") << 3 << QList<double>{10, 20} << QVariant();
        QTest::newRow("error code") << 5 << QList<double>{-25204} << QVariant(-25204);
        QTest::newRow("error code out of range") << 5 << QList<double>{1e12} << QVariant();
        QTest::newRow("unknown type") << 6 << QList<double>{1, 2} << QVariant();
    }

    void accessibilityValues()
    {
        QFETCH(int, type);
        QFETCH(QList<double>, payload);
        QFETCH(QVariant, expected);
        const QVariant value = MacValues::axValue(type, payload.isEmpty() ? nullptr : payload.constData(),
                                                  int(payload.size()));
        QCOMPARE(value.metaType(), expected.metaType());
        const auto got = value.value<GeometryValue>(), want = expected.value<GeometryValue>();
        QCOMPARE(QList<double>({double(got.kind), got.first, got.second}),
                 QList<double>({double(want.kind), want.first, want.second}));
        if (expected.metaType() != QMetaType::fromType<GeometryValue>())
            QCOMPARE(value, expected);
    }

    void loginItemStatus()
    {
        // Status: not registered, enabled, requiring approval, not found. A
        // failed unregister with nothing registered did what was asked; one
        // that leaves the item enabled or waiting for approval did not.
        QList<bool> enabled, unregistered;
        for (int status = 0; status < 4; ++status) {
            enabled.append(MacValues::isLoginItemEnabled(status));
            unregistered.append(MacValues::unregisterSucceeded(false, status));
        }
        QCOMPARE(enabled, QList<bool>({false, true, false, false}));
        QCOMPARE(unregistered, QList<bool>({true, false, false, true}));
        QVERIFY(MacValues::unregisterSucceeded(true, 1));
    }
};

QTEST_GUILESS_MAIN(TestMacValues)
#include "tst_macvalues.moc"
