// The symbol table: SF-style names of the pages to Material Icons code points.
#include "Symbols.h"

#include <QFontDatabase>
#include <QHash>

namespace Trayvane {

namespace {

struct Glyph
{
    char16_t code = 0;
    // Drawn this much larger, so that glyphs that fill less of their square
    // look as large as their neighbours.
    qreal scale = 1.0;
    // Drawn as the outline of the glyph instead of filled.
    bool outline = false;
    // A second glyph set small into the bottom-trailing corner.
    char16_t badge = 0;
};

const QHash<QString, Glyph> &table()
{
    // Chosen by shape: each glyph is the closest Material Icons drawing of the
    // named symbol. Keep docs/symbols.md in step with this table.
    static const QHash<QString, Glyph> glyphs = {
        {QStringLiteral("app.dashed"), {0xe162}},                             // select_all
        {QStringLiteral("arrow.clockwise"), {0xe5d5, 1.25}},                  // refresh: 16 of 24 units
        {QStringLiteral("arrow.counterclockwise"), {0xf053}},                 // restart_alt
        {QStringLiteral("arrow.up.and.down"), {0xea16}},                      // height
        {QStringLiteral("arrow.up.arrow.down"), {0xe8d5, 1.25}},              // swap_vert: 18 of 24 units
        {QStringLiteral("checkmark.circle.fill"), {0xe86c}},                  // check_circle
        {QStringLiteral("chevron.down"), {0xe5cf}},                           // expand_more
        {QStringLiteral("chevron.left"), {0xe5cb}},                           // chevron_left
        {QStringLiteral("chevron.up"), {0xe5ce}},                             // expand_less
        {QStringLiteral("circle"), {0xe836}},                                 // radio_button_unchecked
        {QStringLiteral("cursorarrow.click.2"), {0xe762}},                    // ads_click
        {QStringLiteral("doc.on.doc"), {0xe14d}},                             // content_copy
        {QStringLiteral("exclamationmark.triangle.fill"), {0xe002}},          // warning
        {QStringLiteral("eye"), {0xe8f4}},                                    // visibility
        {QStringLiteral("eye.slash"), {0xe8f5}},                              // visibility_off
        {QStringLiteral("gearshape"), {0xe8b8, 1.0, true}},                   // settings, as an outline
        {QStringLiteral("globe"), {0xe894}},                                  // language
        {QStringLiteral("hand.tap.fill"), {0xe913}},                          // touch_app
        {QStringLiteral("info.circle"), {0xe88f}},                            // info_outline
        {QStringLiteral("lightbulb.fill"), {0xe0f0}},                         // lightbulb
        {QStringLiteral("lock.shield.fill"), {0xe8e8}},                       // verified_user
        {QStringLiteral("lock.trianglebadge.exclamationmark"), {0xe897, 1.0, false, 0xe002}},  // lock, warning badge
        {QStringLiteral("power"), {0xe8ac}},                                  // power_settings_new
        {QStringLiteral("questionmark.circle"), {0xe8fd}},                    // help_outline
        {QStringLiteral("rectangle.compress.vertical"), {0xe94d}},            // compress
        {QStringLiteral("rectangle.expand.vertical"), {0xe94f}},              // expand
        {QStringLiteral("shield.lefthalf.filled"), {0xe32a}},                 // security
        {QStringLiteral("square.grid.3x3.square"), {0xe3ec}},                 // grid_on
        {QStringLiteral("star.fill"), {0xe838}},                              // star
    };
    return glyphs;
}

} // namespace

Symbols::Symbols(QObject *parent)
    : QObject(parent)
{
}

QString Symbols::glyph(const QString &name)
{
    const auto it = table().constFind(name);
    return it == table().cend() ? QString() : QString(QChar(it->code));
}

qreal Symbols::scale(const QString &name)
{
    return table().value(name).scale;
}

bool Symbols::outlined(const QString &name)
{
    return table().value(name).outline;
}

QString Symbols::badge(const QString &name)
{
    const char16_t code = table().value(name).badge;
    return code ? QString(QChar(code)) : QString();
}

QStringList Symbols::names()
{
    QStringList all = table().keys();
    all.sort();
    return all;
}

QString Symbols::fontResource()
{
    return QStringLiteral(":/trayvane/fonts/MaterialIcons-Regular.ttf");
}

QString Symbols::fontFamily()
{
    // Loaded on first use after the application object exists; a failed load
    // is tried again on the next call.
    static QString family;
    if (family.isEmpty()) {
        const int id = QFontDatabase::addApplicationFont(fontResource());
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            family = families.constFirst();
    }
    return family;
}

} // namespace Trayvane
