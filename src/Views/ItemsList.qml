// The list of status items: a title row with the counts, then the rows in a
// scrolling, lazily built list. Rows are keyed by item id through the model,
// so rescans keep rows and scroll position and swaps animate.
// Not ComponentBehavior: Bound: Qt 6.4 refuses to load a row component that is
// declared in a delegate through that delegate's Loader.
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Trayvane

ColumnLayout {
    id: root

    required property ItemListModel model
    required property bool isEditMode
    required property var hoveredItemId

    signal rowClicked(int row)
    signal rowHovered(string itemId, bool entered)
    signal moveUpClicked(int row)
    signal moveDownClicked(int row)

    spacing: 0

    function isHighlighted(itemId) {
        return root.hoveredItemId !== undefined && root.hoveredItemId !== null
                && root.model.sameText(root.hoveredItemId, itemId)
    }

    RowLayout {
        objectName: "titleRow"
        Layout.fillWidth: true
        Layout.leftMargin: 14
        Layout.rightMargin: 14
        Layout.topMargin: 10
        Layout.bottomMargin: 6
        spacing: Theme.standardSpacing

        Text {
            objectName: "listTitle"
            text: root.isEditMode ? qsTr("Reihenfolge ändern") : qsTr("Menü-Items")
            font.pixelSize: Theme.caption
            font.weight: Font.DemiBold
            color: root.isEditMode ? Theme.orange : Theme.secondary
        }
        RowLayout {
            objectName: "hiddenBadge"
            visible: !root.isEditMode && root.model.hiddenCount > 0
            spacing: 2
            SymbolImage {
                name: "eye.slash"
                size: 8
                color: Theme.orange
            }
            Text {
                objectName: "hiddenCountText"
                text: String(root.model.hiddenCount)
                font.pixelSize: Theme.caption2
                font.bold: true
                color: Theme.orange
            }
        }
        Item {
            Layout.fillWidth: true
        }
        Rectangle {
            objectName: "countBadge"
            implicitWidth: 22
            implicitHeight: 22
            radius: 11
            color: Theme.teal
            // Three digits and more are set smaller to stay inside the circle.
            Text {
                objectName: "countText"
                anchors.centerIn: parent
                width: 18
                height: parent.height
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                fontSizeMode: Text.HorizontalFit
                minimumPixelSize: 5
                text: String(root.model.count)
                font.pixelSize: Theme.caption
                font.bold: true
                color: Theme.white
            }
        }
    }

    ListView {
        id: list
        objectName: "itemsListView"
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        model: root.model
        spacing: 4
        topMargin: 4
        bottomMargin: 4
        boundsBehavior: Flickable.StopAtBounds
        reuseItems: false
        // Shown whenever the rows do not fit, like the platform's scroll indicator.
        ScrollBar.vertical: ScrollBar {
            objectName: "scrollIndicator"
            policy: ScrollBar.AlwaysOn
            padding: 2
            contentItem: Rectangle {
                visible: list.contentHeight > list.height
                implicitWidth: 5
                radius: 2.5
                color: Theme.opacity(Theme.secondary, 0.6)
            }
            background: Item {}
        }

        move: Transition {
            NumberAnimation { property: "y"; duration: Theme.defaultAnimationDuration; easing.type: Theme.defaultAnimationEasing }
        }
        moveDisplaced: Transition {
            NumberAnimation { property: "y"; duration: Theme.defaultAnimationDuration; easing.type: Theme.defaultAnimationEasing }
        }

        delegate: Item {
            id: cell

            required property int index
            required property string itemId
            required property string displayName
            required property string subtitle
            required property bool isHidden
            required property var menuBarIcon
            required property var appIcon
            required property bool hasMenuBarIcon
            required property bool hasAppIcon

            objectName: "row" + index
            x: 10
            width: ListView.view.width - 20
            implicitHeight: loader.implicitHeight
            height: implicitHeight

            Component {
                id: itemRow
                ItemRow {
                    objectName: "itemRow"
                    itemId: cell.itemId
                    displayName: cell.displayName
                    subtitle: cell.subtitle
                    isHidden: cell.isHidden
                    menuBarIcon: cell.menuBarIcon
                    appIcon: cell.appIcon
                    hasMenuBarIcon: cell.hasMenuBarIcon
                    hasAppIcon: cell.hasAppIcon
                    highlighted: root.isHighlighted(cell.itemId)
                    onClicked: root.rowClicked(cell.index)
                    onHoverChanged: entered => root.rowHovered(cell.itemId, entered)
                }
            }
            Component {
                id: editRow
                EditRow {
                    objectName: "editRow"
                    index: cell.index
                    itemCount: root.model.count
                    displayName: cell.displayName
                    menuBarIcon: cell.menuBarIcon
                    appIcon: cell.appIcon
                    hasMenuBarIcon: cell.hasMenuBarIcon
                    hasAppIcon: cell.hasAppIcon
                    onMoveUpClicked: root.moveUpClicked(cell.index)
                    onMoveDownClicked: root.moveDownClicked(cell.index)
                }
            }
            Loader {
                id: loader
                objectName: "rowLoader"
                // Set after the first row is built: rows built while scrolling
                // appear at once, only the sort toggle fades them in.
                property bool built: false
                width: cell.width
                sourceComponent: root.isEditMode ? editRow : itemRow
                onLoaded: {
                    if (built)
                        toggleFade.restart()
                    built = true
                }
            }
            NumberAnimation {
                id: toggleFade
                target: loader
                property: "opacity"
                from: 0
                to: 1
                duration: Theme.defaultAnimationDuration
                easing.type: Theme.defaultAnimationEasing
            }
        }
    }
}
