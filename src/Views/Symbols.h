// Symbol names used by the pages, mapped to glyphs of the bundled Material
// Icons font (Apache-2.0). The table is documented in docs/symbols.md.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class Symbols : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString family READ fontFamily CONSTANT FINAL)

public:
    explicit Symbols(QObject *parent = nullptr);

    /// The glyph for a symbol name; empty for a name the table does not know.
    Q_INVOKABLE static QString glyph(const QString &name);
    /// How much larger than its point size the symbol is drawn (1 for most).
    Q_INVOKABLE static qreal scale(const QString &name);
    /// Whether the symbol is drawn as the outline of its glyph.
    Q_INVOKABLE static bool outlined(const QString &name);
    /// The glyph of the symbol's corner badge; empty for most.
    Q_INVOKABLE static QString badge(const QString &name);
    /// Every symbol name the table knows.
    static QStringList names();
    /// The font family of the symbol font, loaded from the resources on first
    /// use. Empty when the font could not be loaded.
    static QString fontFamily();
    /// The resource path of the bundled symbol font.
    static QString fontResource();
};

} // namespace Trayvane
