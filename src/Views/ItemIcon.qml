// An item's picture by the first rule that applies: the menu bar capture, the
// application icon, or the "app.dashed" symbol.
pragma ComponentBehavior: Bound
import QtQuick
import Trayvane

Item {
    id: root

    required property var menuBarIcon
    required property var appIcon
    required property bool hasMenuBarIcon
    required property bool hasAppIcon
    // Frame of the capture, of the application icon, and of the symbol.
    property real captureSize: 22
    property real appIconSize: 18
    property real symbolFrame: 22
    property real symbolSize: 16

    readonly property string shows: hasMenuBarIcon ? "capture" : hasAppIcon ? "appIcon" : "symbol"

    implicitWidth: shows === "capture" ? captureSize : shows === "appIcon" ? appIconSize : symbolFrame
    implicitHeight: implicitWidth

    ItemPicture {
        anchors.fill: parent
        visible: root.shows !== "symbol"
        image: root.shows === "capture" ? root.menuBarIcon : root.appIcon
    }
    SymbolImage {
        anchors.centerIn: parent
        visible: root.shows === "symbol"
        name: "app.dashed"
        size: root.symbolSize
        color: Theme.secondary
    }
}
