// The help page: the copy action on the clipboard, the settings button, the
// places where the copied text differs from the page, and the reset to the top.
import QtQuick
import Trayvane
import TrayvaneTest
import "../support"

ViewTestCase {
    id: testCase
    name: "HelpView"

    Component {
        id: pageComponent
        HelpView {}
    }

    Component {
        id: serviceComponent
        // Stands in for the MenuBarService: counts the one call the page makes.
        QtObject {
            property int settingsOpened: 0
            function openAccessibilitySettings() { settingsOpened += 1 }
        }
    }

    function openPage() {
        return open(pageComponent, { service: createTemporaryObject(serviceComponent, testCase), width: 360, height: 400 })
    }

    // Every item under `item` with this objectName, in page order.
    function all(item, name) {
        return Array.prototype.reduce.call(item.children, (found, child) =>
            found.concat(child.objectName === name ? [child] : [], all(child, name)), [])
    }

    function texts(item, name) { return all(item, name).map(found => found.text) }

    // The lines of the copied text between a heading line and the next blank line.
    function copyBlock(heading) {
        const lines = HelpCopy.helpCopyText.split("\n")
        const start = lines.indexOf(heading)
        verify(start >= 0, heading)
        const end = lines.indexOf("", start)
        return lines.slice(start + 1, end < 0 ? lines.length : end)
    }

    function test_copySettingsAndReopening() {
        const page = openPage()
        Support.fillClipboard()
        verify(Support.clipboardFormats().length > 1)
        page.contentY = page.contentHeight - page.height
        mouseClick(child(page, "copyButton"))
        compare(Support.clipboardFormats(), ["text/plain"])
        compare(Support.clipboardText(), HelpCopy.helpCopyText)
        compare(page.service.settingsOpened, 0)

        // A panel that keeps the page between visits shows it from the top again.
        verify(page.contentY > 0)
        page.visible = false
        page.visible = true
        compare(page.contentY, 0)

        // The settings button asks the service.
        const button = child(page, "openSettingsButton")
        page.contentY = button.mapToItem(page.contentItem, 0, 0).y - 20
        mouseClick(button)
        compare(page.service.settingsOpened, 1)
    }

    function test_copyTextDiffersFromPageOnlyWhereIntended() {
        const page = openPage()
        const copy = HelpCopy.helpCopyText

        // Features: the same titles and texts, except for the notch remark.
        const titles = texts(page, "featureTitle")
        const featureTexts = texts(page, "featureText")
        compare(titles.length, 6)
        compare(featureTexts.filter(text => text.includes(" (z.B. hinter der Notch)")).length, 1)
        verify(!copy.includes("(z.B. hinter der Notch)"))
        compare(copyBlock("FEATURES"), titles.map((title, i) =>
            "\u2022 " + title + " - " + featureTexts[i].replace(" (z.B. hinter der Notch)", "")))

        // Steps: the same texts; the empty number leaves no prefix.
        const stepRows = box => all(child(page, box), "stepText").map(text =>
            (text.parent.children[0].text ? text.parent.children[0].text + " " : "") + text.text)
        compare(copyBlock("Ersteinrichtung:"), stepRows("firstSetupBox"))
        compare(copyBlock("Nach einem App-Update:"), stepRows("afterUpdateBox"))

        // Usage: six bullets, without the help and about rows.
        const usage = texts(page, "usageText")
        compare(usage.length, 8)
        compare(copyBlock("BEDIENUNG"), usage.slice(0, 6).map(text => "\u2022 " + text))
        verify(!copy.includes(usage[6]) && !copy.includes(usage[7]), "help and about rows copied")
    }
}
