// Protocol edge cases of the StatusNotifierItem backend that real peers
// produce: registration and watcher-entry forms, introspection answers, pixmap
// choice and decoding, pictures read from files within bounds, menu labels;
// the settings program per desktop, and the legacy X11 tray's docked icons.
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

Q_DECLARE_METATYPE(QList<XEmbed::TreeNode>)

namespace {

Sni::Pixmap solid(int width, int height, qsizetype dataLength = -1)
{
    return {width, height, QByteArray(dataLength >= 0 ? dataLength : qsizetype(4) * width * height, '\x7f')};
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
    // "service path" of a registration, or "" when it must be refused.
    void registrations_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("address");
        QTest::newRow("unique name alone") << ":1.42" << ":1.42" << ":1.42 /StatusNotifierItem";
        QTest::newRow("well-known name alone")
            << "org.kde.StatusNotifierItem-12-1" << ":1.9" << "org.kde.StatusNotifierItem-12-1 /StatusNotifierItem";
        QTest::newRow("object path of the caller") << "/org/ayatana/NotificationItem/nm" << ":1.7"
                                                   << ":1.7 /org/ayatana/NotificationItem/nm";
        QTest::newRow("name and path") << ":1.5/items/one" << ":1.8" << ":1.5 /items/one";
        QTest::newRow("empty") << "" << ":1.7" << "";
        QTest::newRow("not a bus name") << "hello world" << ":1.7" << "";
        QTest::newRow("single-element name") << "nodots" << ":1.7" << "";
        QTest::newRow("path with empty element") << "/a//b" << ":1.7" << "";
        QTest::newRow("path with trailing slash") << "/a/b/" << ":1.7" << "";
        QTest::newRow("object path without a caller") << "/StatusNotifierItem" << "" << "";
    }
    void registrations()
    {
        QFETCH(QString, argument);
        QFETCH(QString, sender);
        QFETCH(QString, address);
        const auto split = Sni::splitRegistration(argument, sender);
        QCOMPARE(split ? split->service + ' ' + split->path : QString(), address);
        // The watcher's entry text parses back into the same address.
        if (split)
            QCOMPARE(Sni::parseEntry(split->entry()).value().address, *split);
    }

    // Watchers list one registration as "name/path", as the bare name or as
    // the bare path; each form must find the item the others file.
    void watcherEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("key"); // empty: malformed
        QTest::addColumn<bool>("pathGiven");
        QTest::newRow("bare unique name") << ":1.5" << ":1.5/StatusNotifierItem" << false;
        QTest::newRow("unique name, default path") << ":1.5/StatusNotifierItem" << ":1.5/StatusNotifierItem" << true;
        QTest::newRow("bare well-known name")
            << "org.kde.StatusNotifierItem-7-1" << "org.kde.StatusNotifierItem-7-1/StatusNotifierItem" << false;
        QTest::newRow("path alone") << "/org/ayatana/NotificationItem/nm" << "/org/ayatana/NotificationItem/nm" << true;
        QTest::newRow("malformed path alone") << "/org//x" << "" << false;
        QTest::newRow("name with malformed path") << ":1.6/x/" << "" << false;
    }
    void watcherEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, key);
        QFETCH(bool, pathGiven);
        const auto parsed = Sni::parseEntry(entry);
        QCOMPARE(parsed ? parsed->key() : QString(), key);
        if (parsed)
            QCOMPARE(parsed->pathGiven, pathGiven);
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
        const Sni::IntrospectedNode node = Sni::parseIntrospection(path, xml);
        QTEST(node.children, "children");
        QTEST(node.isItem, "isItem");
    }

    void choosePixmap_data()
    {
        QTest::addColumn<Sni::PixmapList>("pixmaps");
        QTest::addColumn<int>("expected");
        QTest::newRow("smallest that covers 24")
            << Sni::PixmapList{solid(16, 16), solid(64, 64), solid(32, 32), solid(128, 128)} << 2;
        QTest::newRow("largest when none covers") << Sni::PixmapList{solid(16, 16), solid(22, 22), solid(8, 8)} << 1;
        QTest::newRow("data length not 4*w*h") << Sni::PixmapList{solid(32, 32, 100), solid(16, 16)} << 1;
        QTest::newRow("side over 1024") << Sni::PixmapList{solid(2048, 2, 4 * 2048 * 2), solid(8, 8)} << 1;
        QTest::newRow("side of 1024") << Sni::PixmapList{solid(1024, 1024)} << 0;
        QTest::newRow("negative and zero sides") << Sni::PixmapList{solid(-4, -4, 64), solid(0, 10, 0), solid(10, 10)} << 2;
        QTest::newRow("sides whose product overflows 32 bits") << Sni::PixmapList{solid(65536, 65536, 0)} << -1;
        QTest::newRow("empty list") << Sni::PixmapList{} << -1;
    }
    void choosePixmap()
    {
        QFETCH(Sni::PixmapList, pixmaps);
        QTEST(Sni::choosePixmap(pixmaps, 24), "expected");
    }

    void decodePixmapUsesNetworkByteOrder()
    {
        Sni::Pixmap pixmap{2, 1, QByteArray::fromHex("ff112233" "80a0b0c0")};
        const QImage image = Sni::decodePixmap(pixmap);
        QCOMPARE(image.pixel(0, 0), QRgb(0xff112233));
        QCOMPARE(image.pixel(1, 0), QRgb(0x80a0b0c0));
        pixmap.bytes.chop(1);
        QVERIFY(Sni::decodePixmap(pixmap).isNull());
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
        // The picture itself, not an empty canvas: red along the middle column.
        bool drawn = false;
        for (int y = 0; y < image.height(); ++y)
            drawn = drawn || image.pixelColor(24, y) == QColor(Qt::red);
        QCOMPARE(drawn, read);
        QCOMPARE(image.size(), read ? QSize(48, 48) : QSize(0, 0));
    }

    // A picture is read once per file and modification, whichever theme path
    // comes with its name; a changed file is read again.
    void iconLoaderReadsEachPictureOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("icon.png");
        QVERIFY(writePng(path, 32, 32, Qt::red));
        IconLoader loader(48);
        QImage got;
        auto ask = [&](const QString &themePath) {
            got = QImage();
            if (const auto known = loader.request("slot", path, themePath, [&](const QImage &read) { got = read; }))
                got = *known;
        };
        ask("/nowhere/1");
        QTRY_COMPARE(got.pixelColor(24, 24), QColor(Qt::red));
        ask("/nowhere/2");
        QCOMPARE(got.pixelColor(24, 24), QColor(Qt::red)); // at once, from the cache
        QCOMPARE(loader.decodedCount(), 1);
        QVERIFY(QFile::remove(path) && writePng(path, 40, 40, Qt::green)); // another size on disk
        ask(QString());
        QTRY_COMPARE(got.pixelColor(24, 24), QColor(Qt::green));
        QCOMPARE(loader.decodedCount(), 2);
    }

    void texts()
    {
        // A surrogate pair straddling the limit is dropped whole.
        const QString straddling = QString(Sni::maxTextLength - 1, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600");
        QCOMPARE(Sni::capText(straddling), straddling.left(Sni::maxTextLength - 1));
        QCOMPARE(dbusMenuLabel("_Quit"), QString("&Quit"));
        QCOMPARE(dbusMenuLabel("snake__case R&D"), QString("snake_case R&&D"));
    }

    void settingsCommand_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("program");
        QTest::newRow("Ubuntu's GNOME list") << "ubuntu:GNOME" << "gnome-control-center";
        QTest::newRow("case-insensitive XFCE") << "xfce" << "xfce4-settings-manager";
        QTest::newRow("first known entry wins") << "Unknown:MATE:KDE" << "mate-control-center";
        QTest::newRow("unknown desktop") << "Sway" << "";
    }
    void settingsCommand()
    {
        QFETCH(QString, desktop);
        QTEST(LinuxPlatform::settingsCommand(desktop).value(0), "program");
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
        QTEST(XEmbed::dockedIcons(tree, 0x200000, 0x1fffff), "icons");
        // Without a known tray client nothing counts as docked.
        QVERIFY(XEmbed::dockedIcons(tree, 0, 0).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSniHelpers)
#include "tst_snihelpers.moc"
