// The about page's body: icon, name and version, what the program is for, its
// author and maker with a link to the maker's site, and a disclaimer that can
// be read in German or English. Starts in German every time it is opened.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Window
import Trayvane

Item {
    id: root
    objectName: "aboutView"

    // The language the disclaimer is shown in; never stored.
    property var disclaimerLanguage: DisclaimerLanguage.deutsch

    readonly property url makerSite: "https://ferrowick.example/"
    // The site's host name, shown as the link's label.
    readonly property string makerHost: String(makerSite).replace(/^[a-z][a-z0-9+.-]*:\/\//i, "").replace(/[/?#].*$/, "")

    // Font sizes in fractional points, for the few places that need them
    // (pixel sizes are whole numbers).
    function pointSize(points) {
        const dotsPerPoint = Screen.logicalPixelDensity > 0 ? Screen.logicalPixelDensity * 25.4 / 72 : 96 / 72
        return points / dotsPerPoint
    }

    // Every visit starts in German, also when the panel keeps the page alive
    // between visits.
    onVisibleChanged: if (visible) disclaimerLanguage = DisclaimerLanguage.deutsch

    implicitWidth: Theme.panelWidth
    implicitHeight: column.implicitHeight + 2 * column.anchors.margins

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        Item {
            objectName: "appIcon"
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 64
            implicitHeight: 64
            GradientRect {
                anchors.fill: parent
                radius: -1
                color: Theme.opacity(Theme.teal, 0.15)
                endColor: Theme.opacity(Theme.indigo, 0.15)
                startPoint: Theme.topLeading
                endPoint: Theme.bottomTrailing
            }
            SymbolImage {
                anchors.centerIn: parent
                name: "square.grid.3x3.square"
                size: 28
                color: Theme.teal
                endColor: Theme.indigo
                startPoint: Theme.topLeading
                endPoint: Theme.bottomTrailing
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 2
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Trayvane")
                font.pixelSize: Theme.title3
                font.bold: true
                color: Theme.primary
            }
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("v1.1")
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
        }

        Text {
            objectName: "description"
            Layout.fillWidth: true
            text: qsTr("Menüleisten-Items gruppieren und zugreifen,\nauch hinter der Notch.")
            horizontalAlignment: Text.AlignHCenter
            font.pixelSize: Theme.caption
            color: Theme.secondary
            wrapMode: Text.Wrap
        }

        Divider {
            Layout.fillWidth: true
            Layout.leftMargin: 40
            Layout.rightMargin: 40
        }

        ColumnLayout {
            objectName: "makerBlock"
            Layout.alignment: Qt.AlignHCenter
            spacing: 4
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Tamsin Oddvar")
                font.pixelSize: Theme.subheadline
                font.weight: Font.Medium
                color: Theme.primary
            }
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Ferrowick Software")
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Kleine Werkzeuge für die Menüleiste")
                font.pixelSize: Theme.caption
                color: Theme.secondary
            }
        }

        PlainButton {
            id: makerLink
            objectName: "makerLink"
            Layout.alignment: Qt.AlignHCenter
            leftPadding: 12
            rightPadding: 12
            topPadding: 6
            bottomPadding: 6
            onClicked: Qt.openUrlExternally(root.makerSite)
            background: Rectangle {
                radius: height / 2
                color: Theme.opacity(Theme.blue, 0.1)
            }
            // The toolkit's link colour is the system blue.
            contentItem: RowLayout {
                spacing: 4
                SymbolImage {
                    name: "globe"
                    size: Theme.caption
                    color: Theme.blue
                }
                Text {
                    objectName: "makerHost"
                    text: root.makerHost
                    font.pixelSize: Theme.caption
                    color: Theme.blue
                }
            }
            HoverHandler {
                cursorShape: Qt.PointingHandCursor
            }
        }

        PageCard {
            objectName: "disclaimerBox"
            Layout.fillWidth: true
            padding: 10
            radius: 8
            fill: Theme.ultraThinMaterial
            outline: Theme.opacity(Theme.primary, 0.08)
            outlineWidth: 0.5

            RowLayout {
                Layout.fillWidth: true
                spacing: 4
                SymbolImage {
                    name: "shield.lefthalf.filled"
                    size: 10
                    color: Theme.orange
                }
                Text {
                    objectName: "disclaimerTitle"
                    // Never truncated: the row gives it its full width.
                    Layout.minimumWidth: implicitWidth
                    text: root.disclaimerLanguage.title
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    maximumLineCount: 1
                    color: Theme.primary
                }
                Item {
                    Layout.fillWidth: true
                }
            }
            SegmentedPicker {
                objectName: "languagePicker"
                Layout.fillWidth: true
                options: DisclaimerLanguage.allCases
                selected: root.disclaimerLanguage
                textOf: language => language.rawValue
                onActivated: option => root.disclaimerLanguage = option
            }
            Text {
                id: disclaimerText
                objectName: "disclaimerText"
                Layout.fillWidth: true
                text: root.disclaimerLanguage.text
                font.pointSize: root.pointSize(9.5)
                horizontalAlignment: Text.AlignLeft
                lineHeightMode: Text.FixedHeight
                lineHeight: disclaimerMetrics.height + 2
                color: Theme.secondary
                wrapMode: Text.Wrap

                FontMetrics {
                    id: disclaimerMetrics
                    font: disclaimerText.font
                }
            }
        }
    }
}
