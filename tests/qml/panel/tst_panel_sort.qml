// Sort mode's wiring: the toggle and its arrows, the service paused meanwhile,
// the arrows' swaps reaching the service and the order stored on leaving. The
// order rules themselves are the service's.
import QtQuick
import QtTest
import Trayvane

PanelTestCase {
    name: "PanelSort"

    function test_sortMode() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const sort = child(panel, "sortButton")
        const savesBefore = world.orderSaves
        compare(sort.symbol, "arrow.up.arrow.down")
        mouseClick(sort)
        compare(sort.symbol, "checkmark.circle.fill")
        sameColor(sort.symbolColor, Theme.green)
        verify(world.service.pauseScan)
        const dim = Theme.opacity(Theme.secondary, 0.3)
        for (let i = 0; i < 3; ++i) {
            const up = child(rowView(panel, i), "upButton")
            const down = child(rowView(panel, i), "downButton")
            compare(up.enabled, i > 0, "up " + i)
            compare(down.enabled, i < 2, "down " + i)
            sameColor(up.symbolColor, i > 0 ? Theme.blue : dim, "up colour " + i)
            sameColor(down.symbolColor, i < 2 ? Theme.blue : dim, "down colour " + i)
        }

        mouseClick(child(rowView(panel, 0), "downButton"))
        compare(world.itemNames(), ["B", "A", "C"])
        compare(child(rowView(panel, 0), "rowTitle").text, "B")
        mouseClick(child(rowView(panel, 2), "upButton"))
        compare(world.itemNames(), ["B", "C", "A"])
        compare(world.orderSaves, savesBefore)

        mouseClick(sort)
        verify(!panel.isEditMode && !world.service.pauseScan)
        compare(sort.symbol, "arrow.up.arrow.down")
        compare(world.orderSaves, savesBefore + 1)
    }
}
