// A framed box of the secondary pages: its content in a column inset on all
// sides, on a rounded rectangle with a fill (flat or a gradient) and a thin
// outline.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root

    default property alias content: column.data
    property real spacing: 8
    property real padding: 12
    property real radius: 10
    property color fill: Theme.controlBackgroundColor
    // Another colour turns the fill into a gradient from `fill` to it.
    property color fillEnd: fill
    property point gradientStart: Theme.topLeading
    property point gradientEnd: Theme.bottomTrailing
    property color outline: Theme.opacity(Theme.primary, 0.06)
    property real outlineWidth: 1

    implicitWidth: column.implicitWidth + 2 * padding
    implicitHeight: column.implicitHeight + 2 * padding

    GradientRect {
        anchors.fill: parent
        radius: root.radius
        color: root.fill
        endColor: root.fillEnd
        startPoint: root.gradientStart
        endPoint: root.gradientEnd
        strokeColor: root.outline
        strokeWidth: root.outlineWidth
    }
    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: root.padding
        spacing: root.spacing
    }
}
