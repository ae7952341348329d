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
        if (stored.isValid()) {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue(QStringLiteral("windowHeight"), stored);
        }
        UserSettings settings(path);
        QCOMPARE(settings.windowHeight(), expected);
    }

    void writePersistsAndNotifiesOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        UserSettings settings(path);
        QSignalSpy spy(&settings, &UserSettings::windowHeightChanged);

        settings.setWindowHeight(560);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(settings.windowHeight(), 560.0);
        settings.setWindowHeight(560);
        QCOMPARE(spy.count(), 1);

        UserSettings reread(path);
        QCOMPARE(reread.windowHeight(), 560.0);
    }

    void refusesUnusableHeights_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("nan") << qQNaN();
        QTest::newRow("infinity") << qInf();
        QTest::newRow("taller than any screen") << 100000.0;
    }

    void refusesUnusableHeights()
    {
        QFETCH(double, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.ini"));
        UserSettings settings(path);
        settings.setWindowHeight(320);
        QSignalSpy spy(&settings, &UserSettings::windowHeightChanged);
        settings.setWindowHeight(value);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(settings.windowHeight(), 320.0);
        QCOMPARE(UserSettings(path).windowHeight(), 320.0);
    }
};

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
