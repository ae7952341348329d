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
    font.family: Symbols.family
    font.pixelSize: Math.round(size * Theme.symbolScale)
    color: Theme.primary
    // The symbol font has one weight; heavier weights are drawn with an outline.
    strokeWidth: weight >= Font.Bold ? size * 0.09 : weight >= Font.DemiBold ? size * 0.06
               : weight >= Font.Medium ? size * 0.03 : 0
}
