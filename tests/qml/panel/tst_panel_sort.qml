// Sort mode end to end: the toggle's order of effects, the arrows, swaps, the
// order file written once on leaving, and rescans held off meanwhile.
import QtQuick
import QtTest
import Trayvane

PanelTestCase {
    name: "PanelSort"

    function test_toggleLook() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const sort = child(panel, "sortButton")
        compare(sort.symbol, "arrow.up.arrow.down")
        sameColor(sort.symbolColor, Theme.secondary)
        mouseClick(sort)
        verify(panel.isEditMode)
        compare(sort.symbol, "checkmark.circle.fill")
        sameColor(sort.symbolColor, Theme.green)
        compare(child(rowView(panel, 0), "upButton").objectName, "upButton")
        mouseClick(sort)
        verify(!panel.isEditMode)
        compare(sort.symbol, "arrow.up.arrow.down")
    }

    function test_arrowsEnabledByPosition_data() {
        return [
            { tag: "one item", count: 1 },
            { tag: "three items", count: 3 },
            { tag: "five items", count: 5 },
        ]
    }

    function test_arrowsEnabledByPosition(data) {
        const items = []
        for (let i = 0; i < data.count; ++i)
            items.push(entry("Item " + i, 100 + 50 * i))
        const panel = makePanel(makeWorld([["Alpha", items]]))
        mouseClick(child(panel, "sortButton"))
        const dim = Theme.opacity(Theme.secondary, 0.3)
        for (let i = 0; i < data.count; ++i) {
            const row = rowView(panel, i)
            const up = child(row, "upButton")
            const down = child(row, "downButton")
            compare(up.enabled, i > 0, "up " + i)
            compare(down.enabled, i < data.count - 1, "down " + i)
            sameColor(up.symbolColor, i > 0 ? Theme.blue : dim, "up colour " + i)
            sameColor(down.symbolColor, i < data.count - 1 ? Theme.blue : dim, "down colour " + i)
        }
    }

    function test_swapsAndStoresOnceOnLeaving() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        compare(world.itemNames(), ["A", "B", "C"])
        compare(world.orderFileKeys(), ["org.example.alpha:A", "org.example.beta:B", "org.example.gamma:C"])
        const savesBefore = world.orderSaves

        mouseClick(child(panel, "sortButton"))
        verify(world.pauseScan)
        mouseClick(child(rowView(panel, 0), "downButton"))
        compare(world.itemNames(), ["B", "A", "C"])
        compare(child(rowView(panel, 0), "rowTitle").text, "B")
        mouseClick(child(rowView(panel, 1), "upButton"))
        compare(world.itemNames(), ["A", "B", "C"])
        mouseClick(child(rowView(panel, 2), "upButton"))
        compare(world.itemNames(), ["A", "C", "B"])
        // Arrows at the ends do nothing.
        panel.moveUp(0)
        panel.moveDown(2)
        compare(world.itemNames(), ["A", "C", "B"])

        // Nothing stored while sorting.
        compare(world.orderSaves, savesBefore)
        compare(world.orderFileKeys(), ["org.example.alpha:A", "org.example.beta:B", "org.example.gamma:C"])

        mouseClick(child(panel, "sortButton"))
        compare(world.orderSaves, savesBefore + 1)
        verify(!world.pauseScan)
        compare(world.orderedKeys(), ["org.example.alpha:A", "org.example.gamma:C", "org.example.beta:B"])
        compare(world.orderFileKeys(), world.orderedKeys())

        // The next scan keeps the user's order.
        world.tick()
        compare(world.itemNames(), ["A", "C", "B"])
    }

    function test_enterAndLeaveWithoutSwapStillSaves() {
        const world = makeAbcWorld()
        world.addApp("Delta", "org.example.delta", [entry("D", 50)], false)
        world.tick()
        compare(world.itemNames(), ["A", "B", "C", "D"]) // new item after the saved ones
        const savesBefore = world.orderSaves
        const panel = makePanel(world)
        mouseClick(child(panel, "sortButton"))
        mouseClick(child(panel, "sortButton"))
        compare(world.orderSaves, savesBefore + 1)
        compare(world.orderFileKeys(), ["org.example.alpha:A", "org.example.beta:B", "org.example.gamma:C",
                                        "org.example.delta:D"])
    }

    function test_emptyListStoresEmptyOrder() {
        const world = makeWorld([["Alpha", [entry("A", 100)]]], false)
        const panel = makePanel(world)
        verify(child(panel, "accessibilityHint").visible)
        mouseClick(child(panel, "sortButton"))
        verify(world.pauseScan)
        mouseClick(child(panel, "sortButton"))
        verify(!world.pauseScan)
        compare(world.orderedKeys(), [])
        verify(world.orderFileExists())
        compare(world.orderFileKeys(), [])
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
        compare(child(panel, "countText").text, "3")
        compare(child(rowView(panel, 2), "rowTitle").text, "D")
    }
}
