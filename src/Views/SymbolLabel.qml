// A label of a symbol followed by a text, both in one style and colour (the
// headings of the settings cards).
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property string symbol
    required property string text
    property real size: Theme.caption
    property int weight: Font.Normal
    property color color: Theme.secondary

    spacing: 4

    SymbolImage {
        name: root.symbol
        size: root.size
        weight: root.weight
        color: root.color
    }
    Text {
        text: root.text
        font.pixelSize: root.size
        font.weight: root.weight
        color: root.color
    }
}
