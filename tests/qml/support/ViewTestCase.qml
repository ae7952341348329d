// Base of every QML test: a visible case that waits for its window, with
// helpers that build a view and find its named parts.
import QtQuick
import QtTest
import Trayvane

TestCase {
    id: testCase

    width: 360
    height: 900
    when: windowShown
    // A TestCase is hidden by default; views inside it must be visible to be clicked.
    visible: true

    function initTestCase() {
        Theme.animationsEnabled = false
    }

    // A view of `component`; without a width or height given it takes its implicit one.
    function open(component, properties) {
        const view = createTemporaryObject(component, testCase, properties)
        verify(view !== null)
        if (properties.width === undefined)
            view.width = Qt.binding(() => view.implicitWidth)
        if (properties.height === undefined)
            view.height = Qt.binding(() => view.implicitHeight)
        waitForRendering(view)
        return view
    }

    function child(item, name) {
        const found = findChild(item, name)
        verify(found !== null, "no " + name)
        return found
    }

    function sameColor(actual, expected, message) {
        // At the 8-bit precision colours are stored with.
        compare(String(actual), String(expected), message || "colour")
    }
}
