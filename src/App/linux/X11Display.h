// The X11 display of the application's windows, for the few X11 calls the
// application entry makes itself.
#pragma once

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

namespace Trayvane {

/// Null off X11 (a Wayland or offscreen platform).
inline Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

} // namespace Trayvane
