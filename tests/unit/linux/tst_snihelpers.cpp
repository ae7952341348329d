// Protocol edge cases of the StatusNotifierItem backend: registration forms,
// pixmap choice and decoding, text and geometry mapping, menu labels; and the
// legacy X11 tray's docked-icon and naming rules.
#include "Platform/linux/DBusMenu.h"
#include "Platform/linux/IconLoader.h"
#include "Platform/linux/LinuxPlatform.h"
#include "Platform/linux/SniHelpers.h"
#include "Platform/linux/XEmbedHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Trayvane;
using Sni::RawPixmap;

Q_DECLARE_METATYPE(QList<RawPixmap>)
Q_DECLARE_METATYPE(QList<XEmbed::TreeNode>)

namespace {

RawPixmap solid(int width, int height, qsizetype dataLength = -1)
{
    RawPixmap pixmap;
    pixmap.width = width;
    pixmap.height = height;
    pixmap.data = QByteArray(dataLength >= 0 ? dataLength : qsizetype(4) * width * height, '\x7f');
    return pixmap;
}

bool writePng(const QString &path, int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

} // namespace

class TestSniHelpers : public QObject
{
    Q_OBJECT

private slots:
    void splitRegistration_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("path");
        QTest::newRow("unique name alone gets the default path")
            << ":1.42" << ":1.42" << true << ":1.42" << "/StatusNotifierItem";
        QTest::newRow("well-known name alone")
            << "org.kde.StatusNotifierItem-12-1" << ":1.9" << true << "org.kde.StatusNotifierItem-12-1"
            << "/StatusNotifierItem";
        QTest::newRow("object path belongs to the caller")
            << "/org/ayatana/NotificationItem/nm" << ":1.7" << true << ":1.7" << "/org/ayatana/NotificationItem/nm";
        QTest::newRow("name and path together") << ":1.5/items/one" << ":1.8" << true << ":1.5" << "/items/one";
        QTest::newRow("empty argument") << "" << ":1.7" << false << "" << "";
        QTest::newRow("not a bus name") << "hello world" << ":1.7" << false << "" << "";
        QTest::newRow("path with empty element") << "/a//b" << ":1.7" << false << "" << "";
        QTest::newRow("path with trailing slash") << "/a/b/" << ":1.7" << false << "" << "";
        QTest::newRow("object path without a caller") << "/StatusNotifierItem" << "" << false << "" << "";
        QTest::newRow("single-element name") << "nodots" << ":1.7" << false << "" << "";
    }
    void splitRegistration()
    {
        QFETCH(QString, argument);
        QFETCH(QString, sender);
        QFETCH(bool, valid);
        const auto address = Sni::splitRegistration(argument, sender);
        QCOMPARE(address.has_value(), valid);
        if (!valid)
            return;
        QFETCH(QString, service);
        QFETCH(QString, path);
        QCOMPARE(address->service, service);
        QCOMPARE(address->path, path);
        // The watcher's entry text parses back into the same address.
        const auto again = Sni::parseEntry(address->entry());
        QVERIFY(again.has_value());
        QCOMPARE(again->address, *address);
    }

    // Watchers list one registration as "name/path", as the bare name or as
    // the bare path; each form must find the item the others file.
    void watcherEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("pathGiven");
        QTest::newRow("bare unique name") << ":1.5" << true << ":1.5/StatusNotifierItem" << false;
        QTest::newRow("unique name with default path")
            << ":1.5/StatusNotifierItem" << true << ":1.5/StatusNotifierItem" << true;
        QTest::newRow("bare well-known name")
            << "org.kde.StatusNotifierItem-7-1" << true << "org.kde.StatusNotifierItem-7-1/StatusNotifierItem" << false;
        QTest::newRow("name with another path")
            << ":1.6/org/ayatana/NotificationItem/nm" << true << ":1.6/org/ayatana/NotificationItem/nm" << true;
        QTest::newRow("path alone") << "/org/ayatana/NotificationItem/nm" << true << "/org/ayatana/NotificationItem/nm"
                                    << true;
        QTest::newRow("malformed path alone") << "/org//x" << false << "" << false;
        QTest::newRow("name with malformed path") << ":1.6/x/" << false << "" << false;
        QTest::newRow("empty") << "" << false << "" << false;
    }
    void watcherEntries()
    {
        QFETCH(QString, entry);
        QFETCH(bool, valid);
        const auto parsed = Sni::parseEntry(entry);
        QCOMPARE(parsed.has_value(), valid);
        if (!valid)
            return;
        QFETCH(QString, key);
        QFETCH(bool, pathGiven);
        QCOMPARE(parsed->key(), key);
        QCOMPARE(parsed->pathGiven, pathGiven);
        QCOMPARE(parsed->address.service.isEmpty(), entry.startsWith(QLatin1Char('/')));
    }

    void introspection_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QStringList>("children");
        QTest::addColumn<bool>("isItem");
        QTest::newRow("root with nested nodes")
            << "/" << "<node><interface name=\"org.freedesktop.DBus.Peer\"/><node name=\"org\"><node name=\"deep\"/></node>"
                      "<node name=\"MenuBar\"/></node>"
            << QStringList{"/org", "/MenuBar"} << false;
        QTest::newRow("the item itself")
            << "/org/ayatana/NotificationItem/nm"
            << "<node><interface name=\"org.kde.StatusNotifierItem\"><method name=\"Scroll\"/></interface>"
               "<node name=\"Menu\"/></node>"
            << QStringList{"/org/ayatana/NotificationItem/nm/Menu"} << true;
        QTest::newRow("child names that are no path element")
            << "/a" << "<node><node name=\"b/c\"/><node name=\"\"/><node name=\"d-e\"/><node name=\"ok\"/></node>"
            << QStringList{"/a/ok"} << false;
        QTest::newRow("an interface of a child does not count")
            << "/" << "<node><node name=\"x\"><interface name=\"org.kde.StatusNotifierItem\"/></node></node>"
            << QStringList{"/x"} << false;
        QTest::newRow("broken XML keeps what came before")
            << "/" << "<node><node name=\"a\"/><node name=" << QStringList{"/a"} << false;
    }
    void introspection()
    {
        QFETCH(QString, path);
        QFETCH(QString, xml);
        QFETCH(QStringList, children);
        QFETCH(bool, isItem);
        const Sni::IntrospectedNode node = Sni::parseIntrospection(path, xml);
        QCOMPARE(node.children, children);
        QCOMPARE(node.isItem, isItem);
    }

    void choosePixmap_data()
    {
        QTest::addColumn<QList<RawPixmap>>("pixmaps");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");
        QTest::newRow("smallest that covers the target")
            << QList<RawPixmap>{solid(16, 16), solid(64, 64), solid(32, 32), solid(128, 128)} << 24 << 2;
        QTest::newRow("largest when none covers")
            << QList<RawPixmap>{solid(16, 16), solid(22, 22), solid(8, 8)} << 48 << 1;
        QTest::newRow("data length not 4*w*h is skipped")
            << QList<RawPixmap>{solid(32, 32, 100), solid(16, 16)} << 24 << 1;
        QTest::newRow("larger than 1024 is skipped")
            << QList<RawPixmap>{solid(2048, 2, 4 * 2048 * 2), solid(8, 8)} << 24 << 1;
        QTest::newRow("exactly 1024 is accepted") << QList<RawPixmap>{solid(1024, 1024)} << 24 << 0;
        QTest::newRow("negative and zero sides are skipped")
            << QList<RawPixmap>{solid(-4, -4, 64), solid(0, 10, 0), solid(10, 10)} << 24 << 2;
        QTest::newRow("sides whose product overflows 32 bits")
            << QList<RawPixmap>{solid(65536, 65536, 0)} << 24 << -1;
        QTest::newRow("nothing valid") << QList<RawPixmap>{solid(4, 4, 3)} << 24 << -1;
        QTest::newRow("empty list") << QList<RawPixmap>{} << 24 << -1;
    }
    void choosePixmap()
    {
        QFETCH(QList<RawPixmap>, pixmaps);
        QFETCH(int, target);
        QFETCH(int, expected);
        QCOMPARE(Sni::choosePixmap(pixmaps, target), expected);
    }

    // Files are read within bounds: a raster file that declares more than a
    // panel uses is refused unread, a drawing is drawn at the size asked for.
    void pictureFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // empty: a PNG of the size in the name
        QTest::addColumn<bool>("read");
        QTest::newRow("small png") << "64x64.png" << QByteArray() << true;
        QTest::newRow("png of 1024 sides") << "1024x16.png" << QByteArray() << true;
        QTest::newRow("png declaring 1100 sides") << "1100x16.png" << QByteArray() << false;
        QTest::newRow("svg declaring 5000 sides")
            << "big.svg"
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='5000' height='5000'>"
                          "<rect width='5000' height='5000' fill='red'/></svg>")
            << true;
        QTest::newRow("not a picture") << "text.png" << QByteArray("no picture") << false;
    }
    void pictureFiles()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        if (content.isEmpty()) {
            const QStringList sides = file.section('.', 0, 0).split('x');
            QVERIFY(writePng(path, sides[0].toInt(), sides[1].toInt(), Qt::red));
        } else {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        const QImage image = Pictures::readFile(path, 48);
        QCOMPARE(!image.isNull(), read);
        if (read) {
            QCOMPARE(image.size(), QSize(48, 48));
            // The picture itself, not an empty canvas: red along the middle column.
            bool drawn = false;
            for (int y = 0; y < 48 && !drawn; ++y)
                drawn = image.pixelColor(24, y).red() == 255 && image.pixelColor(24, y).alpha() == 255;
            QVERIFY(drawn);
        }
    }

    // A picture is read once per file and modification, whichever theme path
    // comes with its name; a changed file is read again.
    void iconLoaderReadsEachPictureOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("icon.png");
        QVERIFY(writePng(path, 32, 32, Qt::red));
        QVERIFY(QDir().mkpath(dir.filePath("theme/22x22")));
        QVERIFY(writePng(dir.filePath("theme/22x22/own.png"), 22, 22, Qt::blue));
        IconLoader loader(48);
        QImage got;
        auto ask = [&](const QString &name, const QString &themePath) {
            got = QImage();
            if (const auto known = loader.request("slot", name, themePath, [&](const QImage &read) { got = read; }))
                got = *known;
        };

        ask(path, "/nowhere/1");
        QTRY_VERIFY(!got.isNull());
        QCOMPARE(got.pixelColor(24, 24), QColor(Qt::red));
        ask(path, "/nowhere/2");
        QVERIFY(!got.isNull()); // at once, from the cache
        QCOMPARE(loader.decodedCount(), 1);

        QVERIFY(QFile::remove(path));
        QVERIFY(writePng(path, 40, 40, Qt::green)); // another size on disk
        ask(path, QString());
        QTRY_COMPARE(got.pixelColor(24, 24), QColor(Qt::green));
        QCOMPARE(loader.decodedCount(), 2);

        ask("own", dir.filePath("theme"));
        QTRY_COMPARE(got.pixelColor(24, 24), QColor(Qt::blue));
        ask("own", dir.filePath("theme"));
        QCOMPARE(got.pixelColor(24, 24), QColor(Qt::blue));
        QCOMPARE(loader.decodedCount(), 3);
    }

    void decodePixmapUsesNetworkByteOrder()
    {
        RawPixmap pixmap;
        pixmap.width = 2;
        pixmap.height = 1;
        pixmap.data = QByteArray::fromHex("ff112233" "80a0b0c0");
        const QImage image = Sni::decodePixmap(pixmap);
        QCOMPARE(image.size(), QSize(2, 1));
        QCOMPARE(image.pixel(0, 0), QRgb(0xff112233));
        QCOMPARE(image.pixel(1, 0), QRgb(0x80a0b0c0));

        pixmap.data.chop(1);
        QVERIFY(Sni::decodePixmap(pixmap).isNull());
    }

    void texts_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("toolTipTitle");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QVariant>("description"); // invalid: absent
        QTest::addColumn<QVariant>("axTitle");
        QTest::newRow("title wins over tooltip") << "Network" << "Connected" << "nm-applet" << QVariant("Network")
                                                 << QVariant("nm-applet");
        QTest::newRow("tooltip title when title empty")
            << "" << "Volume 40 %" << "pavucontrol" << QVariant("Volume 40 %") << QVariant("pavucontrol");
        QTest::newRow("both empty and no id") << "" << "" << "" << QVariant() << QVariant();
        QTest::newRow("a single space is a title") << " " << "x" << " " << QVariant(" ") << QVariant(" ");
    }
    void texts()
    {
        QFETCH(QString, title);
        QFETCH(QString, toolTipTitle);
        QFETCH(QString, id);
        QFETCH(QVariant, description);
        QFETCH(QVariant, axTitle);
        const auto d = Sni::itemDescription(title, toolTipTitle);
        QCOMPARE(d.has_value(), description.isValid());
        if (d)
            QCOMPARE(*d, description.toString());
        const auto t = Sni::itemTitle(id);
        QCOMPARE(t.has_value(), axTitle.isValid());
        if (t)
            QCOMPARE(*t, axTitle.toString());
    }

    void capTextKeepsWholeCharacters()
    {
        const QString huge(1024 * 1024, QLatin1Char('x'));
        QCOMPARE(Sni::capText(huge).size(), Sni::maxTextLength);
        // A surrogate pair straddling the limit is dropped whole.
        QString straddling(Sni::maxTextLength - 1, QLatin1Char('a'));
        straddling += QString::fromUcs4(U"\U0001F600");
        const QString cut = Sni::capText(straddling);
        QCOMPARE(cut.size(), Sni::maxTextLength - 1);
        QVERIFY(!cut.back().isHighSurrogate());
        QCOMPARE(Sni::capText(QStringLiteral("short")), QStringLiteral("short"));
    }

    void geometry_data()
    {
        QTest::addColumn<int>("rank");
        QTest::addColumn<bool>("otherHost");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("first item shown") << 1 << true << "Active" << QRectF(24, 0, 24, 24);
        QTest::newRow("third item needing attention") << 3 << true << "NeedsAttention" << QRectF(72, 0, 24, 24);
        QTest::newRow("passive item has no width") << 2 << true << "Passive" << QRectF(48, 0, 0, 24);
        QTest::newRow("no other host: nothing shown") << 1 << false << "Active" << QRectF(24, 0, 0, 24);
        QTest::newRow("unknown status counts as shown") << 4 << true << "" << QRectF(96, 0, 24, 24);
    }
    void geometry()
    {
        QFETCH(int, rank);
        QFETCH(bool, otherHost);
        QFETCH(QString, status);
        QFETCH(QRectF, expected);
        QCOMPARE(Sni::barGeometry(rank, Sni::isDisplayed(otherHost, status)), expected);
    }

    void menuLabels_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("expected");
        QTest::newRow("mnemonic") << "_Quit" << "&Quit";
        QTest::newRow("escaped underscore") << "snake__case" << "snake_case";
        QTest::newRow("ampersand stays literal") << "R&D" << "R&&D";
        QTest::newRow("plain") << "Open" << "Open";
    }
    void menuLabels()
    {
        QFETCH(QString, label);
        QFETCH(QString, expected);
        QCOMPARE(dbusMenuLabel(label), expected);
    }

    void menuLayoutRejectsOtherShapes()
    {
        DBusMenuNode root;
        QVERIFY(!parseDBusMenuLayout(QVariant(42), root));
        QVERIFY(!parseDBusMenuLayout(QVariant(QStringLiteral("(ia{sv}av)")), root));
    }

    void settingsCommand_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("program");
        QTest::newRow("KDE") << "KDE" << "systemsettings";
        QTest::newRow("Ubuntu's GNOME list") << "ubuntu:GNOME" << "gnome-control-center";
        QTest::newRow("case-insensitive XFCE") << "xfce" << "xfce4-settings-manager";
        QTest::newRow("first known entry wins") << "Unknown:MATE:KDE" << "mate-control-center";
        QTest::newRow("unknown desktop") << "Sway" << "";
        QTest::newRow("unset") << "" << "";
    }
    void settingsCommand()
    {
        QFETCH(QString, desktop);
        QFETCH(QString, program);
        const QStringList command = LinuxPlatform::settingsCommand(desktop);
        QCOMPARE(command.value(0), program);
    }

    void dockedIcons_data()
    {
        // The tray's client owns ids 0x200000-0x3fffff; programs have their own ranges.
        QTest::addColumn<QList<XEmbed::TreeNode>>("tree");
        QTest::addColumn<QList<quint32>>("icons");
        const quint32 panel = 0x200003, socketA = 0x200026, socketB = 0x200029;
        QTest::newRow("icons inside the tray's sockets, in tree order")
            << QList<XEmbed::TreeNode>{{socketA, panel, true}, {socketB, panel, true},
                                       {0x400006, socketA, true}, {0x600007, socketB, true}}
            << QList<quint32>{0x400006, 0x600007};
        QTest::newRow("a program's own child windows below its icon are not icons")
            << QList<XEmbed::TreeNode>{{socketA, panel, true}, {0x400006, socketA, true},
                                       {0x400008, 0x400006, true}}
            << QList<quint32>{0x400006};
        QTest::newRow("an unmapped icon is left out")
            << QList<XEmbed::TreeNode>{{0x400006, socketA, false}, {0x600007, socketB, true}}
            << QList<quint32>{0x600007};
        QTest::newRow("a window seen twice is one icon")
            << QList<XEmbed::TreeNode>{{0x400006, socketA, true}, {0x400006, socketA, true}}
            << QList<quint32>{0x400006};
        QTest::newRow("the neighbouring id range belongs to another client")
            << QList<XEmbed::TreeNode>{{0x400000, 0x3fffff, true}, {0x3ffff0, 0x1fffff, true}}
            << QList<quint32>{0x400000};
    }
    void dockedIcons()
    {
        QFETCH(QList<XEmbed::TreeNode>, tree);
        QFETCH(QList<quint32>, icons);
        QCOMPARE(XEmbed::dockedIcons(tree, 0x200000, 0x1fffff), icons);
        // Without a known tray client nothing counts as docked.
        QVERIFY(XEmbed::dockedIcons(tree, 0, 0).isEmpty());
    }

    void iconNamesAndMapping()
    {
        QCOMPARE(XEmbed::iconName("Lautstärke", "Volumeicon", "volumeicon"), QString("Lautstärke"));
        QCOMPARE(XEmbed::iconName(" ", "Parcellite", "parcellite"), QString("Parcellite"));
        QCOMPARE(XEmbed::iconName({}, {}, "yad"), QString("yad"));
        QVERIFY(XEmbed::wantsMapped({}, false));
        QVERIFY(XEmbed::wantsMapped({0, 1}, true));
        QVERIFY(!XEmbed::wantsMapped({0, 0}, true));
        QVERIFY(!XEmbed::wantsMapped({0}, true));
    }
};

QTEST_GUILESS_MAIN(TestSniHelpers)
#include "tst_snihelpers.moc"
