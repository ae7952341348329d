// One line of the help page's usage box (`usageItem`): an indigo symbol in a
// narrow column, then the text.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property string icon
    required property string text

    spacing: 8

    SymbolImage {
        Layout.preferredWidth: 18
        name: root.icon
        size: 11
        color: Theme.indigo
    }
    Text {
        objectName: "usageText"
        Layout.fillWidth: true
        text: root.text
        font.pixelSize: Theme.caption
        color: Theme.primary
        wrapMode: Text.Wrap
    }
}
