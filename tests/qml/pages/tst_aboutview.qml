// The about page: the disclaimer's languages and their rules, the picker,
// German again on every opening, the layout promises and the maker's link.
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

    function test_cases() {
        compare(DisclaimerLanguage.allCases.map(language => language.rawValue), ["Deutsch", "English"])
        compare(DisclaimerLanguage.allCases[0], DisclaimerLanguage.deutsch)
    }

    function test_fromRawValue_data() {
        return [
            { tag: "Deutsch", raw: "Deutsch", expected: DisclaimerLanguage.deutsch },
            { tag: "English", raw: "English", expected: DisclaimerLanguage.english },
            { tag: "case name deutsch", raw: "deutsch", expected: null },
            { tag: "upper case", raw: "ENGLISH", expected: null },
            { tag: "empty", raw: "", expected: null },
            { tag: "trailing space", raw: "Deutsch ", expected: null },
            { tag: "leading space", raw: " English", expected: null },
            { tag: "box title", raw: "Disclaimer", expected: null },
            { tag: "undefined", raw: undefined, expected: null },
        ]
    }

    function test_fromRawValue(data) {
        compare(DisclaimerLanguage.fromRawValue(data.raw), data.expected)
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

    function test_descriptionIsTwoCentredLines() {
        const description = part(openPage(), "description")
        compare(description.text.split("\n").length, 2)
        compare(description.lineCount, 2)
    }

    function test_narrowPageKeepsTitleWholeAndWrapsText_data() {
        return [
            { tag: "German", language: DisclaimerLanguage.deutsch },
            { tag: "English", language: DisclaimerLanguage.english },
        ]
    }

    function test_narrowPageKeepsTitleWholeAndWrapsText(data) {
        // Shown in the other language first, so that choosing this one redraws.
        const show = (page, language) => {
            page.disclaimerLanguage = DisclaimerLanguage.allCases.find(other => other !== language)
            page.disclaimerLanguage = language
            waitForRendering(page)
        }
        const wide = openPage(360)
        show(wide, data.language)
        const wideLines = part(wide, "disclaimerText").lineCount
        wide.destroy()

        const page = openPage(150)
        show(page, data.language)
        const title = part(page, "disclaimerTitle")
        compare(title.lineCount, 1)
        verify(!title.truncated)
        verify(title.width >= title.implicitWidth, "title " + title.width + " < " + title.implicitWidth)

        const text = part(page, "disclaimerText")
        verify(text.lineCount > wideLines, text.lineCount + " lines")
        verify(!text.truncated)
        const box = part(page, "disclaimerBox")
        const bottom = text.mapToItem(box, 0, text.height).y
        verify(bottom <= box.height, "text ends at " + bottom + " in a box " + box.height + " high")
        // The page grows with the box: nothing below it is cut off.
        verify(box.mapToItem(page, 0, box.height).y <= page.height)
    }

    function test_makerLink() {
        const page = openPage()
        const label = part(page, "makerHost")
        const site = String(page.makerSite)
        verify(site.startsWith("https://"))
        compare(label.text, site.split("/")[2])
        verify(label.text.endsWith(".example"))

        const before = Support.openedUrls().length
        mouseClick(part(page, "makerLink"))
        compare(Support.openedUrls().length, before + 1)
        compare(Support.openedUrls()[before], site)
    }
}
