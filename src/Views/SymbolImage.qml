// A named symbol drawn from the symbol font, in one colour or a gradient.
// `size` is the point size of the text style or system font it stands in.
pragma ComponentBehavior: Bound
import QtQuick
import Trayvane

GradientText {
    id: root

    required property string name
    property real size: Theme.subheadline
    property int weight: Font.Normal

    text: Symbols.glyph(name)
    badge: Symbols.badge(name)
    outlined: Symbols.outlined(name)
    font.family: Symbols.family
    font.pixelSize: Math.round(size * Theme.symbolScale * Symbols.scale(name))
    color: Theme.primary
    // The symbol font has one weight; heavier weights are drawn with an outline.
    // An outlined symbol takes the line width of the set's outline glyphs
    // (2 of 24 units), and more for heavier weights.
    strokeWidth: (outlined ? font.pixelSize / 12 : 0)
                 + (weight >= Font.Bold ? size * 0.09 : weight >= Font.DemiBold ? size * 0.06
                    : weight >= Font.Medium ? size * 0.03 : 0)
}
