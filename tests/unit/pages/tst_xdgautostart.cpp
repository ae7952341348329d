// The XDG autostart login item against a temporary config folder: what counts
// as on, what register and unregister leave behind, and folders that cannot be
// written.
#include "Platform/linux/XdgAutostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "FolderModesApply.h"

using namespace Trayvane;

class TestXdgAutostart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusOfEntry_data();
    void statusOfEntry();
    void registerWritesEntryThatIsOn();
    void unregisterRemovesEntry();
    void readOnlyFolderFails();
    void unusableFolderFails_data();
    void unusableFolderFails();
    void execValueRoundTrips_data();
    void execValueRoundTrips();

private:
    QString autostartFolder() const { return m_config->path() + QStringLiteral("/autostart"); }
    QString entryFile() const { return autostartFolder() + QStringLiteral("/org.trayvane.Trayvane.desktop"); }
    void writeEntry(const QByteArray &contents) const;

    std::unique_ptr<QTemporaryDir> m_config;
    QString m_executable;
    QByteArray m_savedConfigHome;
};

void TestXdgAutostart::init()
{
    m_savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    m_config = std::make_unique<QTemporaryDir>();
    QVERIFY(m_config->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));

    // A stand-in for the running executable that exists on disk.
    QVERIFY(QDir(m_config->path()).mkpath(QStringLiteral("opt/my apps")));
    m_executable = m_config->path() + QStringLiteral("/opt/my apps/trayvane");
    QFile binary(m_executable);
    QVERIFY(binary.open(QIODevice::WriteOnly));
}

void TestXdgAutostart::cleanup()
{
    QFile::setPermissions(autostartFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
    m_config.reset();
}

void TestXdgAutostart::writeEntry(const QByteArray &contents) const
{
    QDir().mkpath(autostartFolder());
    QFile file(entryFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

void TestXdgAutostart::statusOfEntry_data()
{
    QTest::addColumn<QString>("contents"); // %1 is replaced by the Exec value of our executable
    QTest::addColumn<bool>("enabled");

    QTest::newRow("no entry") << QString() << false;
    QTest::newRow("ours") << "[Desktop Entry]\nType=Application\nExec=%1\n" << true;
    QTest::newRow("ours with arguments") << "[Desktop Entry]\nExec=%1 --quiet %u\n" << true;
    QTest::newRow("Hidden=true") << "[Desktop Entry]\nExec=%1\nHidden=true\n" << false;
    QTest::newRow("Hidden=false") << "[Desktop Entry]\nExec=%1\nHidden=false\n" << true;
    QTest::newRow("disabled in GNOME") << "[Desktop Entry]\nExec=%1\nX-GNOME-Autostart-enabled=false\n" << false;
    QTest::newRow("another program") << "[Desktop Entry]\nExec=/usr/bin/other\n" << false;
    QTest::newRow("Exec only in another group") << "[Desktop Action x]\nExec=%1\n" << false;
    QTest::newRow("not a desktop entry") << "Exec=%1\n" << false;
}

void TestXdgAutostart::statusOfEntry()
{
    QFETCH(QString, contents);
    QFETCH(bool, enabled);
    if (!contents.isNull())
        writeEntry(QString(contents).replace(QStringLiteral("%1"), XdgAutostart::execValue(m_executable)).toUtf8());
    XdgAutostart item(m_executable);
    QCOMPARE(item.isEnabled(), enabled);
}

void TestXdgAutostart::registerWritesEntryThatIsOn()
{
    XdgAutostart item(m_executable);
    QVERIFY(!QFileInfo::exists(autostartFolder()));
    QVERIFY(item.registerItem());
    QVERIFY(item.isEnabled());

    // It also replaces an entry the user disabled.
    writeEntry("[Desktop Entry]\nExec=/usr/bin/other\nHidden=true\n");
    QVERIFY(!item.isEnabled());
    QVERIFY(item.registerItem());
    QVERIFY(QFileInfo(entryFile()).isFile());
    QVERIFY(item.isEnabled());

    // Only the entry is left in the folder (no temporary file from the atomic write).
    QCOMPARE(QDir(autostartFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{XdgAutostart::entryFileName()});

    // Another copy of the program elsewhere does not see it as its own.
    const QString otherCopy = m_config->path() + QStringLiteral("/other-trayvane");
    QFile(otherCopy).open(QIODevice::WriteOnly);
    QVERIFY(!XdgAutostart(otherCopy).isEnabled());

    // A symbolic link to the executable starts the same program.
    const QString link = m_config->path() + QStringLiteral("/trayvane-link");
    QVERIFY(QFile::link(m_executable, link));
    QVERIFY(XdgAutostart(link).isEnabled());
}

void TestXdgAutostart::unregisterRemovesEntry()
{
    XdgAutostart item(m_executable);
    // Nothing to remove is not a failure.
    QVERIFY(item.unregisterItem());
    QVERIFY(item.registerItem());
    QVERIFY(item.unregisterItem());
    QVERIFY(!QFileInfo::exists(entryFile()));
    QVERIFY(!item.isEnabled());
}

void TestXdgAutostart::readOnlyFolderFails()
{
    XdgAutostart item(m_executable);
    QVERIFY(item.registerItem());

    FolderModesApply modesApply;
    QVERIFY(QFile::setPermissions(autostartFolder(), QFile::ReadOwner | QFile::ExeOwner));
    if (FolderModesApply::canCreateFileIn(autostartFolder()))
        QSKIP("this process writes into read-only folders anyway");

    QVERIFY(!item.unregisterItem());
    QVERIFY(QFileInfo::exists(entryFile()));
    QVERIFY(item.isEnabled());

    // Writing the entry again fails too, and leaves the old one in place.
    QVERIFY(!item.registerItem());
    QVERIFY(item.isEnabled());

    // Nothing there and nothing writable: register fails, status stays off.
    QVERIFY(QFile::setPermissions(autostartFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QFile::remove(entryFile()));
    QVERIFY(QFile::setPermissions(autostartFolder(), QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(!item.registerItem());
    QVERIFY(!item.isEnabled());
}

void TestXdgAutostart::unusableFolderFails_data()
{
    QTest::addColumn<QString>("blocker"); // a file standing where a folder is needed
    QTest::newRow("autostart is a file") << QStringLiteral("autostart");
    QTest::newRow("config home is a file") << QString();
}

void TestXdgAutostart::unusableFolderFails()
{
    QFETCH(QString, blocker);
    const QString configHome = m_config->path() + QStringLiteral("/config");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    QDir().mkpath(configHome);
    const QString blockerPath = blocker.isEmpty() ? configHome : configHome + QLatin1Char('/') + blocker;
    if (blocker.isEmpty())
        QVERIFY(QDir(configHome).removeRecursively());
    QFile file(blockerPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    XdgAutostart item(m_executable);
    QVERIFY(!item.registerItem());
    QVERIFY(!item.isEnabled());
    QVERIFY(QFileInfo(blockerPath).isFile());
}

void TestXdgAutostart::execValueRoundTrips_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("quoted");
    QTest::newRow("plain") << QStringLiteral("/usr/bin/trayvane") << false;
    QTest::newRow("space") << QStringLiteral("/opt/my apps/trayvane") << true;
    QTest::newRow("double quote") << QStringLiteral("/opt/a\"b/trayvane") << true;
    QTest::newRow("backslash") << QStringLiteral("/opt/a\\b/trayvane") << true;
    QTest::newRow("percent") << QStringLiteral("/opt/100%u/trayvane") << false;
    QTest::newRow("percent in quotes") << QStringLiteral("/opt/100% sure/trayvane") << true;
    QTest::newRow("newline and tab") << QStringLiteral("/opt/a\nb\tc/trayvane") << true;
}

void TestXdgAutostart::execValueRoundTrips()
{
    QFETCH(QString, path);
    QFETCH(bool, quoted);
    const QString value = XdgAutostart::execValue(path);
    QCOMPARE(value.startsWith(QLatin1Char('"')), quoted);
    // A desktop entry value is one line.
    QVERIFY(!value.contains(QLatin1Char('\n')));
    QVERIFY(!value.contains(QLatin1Char('\t')));
    QCOMPARE(XdgAutostart::execProgram(value), path);
    QCOMPARE(XdgAutostart::execProgram(value + QStringLiteral(" --flag %U")), path);
}

QTEST_GUILESS_MAIN(TestXdgAutostart)
#include "tst_xdgautostart.moc"
