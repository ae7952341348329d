// The panel window on X11 and XWayland.
#include "App/linux/LinuxPanelWindow.h"

#include "App/linux/X11Display.h"

#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <functional>

namespace Trayvane {

namespace {

// Marks a top-level X11 window as one that the taskbar and the pager leave
// out. Needed before each show: window managers drop the marks when a window
// is hidden.
void markSkipTaskbar(QWindow *window)
{
    Display *display = x11Display();
    if (!display)
        return;
    const Atom states[] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                           XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
    // The toolkit adds its own states to these when it maps the window.
    XChangeProperty(display, Window(window->winId()), XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(states), 2);
    XFlush(display);
}

// The compositor tells an X11 window neither of clicks on its own surfaces
// nor of keyboard focus moving there, and it takes back focus that the window
// takes itself. This clear window over the rest of the screen catches the
// click outside (on the bar's icon too) and Escape.
class Backdrop : public QWidget
{
public:
    std::function<void()> onDismiss;

    Backdrop()
    {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                       | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_TranslucentBackground);
        setWindowTitle(QStringLiteral("Trayvane Backdrop"));
    }

protected:
    void mousePressEvent(QMouseEvent *) override { onDismiss(); }
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape)
            onDismiss();
    }
};

// Whether this X11 display is the X server of a Wayland session (XWayland).
bool isXWaylandSession()
{
    return x11Display() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

LinuxPanelWindow::LinuxPanelWindow()
    : m_onXWayland(isXWaylandSession())
{
    // It stays a normal window type, so that the compositor gives it the keyboard.
    if (m_onXWayland)
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
}

LinuxPanelWindow::~LinuxPanelWindow() = default;

void LinuxPanelWindow::present()
{
    markSkipTaskbar(this);
    if (!m_onXWayland) {
        PanelWindow::present();
        return;
    }
    if (!m_backdrop) {
        auto backdrop = std::make_unique<Backdrop>();
        backdrop->onDismiss = [this] { QTimer::singleShot(0, this, [this] { closeItself(); }); };
        m_backdrop = std::move(backdrop);
    }
    const QScreen *screen = QGuiApplication::screenAt(position());
    m_backdrop->setGeometry(screen ? screen->geometry() : QRect(0, 0, 8192, 8192));
    m_backdrop->show();
    show();
    raise();
}

void LinuxPanelWindow::close()
{
    PanelWindow::close();
    m_backdrop.reset();
}

} // namespace Trayvane
