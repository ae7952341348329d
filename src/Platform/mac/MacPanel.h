// How the panel window behaves on macOS, where the program is a status icon
// without a Dock icon and is usually not the active application when its icon
// is clicked. macOS only.
#pragma once

#include <functional>

class QWindow;

namespace Trayvane {

/// Makes `panel` come to the front with the keyboard focus when it shows
/// (the application is activated), and calls `closePanel` when the user
/// turns to another application or clicks anywhere outside the program while
/// the panel shows. Lives as long as the panel.
void attachPanelBehaviour(QWindow &panel, std::function<void()> closePanel);

} // namespace Trayvane
