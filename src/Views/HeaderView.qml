// The main page's header: the program's icon and name, then the refresh, sort,
// settings, help and about buttons.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

RowLayout {
    id: root

    required property bool isEditMode

    signal refreshClicked()
    signal sortClicked()
    signal settingsClicked()
    signal helpClicked()
    signal aboutClicked()

    spacing: Theme.standardSpacing

    SymbolImage {
        objectName: "programIcon"
        name: "square.grid.3x3.square"
        size: Theme.title3
        color: Theme.teal
        endColor: Theme.indigo
        startPoint: Theme.topLeading
        endPoint: Theme.bottomTrailing
    }
    GradientText {
        objectName: "programName"
        text: qsTr("Trayvane")
        font.pixelSize: Theme.title3
        font.bold: true
        color: Theme.teal
        endColor: Theme.indigo
        startPoint: Theme.leading
        endPoint: Theme.trailing
    }
    Item {
        Layout.fillWidth: true
    }
    IconButton {
        objectName: "refreshButton"
        symbol: "arrow.clockwise"
        onClicked: root.refreshClicked()
    }
    IconButton {
        objectName: "sortButton"
        symbol: root.isEditMode ? "checkmark.circle.fill" : "arrow.up.arrow.down"
        symbolColor: root.isEditMode ? Theme.green : Theme.secondary
        onClicked: root.sortClicked()
    }
    IconButton {
        objectName: "settingsButton"
        symbol: "gearshape"
        onClicked: root.settingsClicked()
    }
    IconButton {
        objectName: "helpButton"
        symbol: "questionmark.circle"
        onClicked: root.helpClicked()
    }
    IconButton {
        objectName: "aboutButton"
        symbol: "info.circle"
        onClicked: root.aboutClicked()
    }
}
