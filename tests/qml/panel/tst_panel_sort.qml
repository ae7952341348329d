// Sort mode's wiring: the toggle, the arrows, swaps reaching the service, the
// order stored once on leaving, and rescans held off meanwhile.
import QtQuick
import QtTest
import Trayvane

PanelTestCase {
    name: "PanelSort"

    function test_toggleAndArrows() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const sort = child(panel, "sortButton")
        compare(sort.symbol, "arrow.up.arrow.down")
        mouseClick(sort)
        verify(panel.isEditMode)
        compare(sort.symbol, "checkmark.circle.fill")
        sameColor(sort.symbolColor, Theme.green)
        const dim = Theme.opacity(Theme.secondary, 0.3)
        for (let i = 0; i < 3; ++i) {
            const up = child(rowView(panel, i), "upButton")
            const down = child(rowView(panel, i), "downButton")
            compare(up.enabled, i > 0, "up " + i)
            compare(down.enabled, i < 2, "down " + i)
            sameColor(up.symbolColor, i > 0 ? Theme.blue : dim, "up colour " + i)
            sameColor(down.symbolColor, i < 2 ? Theme.blue : dim, "down colour " + i)
        }
        mouseClick(sort)
        verify(!panel.isEditMode)
        compare(sort.symbol, "arrow.up.arrow.down")
    }

    function test_swapsAndStoresOnceOnLeaving() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const saved = ["org.example.alpha:A", "org.example.beta:B", "org.example.gamma:C"]
        compare(world.orderFileKeys(), saved)
        const savesBefore = world.orderSaves

        mouseClick(child(panel, "sortButton"))
        verify(world.pauseScan)
        mouseClick(child(rowView(panel, 0), "downButton"))
        compare(world.itemNames(), ["B", "A", "C"])
        compare(child(rowView(panel, 0), "rowTitle").text, "B")
        mouseClick(child(rowView(panel, 1), "upButton"))
        mouseClick(child(rowView(panel, 2), "upButton"))
        panel.moveUp(0) // arrows at the ends do nothing
        panel.moveDown(2)
        compare(world.itemNames(), ["A", "C", "B"])
        compare(world.orderSaves, savesBefore)
        compare(world.orderFileKeys(), saved)

        mouseClick(child(panel, "sortButton"))
        compare(world.orderSaves, savesBefore + 1)
        verify(!world.pauseScan)
        compare(world.orderFileKeys(), ["org.example.alpha:A", "org.example.gamma:C", "org.example.beta:B"])
        // Leaving without a swap stores too.
        mouseClick(child(panel, "sortButton"))
        mouseClick(child(panel, "sortButton"))
        compare(world.orderSaves, savesBefore + 2)
    }

    // While sorting, neither the timer nor the refresh button changes the list;
    // it catches up at the first scan after sort mode ends.
    function test_rescansHeldOffWhileSorting() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        mouseClick(child(panel, "sortButton"))
        world.removeApp("Beta")
        world.addApp("Delta", "org.example.delta", [entry("D", 50)], false)
        world.tick()
        mouseClick(child(panel, "refreshButton"))
        compare(world.itemNames(), ["A", "B", "C"])
        compare(child(panel, "countText").text, "3")

        mouseClick(child(panel, "sortButton"))
        compare(world.itemNames(), ["A", "B", "C"])
        world.tick()
        compare(world.itemNames(), ["A", "C", "D"])
        compare(child(rowView(panel, 2), "rowTitle").text, "D")
    }
}
