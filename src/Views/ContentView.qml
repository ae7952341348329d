// The panel: chooses one of four pages (settings, help, about, main), lays out
// the main page (header, middle content, quit area) and the secondary pages
// behind a back header. Holds the panel's view state for the whole run.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root

    // The application's one MenuBarService.
    required property QtObject service
    // The UserSettings holding "windowHeight".
    required property QtObject settings
    // The login item of the settings page; may be null.
    required property QtObject loginItem
    // What "Ja" does: the application's normal quit path. Tests replace it.
    property var quitAction: function() { Qt.quit() }

    // View state; nothing resets it when the panel closes.
    property bool showSettings: false
    property bool showAbout: false
    property bool showHelp: false
    property bool showQuitConfirm: false
    property bool isEditMode: false
    property var hoveredItemId: undefined

    readonly property real windowHeight: root.settings ? root.settings.windowHeight : 400
    // The page shown: settings, help and about are tested in that order.
    readonly property string currentPage: showSettings ? "settings" : showHelp ? "help" : showAbout ? "about" : "main"
    // What the main page's middle shows: the hint, the list or the empty state.
    readonly property string middleContent: !itemModel.trusted ? "hint"
                                            : itemModel.count > 0 ? "list" : "empty"
    readonly property real pageHeight: currentPage === "settings" ? settingsWrapper.implicitHeight
                                       : currentPage === "about" ? aboutWrapper.implicitHeight
                                       : windowHeight
    readonly property ItemListModel listModel: itemModel

    // Where windows can be see-through, the panel has rounded corners, an
    // outline and a soft shadow, drawn in a margin around it; elsewhere it
    // fills its window with square corners.
    property bool framed: DesktopLook.translucent
    readonly property real frameMargin: framed ? Theme.panelShadow : 0
    readonly property real panelRadius: framed ? Theme.panelRadius : 0

    implicitWidth: Theme.panelWidth + 2 * frameMargin
    implicitHeight: pageHeight + 2 * frameMargin

    ItemListModel {
        id: itemModel
        service: root.service
        // A closed panel does not follow each rescan.
        live: !root.Window.window || root.Window.window.visible
    }

    // Navigation, each with the default animation (the pages fade).
    function openSettings() { root.showSettings = true }
    function openHelp() { root.showHelp = true }
    function openAbout() { root.showAbout = true }

    // Sort button: toggle, then pause scanning on entry, or store the order and
    // resume scanning on exit.
    function toggleSortMode() {
        root.isEditMode = !root.isEditMode
        if (root.isEditMode) {
            root.service.pauseScan = true
        } else {
            root.service.saveOrder()
            root.service.pauseScan = false
        }
    }

    function rowClicked(row) {
        if (root.isEditMode)
            return
        itemModel.clickRow(row)
    }

    function rowHovered(itemId, entered) {
        if (root.isEditMode)
            return
        root.hoveredItemId = entered ? itemId : undefined
    }

    function moveUp(row) {
        if (row < 1)
            return
        itemModel.moveUp(row)
    }

    function moveDown(row) {
        itemModel.moveDown(row)
    }

    // A soft shadow: rings that fade outwards, a little lower than the panel.
    Repeater {
        model: root.framed ? Math.round(root.frameMargin) : 0
        Rectangle {
            required property int index
            readonly property real spread: index + 1
            x: panelFrame.x - spread
            y: panelFrame.y - spread + 2
            width: panelFrame.width + 2 * spread
            height: panelFrame.height + 2 * spread
            radius: root.panelRadius + spread
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(0, 0, 0, (Theme.dark ? 0.2 : 0.09) * Math.pow(1 - spread / (root.frameMargin + 1), 2))
        }
    }

    Rectangle {
        x: panelFrame.x
        y: panelFrame.y
        width: panelFrame.width
        height: panelFrame.height
        radius: root.panelRadius
        color: Theme.windowBackground
    }

    // The pages, cut off at the bottom of the panel.
    Item {
        id: panelFrame
        objectName: "panelFrame"
        x: root.frameMargin
        y: root.frameMargin
        width: Math.max(0, root.width - 2 * root.frameMargin)
        height: Math.max(0, root.height - 2 * root.frameMargin)
        clip: true
    }

    Rectangle {
        objectName: "panelOutline"
        visible: root.framed
        x: panelFrame.x - 0.5
        y: panelFrame.y - 0.5
        width: panelFrame.width + 1
        height: panelFrame.height + 1
        radius: root.panelRadius + 0.5
        color: "transparent"
        border.width: 1
        border.color: Theme.panelOutline
        z: 1
    }

    component Page: Item {
        id: page
        required property string name
        readonly property bool current: root.currentPage === page.name
        parent: panelFrame
        width: panelFrame.width
        opacity: current ? 1 : 0
        visible: opacity > 0
        enabled: current
        Behavior on opacity {
            NumberAnimation { duration: Theme.defaultAnimationDuration; easing.type: Theme.defaultAnimationEasing }
        }
    }

    Page {
        id: mainView
        objectName: "mainView"
        name: "main"
        height: root.windowHeight

        ColumnLayout {
            anchors.fill: parent
            spacing: 0

            HeaderView {
                objectName: "headerView"
                Layout.fillWidth: true
                Layout.leftMargin: 14
                Layout.rightMargin: 14
                Layout.topMargin: 10
                Layout.bottomMargin: 10
                isEditMode: root.isEditMode
                onRefreshClicked: root.service.scan()
                onSortClicked: root.toggleSortMode()
                onSettingsClicked: root.openSettings()
                onHelpClicked: root.openHelp()
                onAboutClicked: root.openAbout()
            }
            Divider {
                Layout.fillWidth: true
            }
            AccessibilityHint {
                objectName: "accessibilityHint"
                Layout.fillWidth: true
                visible: root.middleContent === "hint"
                onOpenSettingsClicked: root.service.openAccessibilitySettings()
            }
            ItemsList {
                objectName: "itemsList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                visible: root.middleContent === "list"
                model: itemModel
                isEditMode: root.isEditMode
                hoveredItemId: root.hoveredItemId
                onRowClicked: row => root.rowClicked(row)
                onRowHovered: (itemId, entered) => root.rowHovered(itemId, entered)
                onMoveUpClicked: row => root.moveUp(row)
                onMoveDownClicked: row => root.moveDown(row)
            }
            EmptyView {
                objectName: "emptyView"
                Layout.fillWidth: true
                visible: root.middleContent === "empty"
            }
            Item {
                // Takes the height left over, so the quit area sits at the bottom.
                Layout.fillHeight: true
                visible: root.middleContent !== "list"
            }
            Divider {
                Layout.fillWidth: true
            }
            QuitButton {
                objectName: "quitArea"
                Layout.fillWidth: true
                showQuitConfirm: root.showQuitConfirm
                onQuitClicked: root.showQuitConfirm = true
                onConfirmClicked: root.quitAction()
                onCancelClicked: root.showQuitConfirm = false
            }
        }
    }

    component SecondaryPage: Page {
        id: secondary
        required property string title
        default property alias body: bodyHolder.data
        property alias bodyHolder: bodyHolder
        signal backClicked()
        implicitHeight: column.implicitHeight

        ColumnLayout {
            id: column
            anchors.fill: parent
            spacing: 0
            BackHeader {
                Layout.fillWidth: true
                Layout.leftMargin: 14
                Layout.rightMargin: 14
                Layout.topMargin: 10
                Layout.bottomMargin: 10
                title: secondary.title
                onBackClicked: secondary.backClicked()
            }
            Divider {
                Layout.fillWidth: true
            }
            Item {
                id: bodyHolder
                Layout.fillWidth: true
                Layout.fillHeight: true
                implicitHeight: children.length > 0 ? children[0].implicitHeight : 0
            }
        }
    }

    SecondaryPage {
        id: settingsWrapper
        objectName: "settingsWrapper"
        name: "settings"
        title: "Einstellungen"
        height: implicitHeight
        onBackClicked: root.showSettings = false
        SettingsView {
            width: parent.width
            settings: root.settings
            loginItem: root.loginItem
        }
    }

    SecondaryPage {
        id: helpWrapper
        objectName: "helpWrapper"
        name: "help"
        title: "Hilfe & Features"
        height: root.windowHeight
        onBackClicked: root.showHelp = false
        HelpView {
            anchors.fill: parent
            service: root.service
        }
    }

    SecondaryPage {
        id: aboutWrapper
        objectName: "aboutWrapper"
        name: "about"
        title: "About"
        height: implicitHeight
        onBackClicked: root.showAbout = false
        AboutView {
            width: parent.width
        }
    }
}
