// The about page: the disclaimer's language picker, German again on every
// opening, and the maker's link.
import QtQuick
import Trayvane
import TrayvaneTest
import "../support"

ViewTestCase {
    name: "AboutView"

    Component {
        id: pageComponent
        AboutView {}
    }

    function openPage() { return open(pageComponent, { width: 360 }) }

    function expectLanguage(page, language) {
        compare(page.disclaimerLanguage, language)
        compare(child(page, "disclaimerTitle").text, language.title)
        compare(child(page, "disclaimerText").text, language.text)
        for (const other of DisclaimerLanguage.allCases)
            compare(child(page, "segment_" + other.rawValue).isSelected, other === language, other.rawValue)
    }

    function test_languageSwitching() {
        const page = openPage()
        expectLanguage(page, DisclaimerLanguage.deutsch)
        verify(child(page, "disclaimerText").text.startsWith("Diese Software wird ohne jegliche Gewährleistung"))

        mouseClick(child(page, "segment_English"))
        expectLanguage(page, DisclaimerLanguage.english)
        verify(child(page, "disclaimerText").text.includes("provided \"as is\""))
        // Choosing the selected segment again changes nothing.
        mouseClick(child(page, "segment_English"))
        expectLanguage(page, DisclaimerLanguage.english)
        mouseClick(child(page, "segment_Deutsch"))
        expectLanguage(page, DisclaimerLanguage.deutsch)

        // Every opening starts in German: a panel that keeps the page between
        // visits hides and shows it, another one opens a page of its own.
        mouseClick(child(page, "segment_English"))
        page.visible = false
        page.visible = true
        expectLanguage(page, DisclaimerLanguage.deutsch)
        mouseClick(child(page, "segment_English"))
        expectLanguage(openPage(), DisclaimerLanguage.deutsch)
    }

    function test_makerLink() {
        const page = openPage()
        const site = String(page.makerSite)
        compare(child(page, "makerHost").text, site.split("/")[2])
        const before = Support.openedUrls().length
        mouseClick(child(page, "makerLink"))
        compare(Support.openedUrls().slice(before), [site])
    }
}
