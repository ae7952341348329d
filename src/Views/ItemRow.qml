// The normal row of one status item: picture, name, hidden mark, owner, and a
// click hint. A tap activates the item; hovering highlights the row.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

PlainButton {
    id: root

    required property string itemId
    required property string displayName
    required property string subtitle
    required property bool isHidden
    required property var menuBarIcon
    required property var appIcon
    required property bool hasMenuBarIcon
    required property bool hasAppIcon
    required property bool highlighted

    // Pointer entered (true) or left (false) the row.
    signal hoverChanged(bool entered)

    hoverEnabled: true
    leftPadding: 10
    rightPadding: 10
    topPadding: 6
    bottomPadding: 6
    onHoveredChanged: root.hoverChanged(root.hovered)

    background: Item {
        Rectangle {
            objectName: "rowBackground"
            anchors.fill: parent
            radius: 8
            color: root.highlighted ? Theme.opacity(Theme.blue, 0.08) : Theme.controlBackgroundColor
        }
        Rectangle {
            anchors.fill: parent
            radius: 8
            color: "transparent"
            border.width: 1
            border.color: Theme.opacity(Theme.primary, 0.04)
        }
    }

    contentItem: RowLayout {
        spacing: 10

        ItemIcon {
            objectName: "rowIcon"
            menuBarIcon: root.menuBarIcon
            appIcon: root.appIcon
            hasMenuBarIcon: root.hasMenuBarIcon
            hasAppIcon: root.hasAppIcon
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            // The name, then the hidden mark right after it: the name is
            // shortened when the line is narrower, so the mark stays visible.
            Item {
                id: titleLine
                readonly property real markRoom: hiddenMark.visible ? 4 + hiddenMark.implicitWidth : 0
                Layout.fillWidth: true
                Layout.minimumWidth: markRoom
                implicitWidth: title.implicitWidth + markRoom
                implicitHeight: Math.max(title.implicitHeight, hiddenMark.implicitHeight)
                Text {
                    id: title
                    objectName: "rowTitle"
                    anchors.verticalCenter: parent.verticalCenter
                    width: Math.max(0, Math.min(implicitWidth, titleLine.width - titleLine.markRoom))
                    text: root.displayName
                    textFormat: Text.PlainText
                    font.pixelSize: Theme.subheadline
                    font.weight: Font.Medium
                    color: Theme.primary
                    maximumLineCount: 1
                    elide: Text.ElideRight
                }
                SymbolImage {
                    id: hiddenMark
                    objectName: "hiddenMark"
                    anchors.verticalCenter: parent.verticalCenter
                    x: title.width + 4
                    visible: root.isHidden
                    name: "eye.slash"
                    size: 9
                    color: Theme.orange
                }
            }
            Text {
                objectName: "rowSubtitle"
                Layout.fillWidth: true
                visible: root.subtitle.length > 0
                text: root.subtitle
                textFormat: Text.PlainText
                font.pixelSize: Theme.caption2
                color: Theme.secondary
                maximumLineCount: 1
                elide: Text.ElideRight
            }
        }
        SymbolImage {
            objectName: "clickSymbol"
            name: "cursorarrow.click.2"
            size: Theme.caption2
            color: Theme.opacity(Theme.secondary, 0.4)
        }
    }
}
