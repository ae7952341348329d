// Page choice, page heights and the state that survives switching pages.
import QtQuick
import QtTest
import Trayvane

PanelTestCase {
    name: "PanelNavigation"

    function test_pages_data() {
        return [
            { tag: "settings button", button: "settingsButton", page: "settings", wrapper: "settingsWrapper", title: "Einstellungen", idealHeight: true },
            { tag: "help button", button: "helpButton", page: "help", wrapper: "helpWrapper", title: "Hilfe & Features", idealHeight: false },
            { tag: "about button", button: "aboutButton", page: "about", wrapper: "aboutWrapper", title: "About", idealHeight: true },
        ]
    }

    function test_pages(data) {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        compare(panel.currentPage, "main")
        compare(panel.height, 400)

        mouseClick(child(panel, data.button))
        compare(panel.currentPage, data.page)
        const wrapper = child(panel, data.wrapper)
        verify(wrapper.visible)
        verify(!child(panel, "mainView").visible)
        compare(child(wrapper, "pageTitle").text, data.title)
        if (data.idealHeight) {
            compare(panel.height, wrapper.implicitHeight)
            verify(panel.height > 0)
        } else {
            compare(panel.height, 400)
        }

        mouseClick(child(wrapper, "backButton"))
        compare(panel.currentPage, "main")
        verify(child(panel, "mainView").visible)
        compare(panel.height, 400)
        verify(!panel.showSettings && !panel.showHelp && !panel.showAbout)
    }

    // Settings, then help, then about: not the order of the fields.
    function test_pageOrder_data() {
        return [
            { tag: "help and about", flags: ["showHelp", "showAbout"], page: "help" },
            { tag: "settings and help", flags: ["showHelp", "showSettings"], page: "settings" },
            { tag: "all three", flags: ["showAbout", "showHelp", "showSettings"], page: "settings" },
            { tag: "about only", flags: ["showAbout"], page: "about" },
        ]
    }

    function test_pageOrder(data) {
        const panel = makePanel(makeAbcWorld())
        for (const flag of data.flags)
            panel[flag] = true
        compare(panel.currentPage, data.page)
    }

    function test_windowHeight_data() {
        return [
            { tag: "lowest slider value", height: 300 },
            { tag: "above the slider range, unclamped", height: 1000 },
            { tag: "below the slider range, unclamped", height: 120 },
            // With rounded corners and a shadow the window is larger, the panel not.
            { tag: "framed", height: 300, framed: true },
        ]
    }

    function test_windowHeight(data) {
        const world = makeAbcWorld()
        world.settings.windowHeight = data.height
        const panel = makePanel(world)
        panel.framed = data.framed === true
        const margin = data.framed ? Theme.panelShadow : 0
        const frame = child(panel, "panelFrame")
        compare(panel.width, 360 + 2 * margin)
        compare(frame.width, 360)
        compare(panel.height, data.height + 2 * margin)
        compare(frame.height, data.height)
        compare(child(panel, "mainView").height, data.height)
        panel.showHelp = true
        compare(frame.height, data.height)
        panel.showHelp = false
        panel.showAbout = true
        compare(frame.height, child(panel, "aboutWrapper").implicitHeight)
    }

    // Content taller than the panel is cut off at the bottom, not scrolled.
    function test_clipsAtTheBottom() {
        const world = makeWorld([["Alpha", [entry("A", 100)]]], false)
        world.settings.windowHeight = 300
        const panel = makePanel(world)
        verify(child(panel, "panelFrame").clip)
        compare(panel.height, 300)
        const hint = child(panel, "accessibilityHint")
        verify(hint.visible)
        verify(hint.implicitHeight > 0)
    }

    function test_heightChangeOnSettingsPageKeepsItsIdealHeight() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        panel.showSettings = true
        const ideal = panel.height
        world.settings.windowHeight = 600
        compare(panel.height, ideal)
        mouseClick(child(child(panel, "settingsWrapper"), "backButton"))
        compare(panel.height, 600)
    }

    function test_stateSurvivesPageSwitches() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        mouseClick(child(panel, "quitButton"))
        mouseClick(child(panel, "sortButton"))
        panel.hoveredItemId = world.itemIds()[1]

        for (const button of ["settingsButton", "helpButton", "aboutButton"]) {
            mouseClick(child(panel, button))
            const wrapper = child(panel, button.replace("Button", "Wrapper"))
            mouseClick(child(wrapper, "backButton"))
        }
        verify(panel.showQuitConfirm)
        verify(panel.isEditMode)
        verify(world.pauseScan)
        compare(panel.hoveredItemId, world.itemIds()[1])
        verify(child(panel, "quitConfirmRow").visible)
    }
}
