// The panel-height slider: a thin track filled in the accent colour up to a
// round handle.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Templates as T
import Trayvane

T.Slider {
    id: root

    property color tint: Theme.blue

    implicitWidth: 160
    implicitHeight: Math.max(implicitHandleHeight, implicitBackgroundHeight)
    snapMode: T.Slider.SnapAlways
    focusPolicy: Qt.NoFocus

    background: Rectangle {
        x: root.leftPadding
        y: root.topPadding + (root.availableHeight - height) / 2
        width: root.availableWidth
        height: 4
        radius: 2
        implicitWidth: 160
        implicitHeight: 4
        color: Theme.opacity(Theme.primary, 0.12)

        Rectangle {
            width: root.visualPosition * parent.width
            height: parent.height
            radius: parent.radius
            color: root.tint
        }
    }
    handle: Rectangle {
        x: root.leftPadding + root.visualPosition * (root.availableWidth - width)
        y: root.topPadding + (root.availableHeight - height) / 2
        implicitWidth: 16
        implicitHeight: 16
        radius: 8
        color: root.pressed ? Theme.windowBackground : Theme.white
        border.width: 0.5
        border.color: Theme.opacity(Theme.primary, 0.25)
    }
}
