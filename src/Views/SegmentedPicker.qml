// A small segmented control: one segment per option, the selected one raised.
// Clicking a segment selects its option; the picker holds no state of its own.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Rectangle {
    id: root

    // The options, in order; `textOf` gives a segment's label.
    required property var options
    required property var selected
    property var textOf: function (option) { return String(option) }

    signal activated(var option)

    implicitWidth: segments.implicitWidth + 4
    implicitHeight: 18
    radius: 5
    color: Theme.opacity(Theme.primary, 0.08)

    RowLayout {
        id: segments
        anchors.fill: parent
        anchors.margins: 2
        spacing: 0

        Repeater {
            // By position, so that each segment holds the option itself and
            // `selected` can be compared by identity.
            model: root.options.length

            delegate: PlainButton {
                id: segment

                required property int index
                readonly property var option: root.options[index]
                readonly property bool isSelected: option === root.selected

                objectName: "segment_" + root.textOf(option)
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1 // equal widths
                leftPadding: 8
                rightPadding: 8
                onClicked: root.activated(option)
                background: Rectangle {
                    radius: 4
                    color: segment.isSelected ? (Theme.dark ? Theme.opacity(Theme.white, 0.25) : Theme.white) : "transparent"
                }
                contentItem: Text {
                    text: root.textOf(segment.option)
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    font.pixelSize: 9
                    font.weight: segment.isSelected ? Font.Medium : Font.Normal
                    color: Theme.primary
                }
            }
        }
    }
}
