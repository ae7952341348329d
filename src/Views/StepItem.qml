// One numbered step of the help page (`stepItem`). The numbers sit right
// aligned in a fixed column, so an empty number still indents its text.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property string number
    required property string text

    spacing: 6

    Text {
        objectName: "stepNumber"
        Layout.preferredWidth: 14
        Layout.alignment: Qt.AlignTop
        horizontalAlignment: Text.AlignRight
        text: root.number
        font.pixelSize: Theme.caption
        font.bold: true
        color: Theme.orange
    }
    Text {
        objectName: "stepText"
        Layout.fillWidth: true
        Layout.alignment: Qt.AlignTop
        text: root.text
        font.pixelSize: Theme.caption
        color: Theme.primary
        wrapMode: Text.Wrap
    }
}
