// The application entry's macOS side: the single instance by the bundle
// identifier, the accessibility backend, a panel that AppKit brings to the
// front and closes when the user turns elsewhere, and the status icon as
// Qt's tray icon in the menu bar.
#include "App/PanelWindow.h"
#include "App/SystemIntegration.h"
#include "Platform/mac/MacInstance.h"
#include "Platform/mac/MacPanel.h"
#include "Platform/mac/MacPlatform.h"

#include <QSystemTrayIcon>

namespace Trayvane {

namespace {

class MacIntegration final : public SystemIntegration
{
public:
    bool claimInstance() override
    {
        // Every running application with this bundle identifier is a copy,
        // this process included.
        return runningCopiesOfThisProgram() < 2;
    }

    Platform &platform() override
    {
        if (!m_platform)
            m_platform = std::make_unique<MacPlatform>();
        return *m_platform;
    }

    std::unique_ptr<PanelWindow> createPanel() override
    {
        auto panel = std::make_unique<PanelWindow>();
        attachPanelBehaviour(*panel, [window = panel.get()] { window->closeItself(); });
        return panel;
    }

    void attach(MenuBarService &, std::function<void()>) override
    {
        m_trayIcon.setToolTip(QStringLiteral("Trayvane"));
        connect(&m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit iconActivated();
        });
        const bool shown = QSystemTrayIcon::isSystemTrayAvailable();
        m_trayIcon.setVisible(shown);
        emit iconShownChanged(shown);
    }

    void setIcon(const QIcon &icon) override { m_trayIcon.setIcon(icon); }

    QRect iconGeometry() const override { return m_trayIcon.geometry(); }

private:
    std::unique_ptr<MacPlatform> m_platform;
    QSystemTrayIcon m_trayIcon;
};

} // namespace

std::unique_ptr<SystemIntegration> createSystemIntegration()
{
    return std::make_unique<MacIntegration>();
}

} // namespace Trayvane
