// Base of the panel's QML tests: builds scripted worlds and panels on them.
import QtQuick
import QtTest
import Trayvane
import TrayvaneTest

TestCase {
    id: testCase

    width: 360
    height: 900
    when: windowShown
    visible: true

    property int quitCalls: 0

    Component {
        id: worldComponent
        PanelWorld {}
    }
    Component {
        id: panelComponent
        ContentView {}
    }

    function initTestCase() {
        Theme.animationsEnabled = false
    }

    function init() {
        quitCalls = 0
    }

    // An item of a scripted application: x 0 or width 0 makes it hidden.
    function entry(name, x, options) {
        const result = { name: name, x: x, width: 24, capture: false }
        for (const key in options)
            result[key] = options[key]
        return result
    }

    // A started world with one application per [name, items, withIcon].
    function makeWorld(apps, trusted) {
        const world = createTemporaryObject(worldComponent, testCase)
        for (const app of apps)
            world.addApp(app[0], "org.example." + app[0].toLowerCase().replace(/ /g, ""), app[1], app[2] === true)
        if (trusted === false)
            world.trusted = false
        world.start()
        return world
    }

    // Three applications, items A (x 100), B (x 200), C (x 300).
    function makeAbcWorld() {
        return makeWorld([["Alpha", [entry("A", 100)]], ["Beta", [entry("B", 200)]], ["Gamma", [entry("C", 300)]]])
    }

    function makePanel(world) {
        const panel = createTemporaryObject(panelComponent, testCase, {
            service: world.service,
            settings: world.settings,
            loginItem: null,
            quitAction: function() { testCase.quitCalls += 1 },
        })
        verify(panel !== null)
        panel.width = Qt.binding(() => panel.implicitWidth)
        panel.height = Qt.binding(() => panel.implicitHeight)
        return panel
    }

    function child(panel, name) {
        const found = findChild(panel, name)
        verify(found !== null, "no " + name)
        return found
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

    function sameColor(actual, expected, message) {
        // At the 8-bit precision colours are stored with.
        compare(String(actual), String(expected), message || "colour")
    }
}
