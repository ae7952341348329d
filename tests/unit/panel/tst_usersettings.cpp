// UserSettings: what a stored "windowHeight" counts as, and writes.
#include "UserSettings.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Trayvane::UserSettings;

class TestUserSettings : public QObject
{
    Q_OBJECT

private slots:
    void readsStoredValue_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<double>("expected");
        QTest::newRow("absent uses 400") << QVariant() << 400.0;
        QTest::newRow("text of a number") << QVariant(QStringLiteral("520")) << 520.0;
        QTest::newRow("fraction, outside the slider range, kept") << QVariant(1000.5) << 1000.5;
        QTest::newRow("below the slider range kept") << QVariant(120.0) << 120.0;
        QTest::newRow("not a number text") << QVariant(QStringLiteral("hoch")) << 400.0;
        QTest::newRow("nan text") << QVariant(QStringLiteral("nan")) << 400.0;
        QTest::newRow("negative") << QVariant(-300.0) << 400.0;
        QTest::newRow("list") << QVariant(QStringList{QStringLiteral("300")}) << 400.0;
        // Larger than any screen: such a window could not be shown (1e30 does
        // not even fit the window system's integers).
        QTest::newRow("tallest usable kept") << QVariant(8192.0) << 8192.0;
        QTest::newRow("1e30 text") << QVariant(QStringLiteral("1e30")) << 400.0;
    }

    void readsStoredValue()
    {
        QFETCH(QVariant, stored);
        QFETCH(double, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        if (stored.isValid())
            QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("windowHeight"), stored);
        QCOMPARE(UserSettings(path).windowHeight(), expected);
    }

    // A usable height is stored and announced once; others change nothing.
    void writes_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("usable, stored and announced once") << 560.0;
        QTest::newRow("zero") << 0.0;
        QTest::newRow("nan") << qQNaN();
        QTest::newRow("infinity") << qInf();
        QTest::newRow("taller than any screen") << 100000.0;
    }

    void writes()
    {
        QFETCH(double, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        UserSettings settings(path);
        settings.setWindowHeight(320);
        QSignalSpy spy(&settings, &UserSettings::windowHeightChanged);
        settings.setWindowHeight(value);
        settings.setWindowHeight(value);
        const double expected = value == 560.0 ? 560.0 : 320.0;
        QCOMPARE(spy.count(), value == 560.0 ? 1 : 0);
        QCOMPARE(settings.windowHeight(), expected);
        QCOMPARE(UserSettings(path).windowHeight(), expected);
    }
};

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
