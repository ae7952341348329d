// Protocol edge cases of the StatusNotifierItem backend that real peers
// produce: registration and watcher-entry forms, introspection answers, pixmap
// choice, pictures read from files within bounds, texts and menu labels; and
// the legacy X11 tray's docked icons.
#include "Platform/linux/DBusMenu.h"
#include "Platform/linux/IconLoader.h"
#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/SniRegistration.h"
#include "Platform/linux/SniTypes.h"
#include "Platform/linux/XEmbedHelpers.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"

using namespace Trayvane;

namespace {

Sni::Pixmap solid(int width, int height, qsizetype dataLength = -1)
{
    return {width, height, QByteArray(dataLength >= 0 ? dataLength : qsizetype(4) * width * height, '\x7f')};
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestSniHelpers : public QObject
{
    Q_OBJECT

private slots:
    // A registration's argument and the same text as a watcher lists it.
    // Watchers list one registration as "name/path", as the bare name or as
    // the bare path; each form must find the item the others file.
    void forms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("registered"); // "service path", "" when refused
        QTest::addColumn<QString>("listedKey");  // "" when malformed
        QTest::addColumn<bool>("pathGiven");
        const QString sni = QStringLiteral("/StatusNotifierItem");
        const QString nm = QStringLiteral("/org/ayatana/NotificationItem/nm");
        const QString kde = QStringLiteral("org.kde.StatusNotifierItem-12-1");
        QTest::newRow("unique name alone") << ":1.42" << ":1.42" << ":1.42 " + sni << ":1.42" + sni << false;
        QTest::newRow("well-known name alone") << kde << ":1.9" << kde + " " + sni << kde + sni << false;
        QTest::newRow("unique name, default path") << ":1.5" + sni << ":1.5" << ":1.5 " + sni << ":1.5" + sni << true;
        QTest::newRow("name and path") << ":1.5/items/one" << ":1.8" << ":1.5 /items/one" << ":1.5/items/one" << true;
        QTest::newRow("object path of the caller") << nm << ":1.7" << ":1.7 " + nm << nm << true;
        QTest::newRow("object path without a caller") << sni << "" << "" << sni << true;
        QTest::newRow("empty") << "" << ":1.7" << "" << "" << false;
        QTest::newRow("not a bus name") << "hello world" << ":1.7" << "" << "" << false;
        QTest::newRow("path with empty element") << "/a//b" << ":1.7" << "" << "" << false;
        QTest::newRow("name with trailing slash") << ":1.6/x/" << ":1.7" << "" << "" << false;
    }
    void forms()
    {
        QFETCH(QString, text);
        QFETCH(QString, sender);
        const auto address = Sni::splitRegistration(text, sender);
        QTEST(address ? address->service + ' ' + address->path : QString(), "registered");
        // The watcher's entry text parses back into the same address.
        if (address)
            QCOMPARE(Sni::parseEntry(address->entry()).value().address, *address);
        const auto entry = Sni::parseEntry(text);
        QTEST(entry ? entry->key() : QString(), "listedKey");
        QTEST(entry && entry->pathGiven, "pathGiven");
    }

    void introspection_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QStringList>("children");
        QTest::addColumn<bool>("isItem");
        QTest::newRow("root with nested nodes")
            << "/"
            << "<node><interface name=\"org.freedesktop.DBus.Peer\"/><node name=\"org\"><node name=\"deep\"/></node>"
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
        using List = Sni::PixmapList;
        QTest::newRow("smallest that covers 24")
            << List{solid(16, 16), solid(64, 64), solid(32, 32), solid(128, 128)} << 2;
        QTest::newRow("largest when none covers") << List{solid(16, 16), solid(22, 22), solid(8, 8)} << 1;
        QTest::newRow("data length not 4*w*h") << List{solid(32, 32, 100), solid(16, 16)} << 1;
        QTest::newRow("side over 1024") << List{solid(2048, 2, 4 * 2048 * 2), solid(8, 8)} << 1;
        QTest::newRow("side of 1024") << List{solid(1024, 1024)} << 0;
        QTest::newRow("negative and zero sides") << List{solid(-4, -4, 64), solid(0, 10, 0), solid(10, 10)} << 2;
        QTest::newRow("sides whose product overflows 32 bits") << List{solid(65536, 65536, 0)} << -1;
    }
    void choosePixmap()
    {
        QFETCH(Sni::PixmapList, pixmaps);
        QTEST(Sni::choosePixmap(pixmaps, 24), "expected");
    }

    // Files are read within bounds: a raster file that declares more than a
    // panel uses is refused unread, a drawing is drawn at the size asked for.
    void pictureFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("read");
        QTest::newRow("png of 1024 sides") << "wide.png" << png(1024, 16) << true;
        QTest::newRow("png declaring 1100 sides") << "wider.png" << png(1100, 16) << false;
        const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='5000' height='5000'>"
                               "<rect width='5000' height='5000' fill='red'/></svg>";
        QTest::newRow("svg declaring 5000 sides") << "big.svg" << svg << true;
        QTest::newRow("not a picture") << "text.png" << QByteArray("no picture") << false;
    }
    void pictureFiles()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, read);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(file), content));
        const QImage image = Pictures::readFile(dir.filePath(file), 48);
        // The picture itself, not an empty canvas: red along the middle column.
        bool drawn = false;
        for (int y = 0; y < image.height(); ++y)
            drawn = drawn || image.pixelColor(24, y) == QColor(Qt::red);
        QCOMPARE(drawn, read);
        QCOMPARE(image.size(), read ? QSize(48, 48) : QSize(0, 0));
    }

    void texts()
    {
        // A surrogate pair straddling the limit is dropped whole.
        const QString straddling = QString(Sni::maxTextLength - 1, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600");
        QCOMPARE(Sni::capText(straddling), straddling.left(Sni::maxTextLength - 1));
        QCOMPARE(dbusMenuLabel("_Quit"), QString("&Quit"));
        QCOMPARE(dbusMenuLabel("snake__case R&D"), QString("snake_case R&&D"));
    }
    // Which windows of another program's tray are docked icons. The tray's
    // client owns ids 0x200000-0x3fffff; programs have their own ranges.
    void dockedIcons_data()
    {
        QTest::addColumn<QList<XEmbed::TreeNode>>("tree");
        QTest::addColumn<QList<quint32>>("icons");
        const quint32 panel = 0x200003, a = 0x200026, b = 0x200029;
        using Tree = QList<XEmbed::TreeNode>;
        using Ids = QList<quint32>;
        QTest::newRow("icons inside the tray's sockets, in tree order")
            << Tree{{a, panel, true}, {b, panel, true}, {0x400006, a, true}, {0x600007, b, true}}
            << Ids{0x400006, 0x600007};
        QTest::newRow("a program's own child windows below its icon are not icons")
            << Tree{{a, panel, true}, {0x400006, a, true}, {0x400008, 0x400006, true}} << Ids{0x400006};
        QTest::newRow("an unmapped icon left out") << Tree{{0x400006, a, false}, {0x600007, b, true}} << Ids{0x600007};
        QTest::newRow("seen twice: one icon") << Tree{{0x400006, a, true}, {0x400006, a, true}} << Ids{0x400006};
        QTest::newRow("the neighbouring id range belongs to another client")
            << Tree{{0x400000, 0x3fffff, true}, {0x3ffff0, 0x1fffff, true}} << Ids{0x400000};
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
