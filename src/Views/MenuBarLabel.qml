// The status icon as a view: the grid symbol at 16 points, medium weight, in
// the flat system teal. The tray itself gets the same drawing as an image.
pragma ComponentBehavior: Bound
import QtQuick
import Trayvane

SymbolImage {
    name: "square.grid.3x3.square"
    size: 16
    weight: Font.Medium
    color: Theme.teal
}
