// Base of the panel's QML tests: builds scripted worlds and panels on them.
import QtQuick
import Trayvane
import TrayvaneTest
import "../support"

ViewTestCase {
    id: testCase

    property int quitCalls: 0

    Component {
        id: worldComponent
        PanelWorld {}
    }
    Component {
        id: panelComponent
        ContentView {}
    }

    // An item of a scripted application, 24 wide: x 0 makes it hidden.
    function entry(name, x, capture) {
        return { name: name, x: x, capture: capture === true }
    }

    // A started world with one application per [name, items, withIcon].
    function makeWorld(apps, trusted) {
        const world = createTemporaryObject(worldComponent, testCase)
        for (const app of apps)
            world.addApp(app[0], "org.example." + app[0].toLowerCase().replace(/ /g, ""), app[1], app[2] === true)
        world.trusted = trusted !== false
        world.start()
        return world
    }

    // Three applications, items A (x 100), B (x 200), C (x 300).
    function makeAbcWorld() {
        return makeWorld([["Alpha", [entry("A", 100)]], ["Beta", [entry("B", 200)]], ["Gamma", [entry("C", 300)]]])
    }

    function makePanel(world) {
        return open(panelComponent, { service: world.service, settings: world.settings, loginItem: null,
                                      quitAction: function() { testCase.quitCalls += 1 } })
    }

    // The delegate of a list row and the row drawn in it (normal or edit row).
    function rowCell(panel, row) {
        // The list builds its rows at its next layout pass.
        tryVerify(() => findChild(panel, "row" + row) !== null, 1000, "no row " + row)
        return findChild(panel, "row" + row)
    }
    function rowView(panel, row) {
        const view = child(rowCell(panel, row), "rowLoader").item
        verify(view !== null)
        return view
    }
}
