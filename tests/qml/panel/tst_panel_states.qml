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
            { tag: "permission missing, no items", trusted: false, items: false, shows: "accessibilityHint" },
            { tag: "permission present, no items", trusted: true, items: false, shows: "emptyView" },
            { tag: "permission present, items", trusted: true, items: true, shows: "itemsList" },
        ]
    }

    function test_middleContent(data) {
        const apps = data.items ? [["Alpha", [entry("A", 100)]]] : []
        const panel = makePanel(makeWorld(apps, data.trusted))
        for (const name of ["accessibilityHint", "emptyView", "itemsList"])
            compare(child(panel, name).visible, name === data.shows, name)
        // The quit area sits at the bottom whatever the middle shows.
        const quit = child(panel, "quitArea")
        compare(quit.mapToItem(panel, 0, 0).y + quit.height, panel.height)
    }

    // The hint stays until the service reports the permission at its next scan.
    function test_permissionGrantedWhileHintShown() {
        const world = makeWorld([["Alpha", [entry("A", 100)]]], false)
        const panel = makePanel(world)
        verify(child(panel, "accessibilityHint").visible)
        world.trusted = true
        verify(child(panel, "accessibilityHint").visible)
        world.tick()
        verify(!child(panel, "accessibilityHint").visible)
        verify(child(panel, "itemsList").visible)
    }

    function test_hintButtonOncePerClick() {
        const world = makeWorld([], false)
        const panel = makePanel(world)
        const button = child(child(panel, "accessibilityHint"), "openSettingsButton")
        mouseClick(button)
        const once = world.openedUrlCount
        verify(once > 0)
        mouseClick(button)
        mouseClick(button)
        compare(world.openedUrlCount, 3 * once)
        compare(panel.currentPage, "main")
    }

    function test_hintTexts() {
        const panel = makePanel(makeWorld([], false))
        const hint = child(panel, "accessibilityHint")
        const steps = findChildrenOfType(hint, "number")
        compare(steps.map(s => s.number), ["1.", "2.", "3.", "4."])
        compare(steps[2].text, "Trayvane entfernen (\u2013) und neu hinzufügen (+)")
    }

    function findChildrenOfType(item, property) {
        const found = []
        const visit = node => {
            for (let i = 0; i < node.children.length; ++i) {
                const c = node.children[i]
                if (c[property] !== undefined)
                    found.push(c)
                visit(c)
            }
        }
        visit(item)
        return found
    }

    function test_quitNeedsConfirmation() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        mouseClick(child(panel, "quitButton"))
        compare(quitCalls, 0)
        verify(panel.showQuitConfirm)
        verify(child(panel, "quitConfirmRow").visible)
        verify(!child(panel, "quitButton").visible)

        mouseClick(child(panel, "quitNoButton"))
        verify(!panel.showQuitConfirm)
        verify(child(panel, "quitButton").visible)
        compare(quitCalls, 0)
        compare(panel.currentPage, "main")
        verify(!panel.isEditMode)

        mouseClick(child(panel, "quitButton"))
        mouseClick(child(panel, "quitYesButton"))
        compare(quitCalls, 1)
    }

    // The whole padded line is the hit area, up to the 8-point margin.
    function test_quitHitArea() {
        const panel = makePanel(makeAbcWorld())
        const button = child(panel, "quitButton")
        mouseClick(button, 2, 2)
        verify(panel.showQuitConfirm)
        compare(quitCalls, 0)
    }
}
