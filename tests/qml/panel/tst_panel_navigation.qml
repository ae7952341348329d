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
        compare(panel.width, 360)
        compare(panel.height, 400)
        // State of the main page that outlives the visit.
        mouseClick(child(panel, "quitButton"))
        mouseClick(child(panel, "sortButton"))
        panel.hoveredItemId = world.itemIds()[1]

        mouseClick(child(panel, data.button))
        compare(panel.currentPage, data.page)
        const wrapper = child(panel, data.wrapper)
        verify(wrapper.visible)
        verify(!child(panel, "mainView").visible)
        compare(child(wrapper, "pageTitle").text, data.title)
        compare(panel.height, data.idealHeight ? wrapper.implicitHeight : 400)
        // A changed height, here above the slider's range, leaves a page with
        // a height of its own alone.
        world.settings.windowHeight = 1000
        compare(panel.height, data.idealHeight ? wrapper.implicitHeight : 1000)

        mouseClick(child(wrapper, "backButton"))
        compare(panel.currentPage, "main")
        verify(child(panel, "mainView").visible)
        compare(panel.height, 1000)
        compare(child(panel, "mainView").height, 1000)
        verify(panel.showQuitConfirm && child(panel, "quitConfirmRow").visible)
        verify(panel.isEditMode && world.service.pauseScan)
        compare(panel.hoveredItemId, world.itemIds()[1])
    }

    // With rounded corners and a shadow the window is larger, the panel not.
    function test_framedWindow() {
        const world = makeAbcWorld()
        world.settings.windowHeight = 300
        const panel = makePanel(world)
        panel.framed = true
        const frame = child(panel, "panelFrame")
        compare(panel.width, 360 + 2 * Theme.panelShadow)
        compare(frame.width, 360)
        compare(panel.height, 300 + 2 * Theme.panelShadow)
        compare(frame.height, 300)
        compare(child(panel, "mainView").height, 300)
    }
}
