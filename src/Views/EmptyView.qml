// Shown when the permission is present but no status items were found.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root

    implicitWidth: column.implicitWidth + 48
    implicitHeight: column.implicitHeight + 48

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 24
        spacing: 8

        SymbolImage {
            Layout.alignment: Qt.AlignHCenter
            name: "square.grid.3x3.square"
            size: 36
            color: Theme.opacity(Theme.teal, 0.4)
            endColor: Theme.opacity(Theme.indigo, 0.4)
            startPoint: Theme.topLeading
            endPoint: Theme.bottomTrailing
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Keine Menü-Items gefunden")
            font.pixelSize: Theme.subheadline
            font.weight: Font.Medium
            color: Theme.secondary
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Drücke den Aktualisieren-Button oben")
            font.pixelSize: Theme.caption
            color: Theme.opacity(Theme.secondary, 0.7)
        }
    }
}
