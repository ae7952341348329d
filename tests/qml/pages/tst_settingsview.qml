// The settings page's wiring: the stored height and its value text, the reset,
// the slider's values written at once, the page's own height, and the login
// toggle against scripted login items.
import QtQuick
import Trayvane
import TrayvaneTest
import "../support"

ViewTestCase {
    name: "SettingsView"

    Component {
        id: pageComponent
        SettingsView {}
    }

    function openPage(settings, loginItem) {
        return open(pageComponent, { settings: settings || Support.newUserSettings(),
                                     loginItem: loginItem || Support.newLoginItem(false), width: 360 })
    }

    // Which stored values count is the settings' rule; the page shows the one in
    // force, and the reset writes the default, also when it was in force already.
    function test_storedHeightAndReset_data() {
        return [
            { tag: "fraction is cut off", stored: 433.9, text: "433 px", slider: 433.9 },
            { tag: "above the range and off the steps stays unclamped", stored: 1234.5, text: "1234 px", slider: 700 },
            { tag: "taller than any screen", stored: 1e30, text: "400 px", slider: 400 },
            { tag: "nothing stored yet", stored: undefined, text: "400 px", slider: 400 },
        ]
    }

    function test_storedHeightAndReset(data) {
        const settings = Support.newUserSettings(data.stored)
        const page = openPage(settings)
        compare(child(page, "heightValue").text, data.text)
        fuzzyCompare(child(page, "heightSlider").value, data.slider, 1e-9)
        // Opening the page, also with a value outside the slider's range, writes nothing.
        compare(Support.storedHeight(settings), data.stored)

        mouseClick(child(page, "resetButton"))
        compare(settings.windowHeight, 400)
        compare(Support.storedHeight(settings), 400)
        compare(child(page, "heightValue").text, "400 px")
        compare(child(page, "heightSlider").value, 400)
    }

    function test_sliderWritesOnlyStepsAtOnce() {
        const settings = Support.newUserSettings()
        const page = openPage(settings)
        const slider = child(page, "heightSlider")
        const y = slider.height / 2
        const seen = {}
        const pageHeight = page.implicitHeight

        mousePress(slider, slider.width / 2, y)
        for (let x = -20; x <= slider.width + 20; x += 3) {
            mouseMove(slider, x, y)
            const height = settings.windowHeight
            verify((height - 300) % 20 === 0 && height >= 300 && height <= 700, "height " + height + " at x " + x)
            // Written while dragging, not only at the release.
            compare(Support.storedHeight(settings), height)
            compare(child(page, "heightValue").text, height + " px")
            seen[height] = true
        }
        mouseRelease(slider, slider.width + 20, y)

        // A sweep across the whole track meets every one of the 21 values.
        compare(Object.keys(seen).length, 21)
        compare(settings.windowHeight, 700)
        // The page keeps its own height whatever the panel's.
        compare(page.implicitHeight, pageHeight)
    }

    // The toggle's rules are the login toggle's; here a click reaches it, the
    // mark follows, and a page shown again reads the system's state afresh.
    function test_loginToggle() {
        const item = Support.newLoginItem(false)
        const page = openPage(null, item)
        const mark = child(page, "launchAtLoginMark")
        mouseClick(child(page, "launchAtLoginToggle"))
        compare(mark.name, "checkmark.circle.fill")
        compare(item.registerCalls(), 1)

        // Changed in the desktop's own settings while the page is open.
        item.setEnabled(false)
        compare(mark.name, "checkmark.circle.fill")
        compare(child(openPage(null, item), "launchAtLoginMark").name, "circle")
        // A panel that keeps the page between visits hides and shows it.
        page.visible = false
        page.visible = true
        compare(mark.name, "circle")
        compare(item.registerCalls() + item.unregisterCalls(), 1)
    }
}
