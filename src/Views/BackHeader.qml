// The header of a secondary page: "Zurück" on the leading side, the page's
// title centred, and a filler that balances the back button.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property string title

    signal backClicked()

    spacing: Theme.standardSpacing

    PlainButton {
        objectName: "backButton"
        topPadding: 4
        bottomPadding: 4
        rightPadding: 4
        onClicked: root.backClicked()
        contentItem: RowLayout {
            spacing: 4
            SymbolImage {
                name: "chevron.left"
                size: Theme.caption
                weight: Font.DemiBold
                color: Theme.blue
            }
            Text {
                text: qsTr("Zurück")
                font.pixelSize: Theme.subheadline
                color: Theme.blue
            }
        }
    }
    Item {
        Layout.fillWidth: true
    }
    Text {
        objectName: "pageTitle"
        text: root.title
        font.pixelSize: Theme.subheadline
        font.weight: Font.DemiBold
        color: Theme.primary
    }
    Item {
        Layout.fillWidth: true
    }
    Item {
        implicitWidth: 60
        implicitHeight: 1
    }
}
