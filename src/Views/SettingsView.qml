// The settings page's body: start at login, and the panel height with its
// reset. Every change takes effect at once; nothing is saved separately.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Trayvane

Item {
    id: root
    objectName: "settingsView"

    // The user settings (a UserSettings); its windowHeight is the panel's.
    required property QtObject settings
    // The platform's login item (a LoginItem).
    required property QtObject loginItem

    readonly property real defaultWindowHeight: 400
    readonly property real minimumWindowHeight: 300
    readonly property real maximumWindowHeight: 700
    readonly property real windowHeightStep: 20

    // The whole-number part of a height, then " px".
    function heightText(height) {
        return Math.trunc(height).toLocaleString(Qt.locale("C"), "f", 0) + " px"
    }

    // Every visit shows the login item's current state, also when the panel
    // keeps the page alive between visits.
    onVisibleChanged: if (visible) loginToggle.reload()

    implicitWidth: Theme.panelWidth
    implicitHeight: column.implicitHeight + 2 * column.anchors.margins

    LoginItemToggle {
        id: loginToggle
        loginItem: root.loginItem
    }

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 16
        spacing: 16

        PageCard {
            objectName: "loginCard"
            Layout.fillWidth: true

            SymbolLabel {
                symbol: "power"
                text: qsTr("Autostart")
                weight: Font.DemiBold
            }
            PlainButton {
                objectName: "launchAtLoginToggle"
                Layout.fillWidth: true
                topPadding: 4
                bottomPadding: 4
                onClicked: loginToggle.toggle()
                contentItem: RowLayout {
                    spacing: Theme.standardSpacing
                    Text {
                        text: qsTr("Bei Anmeldung starten")
                        font.pixelSize: Theme.subheadline
                        color: Theme.primary
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    SymbolImage {
                        objectName: "launchAtLoginMark"
                        name: loginToggle.launchAtLogin ? "checkmark.circle.fill" : "circle"
                        size: Theme.title3
                        color: loginToggle.launchAtLogin ? Theme.green : Theme.opacity(Theme.secondary, 0.4)
                    }
                }
            }
        }

        PageCard {
            objectName: "heightCard"
            Layout.fillWidth: true

            SymbolLabel {
                symbol: "arrow.up.and.down"
                text: qsTr("Fensterhöhe")
                weight: Font.DemiBold
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                SymbolImage {
                    name: "rectangle.compress.vertical"
                    size: Theme.caption
                    color: Theme.secondary
                }
                HeightSlider {
                    id: slider
                    objectName: "heightSlider"
                    Layout.fillWidth: true
                    from: root.minimumWindowHeight
                    to: root.maximumWindowHeight
                    stepSize: root.windowHeightStep
                    value: root.settings ? root.settings.windowHeight : root.defaultWindowHeight
                    // Written on every move, not only when the drag ends.
                    onMoved: root.settings.windowHeight = value
                }
                SymbolImage {
                    name: "rectangle.expand.vertical"
                    size: Theme.caption
                    color: Theme.secondary
                }
            }
            Text {
                objectName: "heightValue"
                text: root.heightText(root.settings ? root.settings.windowHeight : root.defaultWindowHeight)
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
        }

        PlainButton {
            objectName: "resetButton"
            Layout.fillWidth: true
            topPadding: 8
            bottomPadding: 8
            onClicked: root.settings.windowHeight = root.defaultWindowHeight
            contentItem: Item {
                implicitWidth: resetLabel.implicitWidth
                implicitHeight: resetLabel.implicitHeight
                RowLayout {
                    id: resetLabel
                    anchors.centerIn: parent
                    spacing: 4
                    SymbolImage {
                        name: "arrow.counterclockwise"
                        size: Theme.caption
                        color: Theme.secondary
                    }
                    Text {
                        text: qsTr("Zurücksetzen")
                        font.pixelSize: Theme.caption
                        font.weight: Font.Medium
                        color: Theme.secondary
                    }
                }
            }
        }

        // The flexible spacer at its standard minimum length.
        Item {
            Layout.fillHeight: true
            Layout.minimumHeight: Theme.standardSpacing
            implicitHeight: Theme.standardSpacing
        }
    }
}
