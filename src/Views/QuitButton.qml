// The quit area at the bottom of the main page: "Beenden", then a one-line
// confirmation. Changes state without animation.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root

    required property bool showQuitConfirm

    signal quitClicked()
    signal confirmClicked()
    signal cancelClicked()

    implicitHeight: root.showQuitConfirm ? confirmRow.implicitHeight + 16 : quitButton.implicitHeight + 16

    PlainButton {
        id: quitButton
        objectName: "quitButton"
        visible: !root.showQuitConfirm
        x: 8
        y: 8
        width: root.width - 16
        topPadding: 4
        bottomPadding: 4
        onClicked: root.quitClicked()
        contentItem: Text {
            text: qsTr("Beenden")
            font.pixelSize: Theme.caption
            color: Theme.secondary
            horizontalAlignment: Text.AlignHCenter
        }
    }

    RowLayout {
        id: confirmRow
        objectName: "quitConfirmRow"
        visible: root.showQuitConfirm
        x: 14
        y: 8
        width: root.width - 28
        spacing: 8

        Text {
            text: qsTr("Beenden?")
            font.pixelSize: Theme.caption
            font.weight: Font.Medium
            color: Theme.primary
        }
        Item {
            Layout.fillWidth: true
        }
        PlainButton {
            objectName: "quitYesButton"
            leftPadding: 8
            rightPadding: 8
            topPadding: 4
            bottomPadding: 4
            onClicked: root.confirmClicked()
            contentItem: Text {
                text: qsTr("Ja")
                font.pixelSize: Theme.caption
                font.weight: Font.DemiBold
                color: Theme.red
            }
        }
        PlainButton {
            objectName: "quitNoButton"
            leftPadding: 8
            rightPadding: 8
            topPadding: 4
            bottomPadding: 4
            onClicked: root.cancelClicked()
            contentItem: Text {
                text: qsTr("Nein")
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
        }
    }
}
