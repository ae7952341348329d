// A one-point divider line across the full width.
import QtQuick
import Trayvane

Rectangle {
    implicitHeight: 1
    color: Theme.separator
}
