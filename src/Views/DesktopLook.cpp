// Reads the compositor's presence and the desktop's font size.
#include "DesktopLook.h"

#include <QEvent>
#include <QFont>
#include <QGuiApplication>

#include <algorithm>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#endif

namespace Trayvane {

DesktopLook::DesktopLook(QObject *parent)
    : QObject(parent)
    , m_translucent(compositorRuns())
{
    updateTextScale();
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
}

bool DesktopLook::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qGuiApp && event->type() == QEvent::ApplicationFontChange)
        updateTextScale();
    return QObject::eventFilter(watched, event);
}

qreal DesktopLook::textScaleFor(qreal pointSize)
{
    constexpr qreal usual = 10.0;
    if (!(pointSize > 0.0))
        return 1.0;
    return std::clamp(pointSize / usual, 1.0, 2.0);
}

void DesktopLook::updateTextScale()
{
    const qreal scale = textScaleFor(QGuiApplication::font().pointSizeF());
    if (scale == m_textScale)
        return;
    m_textScale = scale;
    emit textScaleChanged();
}

bool DesktopLook::compositorRuns()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("cocoa") || platform == QLatin1String("windows")
        || platform.startsWith(QLatin1String("wayland")))
        return true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (platform == QLatin1String("xcb")) {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        Display *display = x11 ? x11->display() : nullptr;
        if (!display)
            return false;
        // A compositing manager owns _NET_WM_CM_S<screen> while it runs.
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
        const Atom selection = XInternAtom(display, name.constData(), False);
        return XGetSelectionOwner(display, selection) != None;
    }
#endif
    return false;
}

} // namespace Trayvane
