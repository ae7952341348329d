// A full-width button of the help page: white symbol and title on a capsule
// that runs from the start colour to indigo.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

PlainButton {
    id: root

    required property string symbol
    required property string title
    required property color startColor
    // Between the symbol and the title (AbstractButton.spacing).
    spacing: 4

    topPadding: 8
    bottomPadding: 8

    background: GradientRect {
        radius: -1
        color: root.startColor
        endColor: Theme.indigo
        startPoint: Theme.leading
        endPoint: Theme.trailing
    }
    contentItem: Item {
        implicitWidth: label.implicitWidth
        implicitHeight: label.implicitHeight
        RowLayout {
            id: label
            anchors.centerIn: parent
            spacing: root.spacing
            SymbolImage {
                name: root.symbol
                size: Theme.caption
                color: Theme.white
            }
            Text {
                text: root.title
                font.pixelSize: Theme.caption
                font.weight: Font.Medium
                color: Theme.white
            }
        }
    }
}
