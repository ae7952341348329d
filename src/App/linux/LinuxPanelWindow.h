// The panel window on Linux. It stays out of the taskbar and the pager, and on
// a Wayland desktop, where the X11 window manager is the compositor that tiles
// or centres managed windows, it places itself and catches the click outside
// through a clear window over the rest of the screen.
#pragma once

#include "App/PanelWindow.h"

#include <memory>

class QWidget;

namespace Trayvane {

class LinuxPanelWindow : public PanelWindow
{
public:
    LinuxPanelWindow();
    ~LinuxPanelWindow() override;

    void close() override;

protected:
    void present() override;

private:
    const bool m_onXWayland;
    std::unique_ptr<QWidget> m_backdrop;
};

} // namespace Trayvane
