// Desktop entries: the one reader of their keys; finding the entry of a tray
// item's process in a temporary set of XDG data directories and a fake /proc
// tree; and the XDG autostart login item against a temporary config folder
// (what counts as on, what register and unregister leave behind, folders that
// cannot be written).
#include "Platform/linux/DesktopEntries.h"
#include "Platform/linux/XdgAutostart.h"

#include <QTemporaryDir>
#include <QTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "TestFiles.h"

using namespace Trayvane;

namespace {

// Root writes into read-only folders anyway; without that override folder
// modes apply to it too. It is not given back: the cases left work in
// folders of their own.
void dropFolderOverride()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    if (syscall(SYS_capget, &header, caps) == 0) {
        caps[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &header, caps);
    }
}

} // namespace

class TestDesktopEntries : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_first, m_second;
    DesktopEntryIndex m_index;

    // A private config home for each test and a stand-in for the running
    // executable that exists on disk.
    std::unique_ptr<QTemporaryDir> m_config;
    QString m_executable;

    QString autostartFolder() const { return m_config->path() + QStringLiteral("/autostart"); }
    QString autostartFile() const { return autostartFolder() + QStringLiteral("/org.trayvane.Trayvane.desktop"); }

private slots:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        m_executable = m_config->path() + QStringLiteral("/opt/my apps/trayvane");
        writeFile(m_executable, {});
    }

    void cleanup()
    {
        QFile::setPermissions(autostartFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_config.reset();
    }

    void entryKeys_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // null: the key is absent
        QTest::newRow("value trimmed") << QByteArray("[Desktop Entry]\n Exec = /bin/a b \n") << "Exec" << "/bin/a b";
        QTest::newRow("first of two wins") << QByteArray("[Desktop Entry]\nName=A\nName=B\n") << "Name" << "A";
        QTest::newRow("CRLF lines") << QByteArray("[Desktop Entry]\r\nName=A\r\n") << "Name" << "A";
        QTest::newRow("only in another group")
            << QByteArray("[Desktop Entry]\nName=A\n[Desktop Action x]\nExec=/bin/x\n") << "Exec" << QString();
        QTest::newRow("comment and no equals")
            << QByteArray("[Desktop Entry]\n#Exec=/bin/x\nExec\n=/bin/y\n") << "Exec" << QString();
        QTest::newRow("localized key is its own") << QByteArray("[Desktop Entry]\nName[de]=B\n") << "Name" << QString();
    }
    void entryKeys()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QHash<QString, QString> keys = desktopEntryKeys(contents);
        QCOMPARE(keys.contains(key), !value.isNull());
        QCOMPARE(keys.value(key), value);
    }

    void initTestCase()
    {
        m_first = m_dir.filePath(QStringLiteral("home"));
        m_second = m_dir.filePath(QStringLiteral("system"));
        writeFile(m_first + "/applications/org.example.Mail.desktop",
                  "[Desktop Entry]\nType=Application\nName=Mail\nName[de]=Post\nName[de_CH]=Poscht\n"
                  "Icon=mail-client\nExec=env GDK_BACKEND=x11 /opt/mail/bin/mailer --tray %U\n"
                  "StartupWMClass=MailerWindow\n[Desktop Action New]\nName=Wrong group\n");
        writeFile(m_first + "/applications/vendor/chat.desktop",
                  "[Desktop Entry]\nType=Application\nName=Chat\nExec=\"/usr/lib/chat app/chat-bin\"\n"
                  "TryExec=chat-launcher\n");
        writeFile(m_second + "/applications/org.example.Mail.desktop",
                  "[Desktop Entry]\nType=Application\nName=Old Mail\n");
        writeFile(m_first + "/applications/gone.desktop", "[Desktop Entry]\nType=Application\nHidden=true\nName=Gone\n");
        writeFile(m_second + "/applications/gone.desktop", "[Desktop Entry]\nType=Application\nName=Gone below\n");
        writeFile(m_second + "/applications/org.gnome.Weather.desktop",
                  "[Desktop Entry]\nType=Application\nName=Weather\nExec=gnome-weather\n");
        writeFile(m_second + "/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=A link\n");
        writeFile(m_second + "/applications/my-app.desktop", "[Desktop Entry]\nType=Application\nName=Mine\n");
        m_index.load({m_first, m_second}, QStringLiteral("de_DE.UTF-8"));
    }

    // The index in the language of a locale: the entry of the first data
    // folder wins, a hidden one hides those below, links are no applications.
    void indexRules_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("language without country") << "de_DE.UTF-8" << "Post";
        QTest::newRow("country-specific") << "de_CH.UTF-8" << "Poscht";
        QTest::newRow("modifier ignored when absent") << "de_DE@euro" << "Post";
        QTest::newRow("other language") << "fr_FR.UTF-8" << "Mail";
    }
    void indexRules()
    {
        QFETCH(QString, locale);
        DesktopEntryIndex index;
        index.load({m_first, m_second}, locale);
        const auto mail = index.byId(QStringLiteral("org.example.Mail"));
        QVERIFY(mail);
        QTEST(mail->name, "name");
        QCOMPARE(mail->icon, QStringLiteral("mail-client"));
        QVERIFY(!index.byId(QStringLiteral("gone")));
        QVERIFY(!index.byId(QStringLiteral("link")));
    }

    void find_data()
    {
        QTest::addColumn<ProcessFacts>("facts");
        QTest::addColumn<QString>("expectedId"); // empty: none found
        const QString mailFile = m_first + "/applications/org.example.Mail.desktop";
        const auto row = [](const char *name, ProcessFacts facts, const char *id) {
            facts.pid = 100;
            QTest::newRow(name) << facts << QString::fromLatin1(id);
        };
        row("flatpak id first", {.flatpakAppId = "org.gnome.Weather", .cgroupUnit = "app-org.example.Mail@1.service"},
            "org.gnome.Weather");
        row("systemd scope with launcher", {.cgroupUnit = "app-gnome-org.gnome.Weather-99.scope"}, "org.gnome.Weather");
        row("systemd service with random suffix", {.cgroupUnit = "app-org.example.Mail@8f1c.service"},
            "org.example.Mail");
        row("systemd unit with an escaped dash", {.cgroupUnit = "app-my\\x2dapp-77.scope"}, "my-app");
        row("launched file of this pid", {.launchedDesktopFile = mailFile, .launchedDesktopFilePid = 100},
            "org.example.Mail");
        row("launched file inherited from another pid", {.launchedDesktopFile = mailFile, .launchedDesktopFilePid = 55},
            "");
        row("item id matches a desktop id, any case", {.itemId = "ORG.GNOME.WEATHER"}, "org.gnome.Weather");
        row("item id matches StartupWMClass", {.itemId = "MailerWindow"}, "org.example.Mail");
        row("process name matches Exec after env", {.processName = "mailer"}, "org.example.Mail");
        row("process name matches quoted Exec with spaces", {.processName = "chat-bin"}, "vendor-chat");
        row("process name matches TryExec", {.processName = "chat-launcher"}, "vendor-chat");
        row("unknown flatpak falls through to the process name",
            {.flatpakAppId = "org.unknown.App", .processName = "gnome-weather"}, "org.gnome.Weather");
        row("nothing matches", {.processName = "python3", .itemId = "tray-thing"}, "");
    }
    void find()
    {
        QFETCH(ProcessFacts, facts);
        const auto entry = m_index.find(facts);
        QTEST(entry ? entry->id : QString(), "expectedId");
    }

    // A process's facts from a /proc tree; the kernel cuts names to 15 bytes,
    // and the command line gives the whole name when it begins the same way.
    void readProcess_data()
    {
        QTest::addColumn<QByteArray>("comm");
        QTest::addColumn<QByteArray>("cmdline");
        QTest::addColumn<QString>("expected");
        const QByteArray cut = "telegram-deskto\n";
        const auto arguments = [](const QList<QByteArray> &list) { return list.join('\0') + '\0'; };
        QTest::newRow("short names are whole")
            << QByteArray("python3\n") << arguments({"/usr/bin/python3.11", "x.py"}) << QStringLiteral("python3");
        QTest::newRow("whole name from the command line")
            << cut << arguments({"/usr/bin/telegram-desktop", "--autostart"}) << QStringLiteral("telegram-desktop");
        QTest::newRow("command line rewritten with spaces")
            << cut << QByteArray("telegram-desktop --autostart") << QStringLiteral("telegram-desktop");
        QTest::newRow("another program on the command line")
            << cut << arguments({"/usr/bin/python3", "tg.py"}) << QStringLiteral("telegram-deskto");
        QTest::newRow("no command line") << cut << QByteArray() << QStringLiteral("telegram-deskto");
    }
    void readProcess()
    {
        const QString proc = m_dir.filePath(QStringLiteral("proc"));
        QFETCH(QByteArray, comm);
        writeFile(proc + "/321/comm", comm);
        QFETCH(QByteArray, cmdline);
        writeFile(proc + "/321/cmdline", cmdline);
        writeFile(proc + "/321/cgroup", "0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                                        "app-gnome-org.example.Mail-321.scope\n");
        static const char environ[] = "HOME=/home/u\0GIO_LAUNCHED_DESKTOP_FILE=/x/mail.desktop\0"
                                      "GIO_LAUNCHED_DESKTOP_FILE_PID=321\0";
        writeFile(proc + "/321/environ", QByteArray(environ, sizeof(environ) - 1));
        writeFile(proc + "/321/root/.flatpak-info", "[Instance]\nname=wrong\n[Application]\nname=org.example.Mail\n");
        const ProcessFacts facts = DesktopEntryIndex::readProcess(321, proc);
        QTEST(facts.processName, "expected");
        QCOMPARE(facts.cgroupUnit, QStringLiteral("app-gnome-org.example.Mail-321.scope"));
        QCOMPARE(facts.launchedDesktopFile, QStringLiteral("/x/mail.desktop"));
        QCOMPARE(facts.launchedDesktopFilePid, 321);
        QCOMPARE(facts.flatpakAppId, QStringLiteral("org.example.Mail"));
        const ProcessFacts missing = DesktopEntryIndex::readProcess(999, proc);
        QVERIFY(missing.processName.isEmpty() && missing.flatpakAppId.isEmpty());
    }

    void autostartStatus_data()
    {
        QTest::addColumn<QString>("contents"); // %1 is replaced by the Exec value of our executable
        QTest::addColumn<bool>("enabled");
        QTest::newRow("no entry") << QString() << false;
        QTest::newRow("ours") << "[Desktop Entry]\nType=Application\nExec=%1\n" << true;
        QTest::newRow("Hidden=true") << "[Desktop Entry]\nExec=%1\nHidden=true\n" << false;
        QTest::newRow("Hidden=false") << "[Desktop Entry]\nExec=%1\nHidden=false\n" << true;
        QTest::newRow("disabled in GNOME") << "[Desktop Entry]\nExec=%1\nX-GNOME-Autostart-enabled=false\n" << false;
        QTest::newRow("another program") << "[Desktop Entry]\nExec=/usr/bin/other\n" << false;
    }
    void autostartStatus()
    {
        QFETCH(QString, contents);
        if (!contents.isNull())
            writeFile(autostartFile(), contents.arg(XdgAutostart::execValue(m_executable)).toUtf8());
        QTEST(XdgAutostart(m_executable).isEnabled(), "enabled");
    }

    void autostartRegisterAndUnregister()
    {
        XdgAutostart item(m_executable);
        QVERIFY(item.unregisterItem()); // nothing to remove is no failure
        QVERIFY(!QFileInfo::exists(autostartFolder()));
        QVERIFY(item.registerItem());
        QVERIFY(item.isEnabled());
        // The entry written is the installed one, started from this executable.
        QHash<QString, QString> expected = desktopEntryKeys(readFile(":/data/org.trayvane.Trayvane.desktop"));
        QVERIFY(expected.contains(QStringLiteral("Name")));
        expected.insert(QStringLiteral("Exec"), XdgAutostart::execValue(m_executable));
        expected.insert(QStringLiteral("X-GNOME-Autostart-enabled"), QStringLiteral("true"));
        QCOMPARE(desktopEntryKeys(readFile(autostartFile())), expected);

        // It also replaces an entry the user disabled.
        writeFile(autostartFile(), "[Desktop Entry]\nExec=/usr/bin/other\nHidden=true\n");
        QVERIFY(item.registerItem());
        QVERIFY(item.isEnabled());
        // Only the entry is left in the folder (no temporary file from the atomic write).
        QCOMPARE(QDir(autostartFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{XdgAutostart::entryFileName()});

        // A symbolic link to the executable starts the same program.
        const QString link = m_config->path() + QStringLiteral("/trayvane-link");
        QVERIFY(QFile::link(m_executable, link));
        QVERIFY(XdgAutostart(link).isEnabled());

        QVERIFY(item.unregisterItem());
        QVERIFY(!QFileInfo::exists(autostartFile()));
    }

    void autostartFolderIsAFileFails()
    {
        writeFile(autostartFolder(), {});
        XdgAutostart item(m_executable);
        QVERIFY(!item.registerItem());
        QVERIFY(!item.isEnabled());
        QVERIFY(QFileInfo(autostartFolder()).isFile());
    }

    void execValueRoundTrips_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("space") << QStringLiteral("/opt/my apps/trayvane");
        QTest::newRow("double quote") << QStringLiteral("/opt/a\"b/trayvane");
        QTest::newRow("backslash") << QStringLiteral("/opt/a\\b/trayvane");
        QTest::newRow("percent") << QStringLiteral("/opt/100%u/trayvane");
        QTest::newRow("percent in quotes") << QStringLiteral("/opt/100% sure/trayvane");
        QTest::newRow("newline and tab") << QStringLiteral("/opt/a\nb\tc/trayvane");
    }
    void execValueRoundTrips()
    {
        QFETCH(QString, path);
        const QString value = XdgAutostart::execValue(path);
        // A desktop entry value is one line.
        QVERIFY(!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\t')));
        QCOMPARE(XdgAutostart::execProgram(value), path);
        QCOMPARE(XdgAutostart::execProgram(value + QStringLiteral(" --flag %U")), path);
    }

    void autostartReadOnlyFolderFails()
    {
        XdgAutostart item(m_executable);
        QVERIFY(item.registerItem());
        dropFolderOverride();
        QVERIFY(QFile::setPermissions(autostartFolder(), QFile::ReadOwner | QFile::ExeOwner));
        if (QFile probe(autostartFolder() + "/probe"); probe.open(QIODevice::WriteOnly) && probe.remove())
            QSKIP("this process writes into read-only folders anyway");

        QVERIFY(!item.unregisterItem());
        // Writing the entry again fails too, and the old one stays in place.
        QVERIFY(!item.registerItem());
        QVERIFY(item.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntries)
#include "tst_desktopentries.moc"
