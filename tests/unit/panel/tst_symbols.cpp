// The symbol table: every symbol the pages name has a glyph, and every glyph
// exists in the bundled font. The status icon keeps its grid legible.
#include "MenuBarLabel.h"
#include "Symbols.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

using Trayvane::MenuBarLabel;
using Trayvane::Symbols;

namespace {

// The opaque runs along one row of an image: a grid in a frame shows five
// (frame, three cells, frame) with clear space between them.
int opaqueRuns(const QImage &image, int y)
{
    int runs = 0;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        const int alpha = qAlpha(image.pixel(x, y));
        if (!inRun && alpha >= 160) {
            inRun = true;
            ++runs;
        } else if (inRun && alpha < 80) {
            inRun = false;
        }
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
        // Through the middle row of cells, and in both directions.
        QCOMPARE(opaqueRuns(image, pixels / 2), 5);
        QCOMPARE(opaqueRuns(image.transformed(QTransform().rotate(90)), pixels / 2), 5);
        int opaque = 0;
        for (int y = 0; y < pixels; ++y)
            for (int x = 0; x < pixels; ++x)
                opaque += qAlpha(image.pixel(x, y)) >= 160 ? 1 : 0;
        QVERIFY2(opaque < pixels * pixels / 2, "the icon is mostly filled");
        QVERIFY(!MenuBarLabel::coloredIcon(dark).isMask());
    }

    void everyMappedGlyphExistsInTheFont()
    {
        QFile file(Symbols::fontResource());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 16);
        QVERIFY(font.isValid());
        for (const QString &name : Symbols::names()) {
            const QString glyph = Symbols::glyph(name);
            QCOMPARE(glyph.size(), 1);
            QVERIFY2(font.supportsCharacter(glyph.at(0)), qPrintable(name));
            const QString badge = Symbols::badge(name);
            QVERIFY2(badge.isEmpty() || font.supportsCharacter(badge.at(0)), qPrintable(name));
        }
        QVERIFY(!Symbols::fontFamily().isEmpty());
    }

    // A symbol name in a page that the table does not know would draw nothing.
    void everySymbolNamedInThePagesIsMapped()
    {
        static const QRegularExpression named(
            QStringLiteral(R"((?:\bname|\bsymbol|\bsymbolName)\s*:\s*([^\n]*))"));
        static const QRegularExpression quoted(QStringLiteral(R"("([a-z][a-z0-9]*(?:\.[a-z0-9]+)+)\")"));
        QDirIterator it(QStringLiteral(TRAYVANE_VIEWS_DIR), {QStringLiteral("*.qml")});
        int found = 0;
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto line = named.globalMatch(text); line.hasNext();) {
                const QString rest = line.next().captured(1);
                for (auto name = quoted.globalMatch(rest); name.hasNext();) {
                    const QString symbol = name.next().captured(1);
                    ++found;
                    QVERIFY2(!Symbols::glyph(symbol).isEmpty(),
                             qPrintable(symbol + QStringLiteral(" in ") + it.fileName()));
                }
            }
        }
        QVERIFY(found > 10);
    }
};

QTEST_MAIN(TestSymbols)
#include "tst_symbols.moc"
