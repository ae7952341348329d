// The about page: the disclaimer's language picker, German again on every
// opening, and the maker's link.
import QtQuick
import QtTest
import Trayvane
import PagesTest

TestCase {
    id: testCase

    name: "AboutView"
    width: 360
    height: 700
    when: windowShown
    // A TestCase is hidden by default; pages inside it must be visible to be clicked.
    visible: true

    Component {
        id: pageComponent
        AboutView {}
    }

    function openPage(width) {
        const page = createTemporaryObject(pageComponent, testCase, { width: width || 360 })
        verify(page)
        page.height = Qt.binding(() => page.implicitHeight)
        waitForRendering(page)
        return page
    }

    function part(page, name) {
        const item = findChild(page, name)
        verify(item, name)
        return item
    }

    function expectLanguage(page, language) {
        compare(page.disclaimerLanguage, language)
        compare(part(page, "disclaimerTitle").text, language.title)
        compare(part(page, "disclaimerText").text, language.text)
        for (const other of DisclaimerLanguage.allCases)
            compare(part(page, "segment_" + other.rawValue).isSelected, other === language, other.rawValue)
    }

    function test_languageSwitching() {
        const page = openPage()
        expectLanguage(page, DisclaimerLanguage.deutsch)
        verify(part(page, "disclaimerText").text.startsWith("Diese Software wird ohne jegliche Gewährleistung"))

        mouseClick(part(page, "segment_English"))
        expectLanguage(page, DisclaimerLanguage.english)
        verify(part(page, "disclaimerText").text.includes("provided \"as is\""))

        // Choosing the selected segment again changes nothing.
        mouseClick(part(page, "segment_English"))
        expectLanguage(page, DisclaimerLanguage.english)

        mouseClick(part(page, "segment_Deutsch"))
        expectLanguage(page, DisclaimerLanguage.deutsch)
    }

    function test_reopeningStartsInGerman() {
        const first = openPage()
        mouseClick(part(first, "segment_English"))
        expectLanguage(first, DisclaimerLanguage.english)
        first.destroy()
        wait(0)

        expectLanguage(openPage(), DisclaimerLanguage.deutsch)

        // A panel that keeps the page between visits hides and shows it.
        const kept = openPage()
        mouseClick(part(kept, "segment_English"))
        kept.visible = false
        kept.visible = true
        expectLanguage(kept, DisclaimerLanguage.deutsch)
    }

    function test_makerLink() {
        const page = openPage()
        const label = part(page, "makerHost")
        const site = String(page.makerSite)
        compare(label.text, site.split("/")[2])

        const before = Support.openedUrls().length
        mouseClick(part(page, "makerLink"))
        compare(Support.openedUrls().length, before + 1)
        compare(Support.openedUrls()[before], site)
    }
}
