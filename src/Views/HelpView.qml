// The help page's body: who had the idea, what the program does, how the
// permission is granted (again), how the panel is used, and a button that
// copies a plain-text version of all this. Scrolls when taller than the panel.
pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Trayvane

Flickable {
    id: root
    objectName: "helpView"

    // The application's MenuBarService; only used to open the permission
    // settings, never observed.
    required property QtObject service

    implicitWidth: Theme.panelWidth
    contentWidth: width
    contentHeight: page.implicitHeight + 2 * page.anchors.margins
    boundsBehavior: Flickable.StopAtBounds
    flickableDirection: Flickable.VerticalFlick
    clip: true

    // Every visit starts at the top, also when the panel keeps the page alive
    // between visits.
    onVisibleChanged: if (visible) contentY = 0

    T.ScrollBar.vertical: T.ScrollBar {
        id: scrollBar
        policy: T.ScrollBar.AsNeeded
        minimumSize: 0.1
        padding: 2
        implicitWidth: 10
        contentItem: Rectangle {
            implicitWidth: 6
            radius: 3
            color: Theme.opacity(Theme.primary, 0.35)
            // Shown whenever the page is taller than the panel.
            opacity: scrollBar.size < 1.0 ? 1 : 0
        }
    }

    ColumnLayout {
        id: page
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 16
        spacing: 20

        PageCard {
            id: ideaSection
            objectName: "ideaSection"
            Layout.fillWidth: true
            spacing: 10
            fill: Theme.opacity(Theme.yellow, 0.08)
            fillEnd: Theme.opacity(Theme.orange, 0.05)
            outline: Theme.opacity(Theme.orange, 0.15)

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                SymbolImage {
                    name: "lightbulb.fill"
                    size: 20
                    color: Theme.yellow
                    endColor: Theme.orange
                    startPoint: Theme.top
                    endPoint: Theme.bottom
                }
                ColumnLayout {
                    spacing: 2
                    Text {
                        text: qsTr("Idee")
                        font.pixelSize: Theme.subheadline
                        font.bold: true
                        color: Theme.primary
                    }
                    Text {
                        text: qsTr("Ilvo K.")
                        font.pixelSize: Theme.caption
                        color: Theme.secondary
                    }
                }
                Item {
                    Layout.fillWidth: true
                }
            }
            Text {
                Layout.fillWidth: true
                text: qsTr("\"Auf dem MacBook mit Notch verschwinden ständig Menüleisten-Icons. Man bräuchte eine App die alle Menü-Items sammelt und zugänglich macht.\"")
                font.pixelSize: Theme.caption
                font.italic: true
                color: Theme.secondary
                wrapMode: Text.Wrap
            }
        }

        Divider {
            Layout.fillWidth: true
        }

        ColumnLayout {
            id: featureSection
            objectName: "featureSection"
            Layout.fillWidth: true
            spacing: 12

            SectionTitle {
                title: qsTr("Features")
                icon: "star.fill"
                color: Theme.teal
            }
            FeatureItem {
                Layout.fillWidth: true
                icon: "eye"
                title: qsTr("Versteckte Menü-Items sichtbar machen")
                text: qsTr("Auf MacBooks mit Notch werden Menü-Items in der Menüleiste oft verdeckt. Trayvane zeigt alle Menü-Items an - auch die unsichtbaren.")
            }
            FeatureItem {
                Layout.fillWidth: true
                icon: "cursorarrow.click.2"
                title: qsTr("Menü-Items direkt anklicken")
                text: qsTr("Klicke ein Menü-Item in der Liste, um es zu aktivieren. Das funktioniert auch für Menü-Items, die hinter der Notch versteckt sind.")
            }
            FeatureItem {
                Layout.fillWidth: true
                icon: "arrow.up.arrow.down"
                title: qsTr("Reihenfolge anpassen")
                text: qsTr("Über den Sortier-Button (\u2191\u2193) in der Kopfzeile kannst du die Reihenfolge per Drag & Drop ändern. Die Sortierung wird gespeichert.")
            }
            FeatureItem {
                Layout.fillWidth: true
                icon: "eye.slash"
                title: qsTr("Ausgeblendete Menü-Items erkennen")
                text: qsTr("Menü-Items die von macOS nicht angezeigt werden (z.B. hinter der Notch) sind mit einem Auge-Symbol markiert.")
            }
            FeatureItem {
                Layout.fillWidth: true
                icon: "arrow.clockwise"
                title: qsTr("Automatische Aktualisierung")
                text: qsTr("Die Liste wird alle 3 Sekunden automatisch aktualisiert. Neue Apps mit Menü-Items erscheinen automatisch.")
            }
            FeatureItem {
                Layout.fillWidth: true
                icon: "power"
                title: qsTr("Autostart")
                text: qsTr("In den Einstellungen kann die App so konfiguriert werden, dass sie bei der Anmeldung automatisch startet.")
            }
        }

        Divider {
            Layout.fillWidth: true
        }

        ColumnLayout {
            id: permissionSection
            objectName: "permissionSection"
            Layout.fillWidth: true
            spacing: 12

            SectionTitle {
                title: qsTr("Einrichtung & Berechtigungen")
                icon: "lock.shield.fill"
                color: Theme.orange
            }
            Text {
                objectName: "permissionExplanation"
                Layout.fillWidth: true
                text: qsTr("Trayvane benötigt die Berechtigung \"Bedienungshilfen\" um Menü-Items erkennen und anklicken zu können.")
                font.pixelSize: Theme.caption
                color: Theme.secondary
                wrapMode: Text.Wrap
            }
            PageCard {
                objectName: "firstSetupBox"
                Layout.fillWidth: true

                Text {
                    text: qsTr("Ersteinrichtung")
                    font.pixelSize: Theme.caption
                    font.bold: true
                    color: Theme.primary
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "1."
                    text: qsTr("App starten - der Berechtigungsdialog erscheint automatisch")
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "2."
                    text: qsTr("\"Systemeinstellungen öffnen\" anklicken")
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "3."
                    text: qsTr("In Datenschutz & Sicherheit \u2192 Bedienungshilfen")
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "4."
                    text: qsTr("Trayvane in der Liste aktivieren (Toggle an)")
                }
            }
            PageCard {
                objectName: "afterUpdateBox"
                Layout.fillWidth: true
                fill: Theme.opacity(Theme.orange, 0.05)
                outline: Theme.opacity(Theme.orange, 0.15)

                RowLayout {
                    spacing: 4
                    SymbolImage {
                        name: "exclamationmark.triangle.fill"
                        size: Theme.caption
                        color: Theme.orange
                    }
                    Text {
                        text: qsTr("Nach einem App-Update")
                        font.pixelSize: Theme.caption
                        font.bold: true
                        color: Theme.primary
                    }
                }
                Text {
                    objectName: "afterUpdateExplanation"
                    Layout.fillWidth: true
                    text: qsTr("Wenn die App aktualisiert wird, ändert sich die Programmdatei. macOS erkennt die App dann nicht mehr und die Berechtigung muss neu vergeben werden.")
                    font.pixelSize: Theme.caption
                    color: Theme.secondary
                    wrapMode: Text.Wrap
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "1."
                    text: qsTr("Systemeinstellungen \u2192 Datenschutz & Sicherheit \u2192 Bedienungshilfen")
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "2."
                    text: qsTr("Trayvane mit dem Minus-Button (\u2013) entfernen")
                }
                StepItem {
                    Layout.fillWidth: true
                    number: "3."
                    text: qsTr("Mit dem Plus-Button (+) neu hinzufügen")
                }
                StepItem {
                    Layout.fillWidth: true
                    number: ""
                    text: qsTr("Oder: Toggle aus- und wieder einschalten")
                }
                Text {
                    objectName: "afterUpdateClosing"
                    Layout.fillWidth: true
                    text: qsTr("Die App prüft automatisch ob die Berechtigung vorhanden ist und zeigt einen Hinweis wenn nicht.")
                    font.pixelSize: Theme.caption
                    font.italic: true
                    color: Theme.secondary
                    wrapMode: Text.Wrap
                }
            }
            CapsuleButton {
                objectName: "openSettingsButton"
                Layout.fillWidth: true
                symbol: "gearshape"
                title: qsTr("Systemeinstellungen öffnen")
                startColor: Theme.blue
                spacing: 6
                onClicked: root.service.openAccessibilitySettings()
            }
        }

        Divider {
            Layout.fillWidth: true
        }

        ColumnLayout {
            id: usageSection
            objectName: "usageSection"
            Layout.fillWidth: true
            spacing: 12

            SectionTitle {
                title: qsTr("Bedienung")
                icon: "hand.tap.fill"
                color: Theme.indigo
            }
            PageCard {
                objectName: "usageBox"
                Layout.fillWidth: true

                UsageItem {
                    Layout.fillWidth: true
                    icon: "square.grid.3x3.square"
                    text: qsTr("Menüleisten-Icon anklicken um das Panel zu öffnen")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "cursorarrow.click.2"
                    text: qsTr("Menü-Item in der Liste anklicken um es zu aktivieren")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "arrow.up.arrow.down"
                    text: qsTr("Sortier-Modus: Reihenfolge per Drag & Drop ändern")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "checkmark.circle.fill"
                    text: qsTr("Sortierung bestätigen und speichern")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "arrow.clockwise"
                    text: qsTr("Manuell aktualisieren")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "gearshape"
                    text: qsTr("Einstellungen (Autostart, Fensterhöhe)")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "questionmark.circle"
                    text: qsTr("Diese Hilfe anzeigen")
                }
                UsageItem {
                    Layout.fillWidth: true
                    icon: "info.circle"
                    text: qsTr("Über Trayvane")
                }
            }
        }

        CapsuleButton {
            objectName: "copyButton"
            Layout.fillWidth: true
            symbol: "doc.on.doc"
            title: qsTr("Kopieren")
            startColor: Theme.teal
            spacing: 4
            onClicked: HelpCopy.copy()
        }
    }
}
