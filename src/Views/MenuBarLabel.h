// The status icon: the grid symbol in the system teal at 16 points, medium
// weight, drawn in its own colour (never a mask the tray may tint).
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

namespace Trayvane {

class MenuBarLabel
{
public:
    static constexpr qreal pointSize = 16.0;

    /// The teal of the light or the dark appearance.
    static QColor teal(bool dark);
    /// The icon painted at `pixels` × `pixels`, transparent around the glyph.
    static QImage coloredImage(int pixels, bool dark);
    /// The icon at the sizes trays ask for. Never a mask icon.
    static QIcon coloredIcon(bool dark);
};

} // namespace Trayvane
