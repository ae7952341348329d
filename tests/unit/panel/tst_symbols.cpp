// The panel's look: every symbol the pages name is drawn by a glyph of the
// bundled font, the status icon keeps its grid legible, and what the settings
// portal's "color-scheme" value means.
#include "ColorScheme.h"
#include "MenuBarLabel.h"
#include "Symbols.h"

#include <QDBusVariant>
#include <QDirIterator>
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

using namespace Trayvane;

namespace {

// The opaque runs along the middle row of an image: a grid in a frame shows
// five (frame, three cells, frame) with clear space between them.
int opaqueRuns(const QImage &image)
{
    int runs = 0;
    bool inRun = false;
    for (int x = 0, y = image.height() / 2; x < image.width(); ++x) {
        const int alpha = qAlpha(image.pixel(x, y));
        runs += !inRun && alpha >= 160;
        inRun = alpha >= 160 || (inRun && alpha >= 80);
    }
    return runs;
}

} // namespace

class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
    void statusIconShowsItsGrid_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("dark");
        for (int pixels : {16, 22})
            for (bool dark : {false, true})
                QTest::addRow("%d px %s", pixels, dark ? "dark" : "light") << pixels << dark;
    }
    void statusIconShowsItsGrid()
    {
        QFETCH(int, pixels);
        QFETCH(bool, dark);
        const QImage image = MenuBarLabel::coloredImage(pixels, dark).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(pixels, pixels));
        QCOMPARE(opaqueRuns(image), 5);
        QCOMPARE(opaqueRuns(image.transformed(QTransform().rotate(90))), 5);
        QVERIFY(!MenuBarLabel::coloredIcon(dark).isMask());
    }

    // A symbol name in a page that the table does not know, or whose glyph
    // the font lacks, would draw nothing.
    void everySymbolNamedInThePagesIsDrawn()
    {
        QFile file(Symbols::fontResource());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 16);
        QVERIFY(font.isValid() && !Symbols::fontFamily().isEmpty());
        static const QRegularExpression named(QStringLiteral(R"((?:\bname|\bsymbol|\bsymbolName)\s*:\s*([^\n]*))"));
        static const QRegularExpression quoted(QStringLiteral(R"("([a-z][a-z0-9]*(?:\.[a-z0-9]+)+)\")"));
        int found = 0;
        for (QDirIterator it(QStringLiteral(TRAYVANE_VIEWS_DIR), {QStringLiteral("*.qml")}); it.hasNext();) {
            QFile page(it.next());
            QVERIFY(page.open(QIODevice::ReadOnly));
            for (auto line = named.globalMatch(QString::fromUtf8(page.readAll())); line.hasNext();) {
                for (auto name = quoted.globalMatch(line.next().captured(1)); name.hasNext(); ++found) {
                    const QString symbol = name.next().captured(1);
                    const QString glyph = Symbols::glyph(symbol), badge = Symbols::badge(symbol);
                    QVERIFY2(glyph.size() == 1 && font.supportsCharacter(glyph.at(0)), qPrintable(symbol));
                    QVERIFY2(badge.isEmpty() || font.supportsCharacter(badge.at(0)), qPrintable(symbol));
                }
            }
        }
        QVERIFY(found > 10);
    }

    void colorSchemeFromPortal_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("expected"); // -1 none, 0 light, 1 dark
        QTest::newRow("signed dark") << QVariant(1) << 1;
        QTest::newRow("unknown number") << QVariant(7u) << -1;
        QTest::newRow("light, wrapped twice")
            << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(2u)))) << 0;
        QTest::newRow("text") << QVariant(QStringLiteral("dark")) << -1;
    }
    void colorSchemeFromPortal()
    {
        QFETCH(QVariant, value);
        const std::optional<bool> dark = ColorScheme::preferenceFromPortal(value);
        QTEST(dark ? int(*dark) : -1, "expected");
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
