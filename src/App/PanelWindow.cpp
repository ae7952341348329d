// The panel window.
#include "App/PanelWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace Trayvane {

PanelWindow::PanelWindow()
{
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setTitle(QStringLiteral("Trayvane Panel"));
    setColor(Qt::transparent);
    connect(this, &QWindow::activeChanged, this, [this] {
        if (isActive())
            m_wasActive = true;
        else if (m_wasActive && isVisible())
            closeItself();
    });
}

void PanelWindow::open()
{
    m_wasActive = false;
    present();
}

void PanelWindow::present()
{
    show();
    raise();
    requestActivate();
    // The grab needs a mapped window; take it once the window shows.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            setMouseGrabEnabled(true);
    });
}

void PanelWindow::close()
{
    setMouseGrabEnabled(false);
    hide();
}

void PanelWindow::closeItself()
{
    close();
    if (onAutoClose)
        onAutoClose();
}

bool PanelWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!QRectF(QPointF(0, 0), size()).contains(mouse->position())) {
            closeItself();
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            closeItself();
            return true;
        }
        break;
    default:
        break;
    }
    return QQuickView::event(event);
}

} // namespace Trayvane
