// The sort-mode row of one status item: up and down arrows, picture and name.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root

    required property int index
    required property int itemCount
    required property string displayName
    required property var menuBarIcon
    required property var appIcon
    required property bool hasMenuBarIcon
    required property bool hasAppIcon

    readonly property bool canMoveUp: index > 0
    readonly property bool canMoveDown: index < itemCount - 1

    signal moveUpClicked()
    signal moveDownClicked()

    implicitHeight: row.implicitHeight + 12

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: Theme.opacity(Theme.orange, 0.06)
        border.width: 1
        border.color: Theme.opacity(Theme.orange, 0.15)
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 8

        IconButton {
            objectName: "upButton"
            symbol: "chevron.up"
            symbolSize: Theme.caption
            symbolWeight: Font.Bold
            symbolColor: root.canMoveUp ? Theme.blue : Theme.opacity(Theme.secondary, 0.3)
            enabled: root.canMoveUp
            onClicked: root.moveUpClicked()
        }
        IconButton {
            objectName: "downButton"
            symbol: "chevron.down"
            symbolSize: Theme.caption
            symbolWeight: Font.Bold
            symbolColor: root.canMoveDown ? Theme.blue : Theme.opacity(Theme.secondary, 0.3)
            enabled: root.canMoveDown
            onClicked: root.moveDownClicked()
        }
        ItemIcon {
            objectName: "rowIcon"
            menuBarIcon: root.menuBarIcon
            appIcon: root.appIcon
            hasMenuBarIcon: root.hasMenuBarIcon
            hasAppIcon: root.hasAppIcon
            captureSize: 18
            symbolFrame: 18
            symbolSize: 14
        }
        Text {
            objectName: "rowTitle"
            Layout.fillWidth: true
            Layout.minimumWidth: 0
            text: root.displayName
            textFormat: Text.PlainText
            font.pixelSize: Theme.subheadline
            font.weight: Font.Medium
            color: Theme.primary
            maximumLineCount: 1
            elide: Text.ElideRight
        }
    }
}
