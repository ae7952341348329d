// The item list: counts and badges, the icon rule of a row, long names and
// markup from other programs, taps, hovering, equal ids, the refresh button
// and the scroll position across rescans.
import QtQuick
import QtTest
import Trayvane

PanelTestCase {
    name: "PanelList"

    function test_titleRow_data() {
        return [
            { tag: "no hidden items", hidden: [false, false, false], sort: false, title: "Menü-Items", badge: false },
            { tag: "two of three hidden", hidden: [true, false, true], sort: false, title: "Menü-Items", badge: true },
            { tag: "sort mode hides the hidden badge", hidden: [true, false, true], sort: true, title: "Reihenfolge ändern", badge: false },
        ]
    }

    function test_titleRow(data) {
        const world = makeWorld([["Alpha", [entry("A", data.hidden[0] ? 0 : 100), entry("B", data.hidden[1] ? 0 : 200),
                                             entry("C", data.hidden[2] ? 0 : 300)]]])
        const panel = makePanel(world)
        if (data.sort)
            mouseClick(child(panel, "sortButton"))
        compare(child(panel, "listTitle").text, data.title)
        compare(child(panel, "hiddenBadge").visible, data.badge)
        if (data.badge)
            compare(child(panel, "hiddenCountText").text, "2")
        compare(child(panel, "countText").text, "3")
        const names = world.itemNames()
        for (let i = 0; i < 3 && !data.sort; ++i)
            compare(child(rowView(panel, i), "hiddenMark").visible, data.hidden["ABC".indexOf(names[i])], names[i])
    }

    // Capture at 22, else the application icon at 18, else "app.dashed" in 22;
    // the edit row uses 18 for all three.
    function test_iconRule_data() {
        return [
            { tag: "capture and app icon", capture: true, icon: true, shows: "capture", size: 22 },
            { tag: "app icon only", capture: false, icon: true, shows: "appIcon", size: 18 },
            { tag: "neither", capture: false, icon: false, shows: "symbol", size: 22 },
        ]
    }

    function test_iconRule(data) {
        const panel = makePanel(makeWorld([["Alpha", [entry("A", 100, data.capture)], data.icon]]))
        for (const size of [data.size, 18]) {
            const icon = child(rowView(panel, 0), "rowIcon")
            compare(icon.shows, data.shows)
            compare(icon.width, size)
            mouseClick(child(panel, "sortButton")) // the edit row next
        }
    }

    // Names and owners come from other programs: a name far wider than the row
    // is shortened with the markers inside the row, and markup is shown as its
    // own characters and never loads anything.
    function test_foreignNames_data() {
        return [
            { tag: "long", name: "Ein sehr langer Name eines Status-Items, der nie in eine Zeile passt ".repeat(3) },
            { tag: "picture", name: "<img src=\"file:///etc/hostname\" width=300 height=60>" },
            { tag: "entity", name: "&lt;i&gt; &amp;" },
        ]
    }

    function test_foreignNames(data) {
        const row = rowView(makePanel(makeWorld([["<i>Owner</i> ".repeat(20), [entry(data.name, 0)]]])), 0)
        const title = child(row, "rowTitle")
        compare(title.text, data.name)
        compare(title.textFormat, Text.PlainText)
        compare(child(row, "rowSubtitle").textFormat, Text.PlainText)
        verify(title.implicitHeight < title.font.pixelSize * 2, "height " + title.implicitHeight)
        for (const name of ["rowTitle", "hiddenMark", "clickSymbol", "rowSubtitle"]) {
            const item = child(row, name)
            const left = item.mapToItem(row, 0, 0).x
            verify(item.visible && left >= 0 && left + item.width <= row.width - 10, name + " ends at "
                   + (left + item.width) + " in a row of " + row.width)
        }
    }

    function test_tapsActivateOnlyOutsideSortMode() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        mouseClick(rowView(panel, 1))
        // Anywhere on the row counts, the spacer included.
        const row = rowView(panel, 2)
        mouseClick(row, row.width - 40, row.height / 2)
        compare(world.pressedItems(), ["Beta/0", "Gamma/0"])
        verify(panel.currentPage === "main")
        mouseClick(child(panel, "sortButton"))
        const editRow = rowView(panel, 1)
        mouseClick(editRow, editRow.width - 20, editRow.height / 2)
        panel.rowClicked(1)
        compare(world.pressedItems().length, 2)
    }

    function test_hover() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const ids = world.itemIds()
        mouseMove(rowView(panel, 0))
        compare(panel.hoveredItemId, ids[0])
        // Entry of B reported before the exit of A: nothing stays highlighted.
        panel.rowHovered(ids[0], true)
        panel.rowHovered(ids[1], true)
        panel.rowHovered(ids[0], false)
        compare(panel.hoveredItemId, undefined)
        // Sort mode keeps the hover it found and ignores new ones.
        panel.rowHovered(ids[1], true)
        mouseClick(child(panel, "sortButton"))
        panel.rowHovered(ids[2], true)
        panel.rowHovered(ids[1], false)
        mouseClick(child(panel, "sortButton"))
        compare(panel.hoveredItemId, ids[1])
        for (let i = 0; i < 3; ++i)
            compare(rowView(panel, i).highlighted, i === 1)
    }

    // Same owner, same name, same x: one id, and both rows light up together;
    // a tap still reaches its own item.
    function test_equalIds() {
        const world = makeWorld([["Alpha", [entry("Uhr", 100), entry("Uhr", 100), entry("Mond", 200)]]])
        const panel = makePanel(world)
        const ids = world.itemIds()
        compare(ids[0], ids[1])
        panel.rowHovered(ids[0], true)
        for (let i = 0; i < 3; ++i)
            compare(rowView(panel, i).highlighted, i < 2)
        mouseClick(rowView(panel, 1))
        compare(world.pressedItems(), ["Alpha/1"])
    }

    // A long list scrolls with its indicator shown; the refresh button scans
    // at once, and rescans keep the rows and the scroll position.
    function test_rescansKeepRowsAndScrollPosition() {
        const items = []
        for (let i = 0; i < 14; ++i)
            items.push(entry("Item " + i, 100 + 40 * i))
        const world = makeWorld([["Alpha", items]])
        world.settings.windowHeight = 300
        const panel = makePanel(world)
        const list = child(panel, "itemsListView")
        verify(child(panel, "scrollIndicator").contentItem.visible)
        const row5 = rowCell(panel, 5)
        list.contentY = row5.y - list.topMargin
        compare(list.indexAt(20, list.contentY + 10), 5)

        world.addApp("Neu", "org.example.neu", [entry("Neu", 10)], false)
        compare(child(panel, "countText").text, "14")
        mouseClick(child(panel, "refreshButton"))
        compare(child(panel, "countText").text, "15")
        verify(rowCell(panel, 5) === row5)
        compare(list.indexAt(20, list.contentY + 10), 5)
    }
}
