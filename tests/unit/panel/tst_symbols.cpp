// The symbol table: every symbol the pages name has a glyph, and every glyph
// exists in the bundled font.
#include "Symbols.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

using Trayvane::Symbols;

class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
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

    void unknownNameHasNoGlyph()
    {
        QVERIFY(Symbols::glyph(QStringLiteral("square.grid.4x4")).isEmpty());
        QVERIFY(Symbols::glyph(QString()).isEmpty());
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
