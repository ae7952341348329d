// The middle of the main page (permission hint, empty state, list) and the
// quit area with its confirmation.
import QtQuick
import QtTest
import Trayvane

PanelTestCase {
    name: "PanelStates"

    function test_middleContent_data() {
        return [
            { tag: "permission missing, items present", trusted: false, items: true, shows: "accessibilityHint" },
            { tag: "permission present, no items", trusted: true, items: false, shows: "emptyView" },
            { tag: "permission present, items", trusted: true, items: true, shows: "itemsList" },
        ]
    }

    function test_middleContent(data) {
        const panel = makePanel(makeWorld(data.items ? [["Alpha", [entry("A", 100)]]] : [], data.trusted))
        for (const name of ["accessibilityHint", "emptyView", "itemsList"])
            compare(child(panel, name).visible, name === data.shows, name)
        // The quit area sits at the bottom whatever the middle shows.
        const quit = child(panel, "quitArea")
        compare(quit.mapToItem(panel, 0, 0).y + quit.height, panel.height)
    }

    // Each click of the hint's button asks once; the hint stays until the
    // service reports the permission at its next scan.
    function test_permissionHint() {
        const world = makeWorld([["Alpha", [entry("A", 100)]]], false)
        const panel = makePanel(world)
        const button = child(child(panel, "accessibilityHint"), "openSettingsButton")
        mouseClick(button)
        const once = world.openedUrlCount
        verify(once > 0)
        mouseClick(button)
        compare(world.openedUrlCount, 2 * once)
        world.trusted = true
        verify(child(panel, "accessibilityHint").visible)
        world.tick()
        verify(!child(panel, "accessibilityHint").visible)
        verify(child(panel, "itemsList").visible)
    }

    function test_quitNeedsConfirmation() {
        const panel = makePanel(makeAbcWorld())
        quitCalls = 0
        mouseClick(child(panel, "quitButton"), 2, 2) // the whole padded line is the hit area
        verify(panel.showQuitConfirm)
        verify(child(panel, "quitConfirmRow").visible)
        verify(!child(panel, "quitButton").visible)
        mouseClick(child(panel, "quitNoButton"))
        verify(!panel.showQuitConfirm)
        verify(child(panel, "quitButton").visible)
        compare(quitCalls, 0)
        mouseClick(child(panel, "quitButton"))
        mouseClick(child(panel, "quitYesButton"))
        compare(quitCalls, 1)
    }
}
