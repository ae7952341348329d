// Synthesized mouse buttons through the X server's XTest extension. Kept
// apart so that no X11 header reaches the rest of the backend.
#pragma once

#include <QPointF>

namespace Trayvane {

class XTestMouse
{
public:
    XTestMouse();
    ~XTestMouse();
    XTestMouse(const XTestMouse &) = delete;
    XTestMouse &operator=(const XTestMouse &) = delete;

    /// Whether events can be posted (an X11 session with XTest).
    bool isAvailable();
    /// Moves the pointer to `pixel` and presses or releases the left button.
    void post(const QPoint &pixel, bool down);

private:
    void *m_display = nullptr;
    bool m_tried = false;
};

} // namespace Trayvane
