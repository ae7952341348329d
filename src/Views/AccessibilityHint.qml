// Shown while the permission to read other applications' menu bars is
// missing: how to grant it again, and a button to the system settings.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root

    signal openSettingsClicked()

    implicitWidth: column.implicitWidth + 40
    implicitHeight: column.implicitHeight + 40

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 20
        spacing: 14

        SymbolImage {
            Layout.alignment: Qt.AlignHCenter
            name: "lock.trianglebadge.exclamationmark"
            size: 36
            color: Theme.orange
            endColor: Theme.red
            startPoint: Theme.topLeading
            endPoint: Theme.bottomTrailing
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Bedienungshilfen-Zugriff benötigt")
            font.pixelSize: Theme.subheadline
            font.weight: Font.DemiBold
            color: Theme.primary
        }
        Item {
            objectName: "instructionBox"
            Layout.fillWidth: true
            implicitHeight: instructions.implicitHeight + 24

            Rectangle {
                anchors.fill: parent
                radius: 10
                color: Theme.controlBackgroundColor
                border.width: 1
                border.color: Theme.opacity(Theme.orange, 0.2)
            }
            ColumnLayout {
                id: instructions
                anchors.fill: parent
                anchors.margins: 12
                spacing: 8

                Text {
                    Layout.fillWidth: true
                    text: qsTr("Nach einem Update muss die Berechtigung in den Systemeinstellungen neu vergeben werden:")
                    font.pixelSize: Theme.caption
                    color: Theme.secondary
                    wrapMode: Text.Wrap
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 4
                    HintStep { Layout.fillWidth: true; number: "1."; text: qsTr("Systemeinstellungen öffnen") }
                    HintStep { Layout.fillWidth: true; number: "2."; text: qsTr("Datenschutz & Sicherheit > Bedienungshilfen") }
                    HintStep { Layout.fillWidth: true; number: "3."; text: qsTr("Trayvane entfernen (\u2013) und neu hinzufügen (+)") }
                    HintStep { Layout.fillWidth: true; number: "4."; text: qsTr("Oder: Toggle aus- und wieder einschalten") }
                }
            }
        }
        PlainButton {
            objectName: "openSettingsButton"
            Layout.alignment: Qt.AlignHCenter
            leftPadding: 16
            rightPadding: 16
            topPadding: 8
            bottomPadding: 8
            onClicked: root.openSettingsClicked()
            background: GradientRect {
                radius: -1
                color: Theme.blue
                endColor: Theme.indigo
                startPoint: Theme.leading
                endPoint: Theme.trailing
            }
            contentItem: RowLayout {
                spacing: 6
                SymbolImage {
                    name: "gearshape"
                    size: Theme.caption
                    color: Theme.white
                }
                Text {
                    text: qsTr("Systemeinstellungen öffnen")
                    font.pixelSize: Theme.caption
                    font.weight: Font.Medium
                    color: Theme.white
                }
            }
        }
    }
}
