// XTest mouse events.
#include "Platform/linux/XTestMouse.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace Trayvane {

XTestMouse::XTestMouse() = default;

XTestMouse::~XTestMouse()
{
    if (m_display)
        XCloseDisplay(static_cast<Display *>(m_display));
}

bool XTestMouse::isAvailable()
{
    if (!m_tried) {
        m_tried = true;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return false;
        Display *display = XOpenDisplay(nullptr);
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (display && XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
            m_display = display;
        } else if (display) {
            XCloseDisplay(display);
        }
    }
    return m_display != nullptr;
}

void XTestMouse::post(const QPoint &pixel, bool down)
{
    if (!isAvailable())
        return;
    auto *display = static_cast<Display *>(m_display);
    XTestFakeMotionEvent(display, -1, pixel.x(), pixel.y(), CurrentTime);
    XTestFakeButtonEvent(display, Button1, down ? True : False, CurrentTime);
    XFlush(display);
}

} // namespace Trayvane
