// Colours, text styles, sizes and animation of the panel in one place. Follows
// the desktop's light or dark scheme; `dark` may be set to force one.
pragma Singleton
pragma ComponentBehavior: Bound
import QtQuick
import Trayvane

QtObject {
    id: theme

    // The desktop's scheme (the portal's preference, else the palette).
    property bool dark: ColorScheme.dark

    // Navigation, sort toggle and swaps run with this; tests switch it off.
    property bool animationsEnabled: true
    readonly property int defaultAnimationDuration: animationsEnabled ? 250 : 0
    readonly property int defaultAnimationEasing: Easing.InOutQuad

    // Text styles, in points (the macOS sizes), larger where the desktop sets
    // a larger font.
    readonly property real textScale: DesktopLook.textScale
    readonly property real title3: 15 * textScale
    readonly property real subheadline: 11 * textScale
    readonly property real caption: 10 * textScale
    readonly property real caption2: 10 * textScale
    // Symbols from the icon font look smaller than text of the same size.
    readonly property real symbolScale: 1.2
    // Standard spacing of stacks where none is given.
    readonly property real standardSpacing: 8

    // Named system colours, light and dark.
    readonly property color blue: dark ? "#0a84ff" : "#007aff"
    readonly property color orange: dark ? "#ff9f0a" : "#ff9500"
    readonly property color teal: ColorScheme.teal(dark)
    readonly property color indigo: dark ? "#5e5ce6" : "#5856d6"
    readonly property color green: dark ? "#30d158" : "#34c759"
    readonly property color red: dark ? "#ff453a" : "#ff3b30"
    readonly property color yellow: dark ? "#ffd60a" : "#ffcc00"
    readonly property color white: "#ffffff"
    readonly property color clear: "transparent"
    // Semantic text colours.
    readonly property color primary: dark ? Qt.rgba(1, 1, 1, 0.85) : Qt.rgba(0, 0, 0, 0.85)
    readonly property color secondary: dark ? Qt.rgba(1, 1, 1, 0.55) : Qt.rgba(0, 0, 0, 0.5)
    // NSColor controlBackgroundColor.
    readonly property color controlBackgroundColor: dark ? "#1e1e1e" : "#ffffff"
    // The panel behind the pages and the divider between header and body.
    readonly property color windowBackground: dark ? "#2c2c2e" : "#ececec"
    readonly property color separator: dark ? Qt.rgba(1, 1, 1, 0.1) : Qt.rgba(0, 0, 0, 0.1)
    // The ultra-thin material: a translucent fill over whatever lies behind.
    readonly property color ultraThinMaterial: dark ? Qt.rgba(0.16, 0.16, 0.17, 0.45) : Qt.rgba(0.98, 0.98, 0.98, 0.45)

    // A colour at an opacity, as the pages state them.
    function opacity(base, alpha) {
        return Qt.rgba(base.r, base.g, base.b, base.a * alpha)
    }

    // Gradient directions in unit coordinates.
    readonly property point topLeading: Qt.point(0, 0)
    readonly property point bottomTrailing: Qt.point(1, 1)
    readonly property point leading: Qt.point(0, 0.5)
    readonly property point trailing: Qt.point(1, 0.5)
    readonly property point top: Qt.point(0.5, 0)
    readonly property point bottom: Qt.point(0.5, 1)

    // Panel.
    readonly property real panelWidth: 360
    // The rounded frame and its shadow, where windows can be see-through.
    readonly property real panelRadius: 10
    readonly property real panelShadow: 12
    readonly property color panelOutline: dark ? Qt.rgba(1, 1, 1, 0.16) : Qt.rgba(0, 0, 0, 0.22)
    readonly property real headerButtonSize: 28
}
