// One feature of the help page (`featureItem`): a teal symbol in a narrow
// column, then the feature's title over its wrapping explanation.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property string icon
    required property string title
    required property string text

    spacing: 10

    SymbolImage {
        Layout.preferredWidth: 20
        Layout.alignment: Qt.AlignTop
        Layout.topMargin: 1
        name: root.icon
        size: 14
        color: Theme.teal
    }
    ColumnLayout {
        Layout.fillWidth: true
        Layout.alignment: Qt.AlignTop
        spacing: 2
        Text {
            objectName: "featureTitle"
            Layout.fillWidth: true
            text: root.title
            font.pixelSize: Theme.caption
            font.weight: Font.DemiBold
            color: Theme.primary
            wrapMode: Text.Wrap
        }
        Text {
            objectName: "featureText"
            Layout.fillWidth: true
            text: root.text
            font.pixelSize: Theme.caption
            color: Theme.secondary
            wrapMode: Text.Wrap
        }
    }
}
