// A header icon button: a symbol centred in a 28 × 28 square that is the hit area.
pragma ComponentBehavior: Bound
import QtQuick
import Trayvane

PlainButton {
    id: root

    required property string symbol
    property color symbolColor: Theme.secondary
    property real symbolSize: Theme.subheadline
    property int symbolWeight: Font.Normal

    implicitWidth: Theme.headerButtonSize
    implicitHeight: Theme.headerButtonSize
    contentItem: Item {
        SymbolImage {
            anchors.centerIn: parent
            name: root.symbol
            size: root.symbolSize
            color: root.symbolColor
            weight: root.symbolWeight
        }
    }
}
