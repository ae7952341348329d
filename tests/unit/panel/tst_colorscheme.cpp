// ColorScheme: what the settings portal's "color-scheme" value means.
#include "ColorScheme.h"

#include <QDBusVariant>
#include <QTest>

using Trayvane::ColorScheme;

class TestColorScheme : public QObject
{
    Q_OBJECT

private slots:
    void portalValue_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("expected"); // -1 none, 0 light, 1 dark
        QTest::newRow("signed dark") << QVariant(1) << 1;
        QTest::newRow("unknown number") << QVariant(7u) << -1;
        QTest::newRow("light, wrapped twice")
            << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(2u)))) << 0;
        QTest::newRow("text") << QVariant(QStringLiteral("dark")) << -1;
    }

    void portalValue()
    {
        QFETCH(QVariant, value);
        QFETCH(int, expected);
        const std::optional<bool> preference = ColorScheme::preferenceFromPortal(value);
        QCOMPARE(preference.has_value() ? int(*preference) : -1, expected);
    }
};

QTEST_MAIN(TestColorScheme)
#include "tst_colorscheme.moc"
