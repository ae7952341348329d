// A button without chrome: its padded content is the whole hit area.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Templates as T

T.AbstractButton {
    id: root

    padding: 0
    hoverEnabled: false
    focusPolicy: Qt.NoFocus
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    background: Item {}
    // No chrome, only a slight dimming while pressed shows that a press landed.
    opacity: pressed ? 0.7 : 1
}
