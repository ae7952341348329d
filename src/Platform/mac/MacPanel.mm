// The panel's activation and closing on AppKit.
#include "MacPanel.h"

#include <QGuiApplication>
#include <QWindow>

#import <AppKit/AppKit.h>

namespace Trayvane {

namespace {

// Clicks that go to other applications: the panel's mouse grab sees only the
// program's own windows.
constexpr NSEventMask outsideClicks = NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown | NSEventMaskOtherMouseDown;

class PanelBehaviour final : public QObject
{
public:
    PanelBehaviour(QWindow &panel, std::function<void()> closePanel)
        : QObject(&panel), m_panel(panel), m_closePanel(std::move(closePanel))
    {
        connect(&panel, &QWindow::visibleChanged, this, [this](bool visible) {
            if (visible)
                opened();
            else
                stopWatchingClicks();
        });
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive)
                close();
        });
    }

    ~PanelBehaviour() override { stopWatchingClicks(); }

private:
    void opened()
    {
        // A Qt::Tool window is a panel that AppKit keeps only in front of the
        // active application, and only the active application gets the keys.
        [NSApp activate];
        if (!m_monitor) {
            m_monitor = [NSEvent addGlobalMonitorForEventsMatchingMask:outsideClicks
                                                               handler:^(NSEvent *) {
                                                                   // Not from inside the monitor's own call.
                                                                   QMetaObject::invokeMethod(
                                                                       this, [this] { close(); }, Qt::QueuedConnection);
                                                               }];
        }
    }

    void close()
    {
        if (m_panel.isVisible())
            m_closePanel();
    }

    void stopWatchingClicks()
    {
        if (m_monitor) {
            [NSEvent removeMonitor:m_monitor];
            m_monitor = nil;
        }
    }

    QWindow &m_panel;
    std::function<void()> m_closePanel;
    id m_monitor = nil;
};

} // namespace

void attachPanelBehaviour(QWindow &panel, std::function<void()> closePanel)
{
    new PanelBehaviour(panel, std::move(closePanel)); // owned by the panel
}

} // namespace Trayvane
