// The help page's copy action: the fixed plain-text help and the clipboard
// write that puts it there.
#pragma once

#include <QObject>
#include <QString>
#include <QStringView>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

/// The help as plain text. Written for the clipboard on its own, not put
/// together from the page: it leaves out parts of the page on purpose.
inline constexpr QStringView helpCopyText =
    u"Trayvane - Hilfe & Features\n"
    u"\n"
    u"Idee: Ilvo K.\n"
    u"\"Auf dem MacBook mit Notch verschwinden ständig Menüleisten-Icons. Man bräuchte eine App die alle Menü-Items sammelt und zugänglich macht.\"\n"
    u"\n"
    u"FEATURES\n"
    u"• Versteckte Menü-Items sichtbar machen - Auf MacBooks mit Notch werden Menü-Items in der Menüleiste oft verdeckt. Trayvane zeigt alle Menü-Items an - auch die unsichtbaren.\n"
    u"• Menü-Items direkt anklicken - Klicke ein Menü-Item in der Liste, um es zu aktivieren. Das funktioniert auch für Menü-Items, die hinter der Notch versteckt sind.\n"
    u"• Reihenfolge anpassen - Über den Sortier-Button (↑↓) in der Kopfzeile kannst du die Reihenfolge per Drag & Drop ändern. Die Sortierung wird gespeichert.\n"
    u"• Ausgeblendete Menü-Items erkennen - Menü-Items die von macOS nicht angezeigt werden sind mit einem Auge-Symbol markiert.\n"
    u"• Automatische Aktualisierung - Die Liste wird alle 3 Sekunden automatisch aktualisiert. Neue Apps mit Menü-Items erscheinen automatisch.\n"
    u"• Autostart - In den Einstellungen kann die App so konfiguriert werden, dass sie bei der Anmeldung automatisch startet.\n"
    u"\n"
    u"EINRICHTUNG & BERECHTIGUNGEN\n"
    u"Ersteinrichtung:\n"
    u"1. App starten - der Berechtigungsdialog erscheint automatisch\n"
    u"2. \"Systemeinstellungen öffnen\" anklicken\n"
    u"3. In Datenschutz & Sicherheit → Bedienungshilfen\n"
    u"4. Trayvane in der Liste aktivieren (Toggle an)\n"
    u"\n"
    u"Nach einem App-Update:\n"
    u"1. Systemeinstellungen → Datenschutz & Sicherheit → Bedienungshilfen\n"
    u"2. Trayvane mit dem Minus-Button (–) entfernen\n"
    u"3. Mit dem Plus-Button (+) neu hinzufügen\n"
    u"Oder: Toggle aus- und wieder einschalten\n"
    u"\n"
    u"BEDIENUNG\n"
    u"• Menüleisten-Icon anklicken um das Panel zu öffnen\n"
    u"• Menü-Item in der Liste anklicken um es zu aktivieren\n"
    u"• Sortier-Modus: Reihenfolge per Drag & Drop ändern\n"
    u"• Sortierung bestätigen und speichern\n"
    u"• Manuell aktualisieren\n"
    u"• Einstellungen (Autostart, Fensterhöhe)";

class HelpCopy : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString helpCopyText READ helpCopyText CONSTANT FINAL)

public:
    explicit HelpCopy(QObject *parent = nullptr);

    QString helpCopyText() const { return Trayvane::helpCopyText.toString(); }

    /// Replaces everything on the clipboard, whatever its formats, with
    /// `helpCopyText` as plain text. Nothing is reported.
    Q_INVOKABLE void copy();
};

} // namespace Trayvane
