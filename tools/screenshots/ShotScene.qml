// One panel in a fixed scheme, for the screenshot tool.
pragma ComponentBehavior: Bound
import QtQuick
import Trayvane

Item {
    id: scene

    required property QtObject world
    property bool dark: false
    readonly property ContentView content: content

    width: content.width
    height: content.height

    Binding {
        target: Theme
        property: "dark"
        value: scene.dark
    }
    Binding {
        target: Theme
        property: "animationsEnabled"
        value: false
    }

    ContentView {
        id: content
        width: implicitWidth
        height: implicitHeight
        service: scene.world.service
        settings: scene.world.settings
        loginItem: null
        quitAction: function() {}
        framed: true
    }
}
