// One numbered step of the permission hint; numbers line up on their right.
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
        Layout.preferredWidth: 16
        Layout.alignment: Qt.AlignTop
        text: root.number
        font.pixelSize: Theme.caption
        font.bold: true
        color: Theme.orange
        horizontalAlignment: Text.AlignRight
    }
    Text {
        Layout.alignment: Qt.AlignTop
        Layout.fillWidth: true
        text: root.text
        font.pixelSize: Theme.caption
        color: Theme.primary
        wrapMode: Text.Wrap
    }
}
