// The item list: counts and badges, the icon and text rules of a row, taps,
// hovering, equal ids, and rescans that keep the rows.
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
        sameColor(child(panel, "listTitle").color, data.sort ? Theme.orange : Theme.secondary)
        compare(child(panel, "hiddenBadge").visible, data.badge)
        if (data.badge)
            compare(child(panel, "hiddenCountText").text, String(data.hidden.filter(h => h).length))
        verify(child(panel, "countBadge").visible)
        compare(child(panel, "countText").text, "3")
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
        const world = makeWorld([["Alpha", [entry("A", 100, { capture: data.capture })], data.icon]])
        const panel = makePanel(world)
        const icon = child(rowView(panel, 0), "rowIcon")
        compare(icon.shows, data.shows)
        compare(icon.width, data.size)
        compare(icon.height, data.size)

        mouseClick(child(panel, "sortButton"))
        const editIcon = child(rowView(panel, 0), "rowIcon")
        compare(editIcon.shows, data.shows)
        compare(editIcon.width, 18)
    }

    function test_rowTexts_data() {
        return [
            { tag: "named after its application", owner: "Alpha", item: { description: false, name: "" }, subtitle: false },
            { tag: "own name", owner: "Alpha", item: { name: "WLAN" }, subtitle: true },
            { tag: "differs only in case", owner: "Alpha", item: { name: "alpha" }, subtitle: true },
        ]
    }

    function test_rowTexts(data) {
        const options = { description: data.item.description !== false }
        const world = makeWorld([[data.owner, [entry(data.item.name, 100, options)]]])
        const panel = makePanel(world)
        const row = rowView(panel, 0)
        compare(child(row, "rowTitle").text, world.itemNames()[0])
        compare(child(row, "rowSubtitle").visible, data.subtitle)
        if (data.subtitle)
            compare(child(row, "rowSubtitle").text, data.owner)
        verify(child(row, "clickSymbol").visible)
    }

    // A name far wider than the row is shortened in both row kinds; the hidden
    // mark and the click symbol stay inside the row's padding.
    function test_longNameKeepsMarkersInside_data() {
        return [
            { tag: "normal row", sort: false },
            { tag: "sort row", sort: true },
        ]
    }

    function test_longNameKeepsMarkersInside(data) {
        const longName = "Ein sehr langer Name eines Status-Items, der nie in eine Zeile passt ".repeat(3)
        const world = makeWorld([["Besitzer mit einem ebenso langen Namen ".repeat(4), [entry(longName, 0)]]])
        const panel = makePanel(world)
        if (data.sort)
            mouseClick(child(panel, "sortButton"))
        const row = rowView(panel, 0)
        const inside = function(name) {
            const item = child(row, name)
            verify(item.visible, name)
            const left = item.mapToItem(row, 0, 0).x
            verify(left >= 0 && left + item.width <= row.width - 10, name + " ends at " + (left + item.width)
                   + " in a row of " + row.width)
        }
        const title = child(row, "rowTitle")
        verify(title.truncated)
        inside("rowTitle")
        if (!data.sort) {
            inside("hiddenMark")
            inside("clickSymbol")
            inside("rowSubtitle")
            verify(child(row, "rowSubtitle").truncated)
            // The mark follows the shortened name.
            const mark = child(row, "hiddenMark")
            compare(mark.mapToItem(row, 0, 0).x, title.mapToItem(row, 0, 0).x + title.width + 4)
        }
    }

    // Names and owners come from other programs: markup in them is shown as
    // its own characters and never loads anything.
    function test_markupIsShownAsText_data() {
        return [
            { tag: "bold", name: "<b>x</b>" },
            { tag: "picture", name: "<img src=\"file:///etc/hostname\" width=300 height=60>" },
            { tag: "entity", name: "&lt;i&gt; &amp;" },
        ]
    }

    function test_markupIsShownAsText(data) {
        const world = makeWorld([["<i>Owner</i>", [entry(data.name, 100)]]])
        const panel = makePanel(world)
        for (const sort of [false, true]) {
            if (sort)
                mouseClick(child(panel, "sortButton"))
            const title = child(rowView(panel, 0), "rowTitle")
            compare(title.text, data.name)
            // Drawn as plain text, the markup is as wide as its characters.
            verify(title.implicitWidth > title.font.pixelSize * data.name.length * 0.3, "width " + title.implicitWidth)
            verify(title.implicitHeight < title.font.pixelSize * 2, "height " + title.implicitHeight)
            compare(title.textFormat, Text.PlainText)
        }
        mouseClick(child(panel, "sortButton"))
        const subtitle = child(rowView(panel, 0), "rowSubtitle")
        compare(subtitle.text, "<i>Owner</i>")
        compare(subtitle.textFormat, Text.PlainText)
    }

    // The count fits its 22 × 22 circle, also with three digits.
    function test_countFitsTheBadge_data() {
        return [
            { tag: "one digit", count: 3 },
            { tag: "three digits", count: 122 },
        ]
    }

    function test_countFitsTheBadge(data) {
        const items = []
        for (let i = 0; i < data.count; ++i)
            items.push(entry("I" + i, 100 + i))
        const panel = makePanel(makeWorld([["Alpha", items]]))
        const badge = child(panel, "countBadge")
        const text = child(panel, "countText")
        compare(text.text, String(data.count))
        compare(badge.width, 22)
        compare(badge.height, 22)
        // Inside the circle along the text's own half height.
        const halfHeight = text.font.pixelSize * 0.36
        const chord = 2 * Math.sqrt(11 * 11 - halfHeight * halfHeight)
        verify(text.contentWidth <= chord, text.contentWidth + " wide, chord " + chord)
        compare(text.mapToItem(badge, text.width / 2, 0).x, 11)
    }

    function test_hiddenMarker() {
        const world = makeWorld([["Alpha", [entry("Sichtbar", 100), entry("Versteckt", 0)]]])
        const panel = makePanel(world)
        const names = world.itemNames()
        for (let i = 0; i < 2; ++i) {
            const row = rowView(panel, i)
            compare(child(row, "hiddenMark").visible, names[i] === "Versteckt")
        }
    }

    function test_tapActivatesOncePerTap() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        mouseClick(rowView(panel, 1))
        compare(world.pressedItems(), ["Beta/0"])
        // Anywhere on the row counts, the spacer included.
        const row = rowView(panel, 2)
        mouseClick(row, row.width - 40, row.height / 2)
        compare(world.pressedItems(), ["Beta/0", "Gamma/0"])
        verify(panel.currentPage === "main")
    }

    function test_tapInSortModeDoesNothing() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        mouseClick(child(panel, "sortButton"))
        const row = rowView(panel, 1)
        mouseClick(row, row.width - 20, row.height / 2)
        panel.rowClicked(1)
        compare(world.pressCount, 0)
    }

    function test_hoverHighlightsTheRow() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const ids = world.itemIds()
        mouseMove(rowView(panel, 0))
        compare(panel.hoveredItemId, ids[0])
        verify(rowView(panel, 0).highlighted)
        sameColor(child(rowView(panel, 0), "rowBackground").color, Theme.opacity(Theme.blue, 0.08))
        // Leaving a row clears the hover, whatever row it named.
        mouseMove(child(panel, "quitArea"))
        compare(panel.hoveredItemId, undefined)
        verify(!rowView(panel, 0).highlighted)
        sameColor(child(rowView(panel, 0), "rowBackground").color, Theme.controlBackgroundColor)
        mouseMove(rowView(panel, 2))
        compare(panel.hoveredItemId, ids[2])
        verify(rowView(panel, 2).highlighted)
        verify(!rowView(panel, 1).highlighted)
    }

    // Entry of B reported before the exit of A: nothing stays highlighted.
    function test_exitAfterNextEntryClearsTheHover() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const ids = world.itemIds()
        panel.rowHovered(ids[0], true)
        panel.rowHovered(ids[1], true)
        panel.rowHovered(ids[0], false)
        compare(panel.hoveredItemId, undefined)
        for (let i = 0; i < 3; ++i)
            verify(!rowView(panel, i).highlighted)
    }

    function test_sortModeKeepsAndIgnoresHover() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const ids = world.itemIds()
        panel.rowHovered(ids[1], true)
        mouseClick(child(panel, "sortButton"))
        compare(panel.hoveredItemId, ids[1])
        panel.rowHovered(ids[2], true)
        panel.rowHovered(ids[1], false)
        compare(panel.hoveredItemId, ids[1])
        mouseClick(child(panel, "sortButton"))
        verify(rowView(panel, 1).highlighted)
    }

    // Same owner, same name, same x: one id, and both rows light up together.
    function test_equalIdsHighlightTogether() {
        const world = makeWorld([["Alpha", [entry("Uhr", 100), entry("Uhr", 100), entry("Mond", 200)]]])
        const panel = makePanel(world)
        const ids = world.itemIds()
        compare(ids[0], ids[1])
        compare(child(panel, "countText").text, "3")
        panel.rowHovered(ids[0], true)
        verify(rowView(panel, 0).highlighted)
        verify(rowView(panel, 1).highlighted)
        verify(!rowView(panel, 2).highlighted)
        mouseClick(rowView(panel, 1))
        compare(world.pressedItems(), ["Alpha/1"])
    }

    // A rescan that finds the same items keeps every row object; a new item
    // adds one row and leaves the others alone.
    function test_rescanKeepsRows() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        const before = [rowCell(panel, 0), rowCell(panel, 1), rowCell(panel, 2)]
        world.tick()
        for (let i = 0; i < 3; ++i)
            verify(rowCell(panel, i) === before[i])
        world.addApp("Delta", "org.example.delta", [entry("D", 50)], false)
        world.tick()
        compare(child(panel, "countText").text, "4")
        for (let i = 0; i < 3; ++i)
            verify(rowCell(panel, i) === before[i])
        compare(child(rowView(panel, 3), "rowTitle").text, "D")
    }

    function test_refreshScansAtOnce() {
        const world = makeAbcWorld()
        const panel = makePanel(world)
        world.addApp("Delta", "org.example.delta", [entry("D", 50)], false)
        compare(child(panel, "countText").text, "3")
        mouseClick(child(panel, "refreshButton"))
        compare(child(panel, "countText").text, "4")
    }

    // A long list scrolls with its indicator shown, and a rescan keeps the
    // scroll position, also when it adds an item.
    function test_scrollPositionSurvivesRescans() {
        const items = []
        for (let i = 0; i < 14; ++i)
            items.push(entry("Item " + i, 100 + 40 * i))
        const world = makeWorld([["Alpha", items]])
        world.settings.windowHeight = 300
        const panel = makePanel(world)
        const list = child(panel, "itemsListView")
        verify(list.contentHeight > list.height)
        verify(child(panel, "scrollIndicator").contentItem.visible)
        const row5 = rowCell(panel, 5)
        list.contentY = row5.y - list.topMargin
        const firstVisible = list.indexAt(20, list.contentY + 10)
        compare(firstVisible, 5)

        world.tick()
        compare(list.indexAt(20, list.contentY + 10), 5)
        world.addApp("Neu", "org.example.neu", [entry("Neu", 10)], false)
        world.tick()
        compare(world.itemNames()[14], "Neu")
        compare(list.indexAt(20, list.contentY + 10), 5)
    }

    function test_shortListHasNoIndicator() {
        const panel = makePanel(makeAbcWorld())
        tryVerify(() => !child(panel, "scrollIndicator").contentItem.visible)
    }
}
