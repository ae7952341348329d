// The frameless panel window that the status icon opens. It closes itself
// like a menu-bar panel: on a click outside it, on Escape and when another
// window takes the focus.
#pragma once

#include <QQuickView>

#include <functional>

namespace Trayvane {

class PanelWindow : public QQuickView
{
public:
    /// Called after the panel closed itself (not after close()).
    std::function<void()> onAutoClose;

    PanelWindow();

    /// Shows the panel through present().
    void open();
    /// Hides the panel.
    virtual void close();
    /// Closes the panel as its own decision: close(), then onAutoClose.
    void closeItself();

protected:
    /// Shows the window in front with the keyboard focus and the mouse grab.
    virtual void present();
    bool event(QEvent *event) override;

private:
    bool m_wasActive = false;
};

} // namespace Trayvane
