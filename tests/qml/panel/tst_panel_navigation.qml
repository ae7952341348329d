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
        compare(panel.height, data.idealHeight ? wrapper.implicitHeight : 400)
        // A changed height leaves a page with a height of its own alone.
        world.settings.windowHeight = 600
        compare(panel.height, data.idealHeight ? wrapper.implicitHeight : 600)

        mouseClick(child(wrapper, "backButton"))
        compare(panel.currentPage, "main")
        verify(child(panel, "mainView").visible)
        compare(panel.height, 600)
    }

    function test_windowHeight_data() {
        return [
            { tag: "above the slider range, unclamped", height: 1000 },
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
