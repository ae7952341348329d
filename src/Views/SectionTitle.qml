// The heading of a help section (`sectionTitle`): its symbol in the accent
// colour, then the title in bold.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property string title
    required property string icon
    required property color color

    spacing: 6

    SymbolImage {
        name: root.icon
        size: Theme.subheadline
        color: root.color
    }
    Text {
        text: root.title
        font.pixelSize: Theme.subheadline
        font.bold: true
        color: Theme.primary
    }
}
