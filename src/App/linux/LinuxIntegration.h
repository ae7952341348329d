// The application entry's Linux side: the single instance by the bus name
// (a lock file where there is no session bus), the StatusNotifierItem
// backend, the panel window for X11 and XWayland, Trayvane's own status icon
// and the control interface on the session bus.
#pragma once

#include "App/SystemIntegration.h"

#include <QLockFile>

namespace Trayvane {

class LinuxPlatform;
class LinuxStatusIcon;
class TrayvaneControl;

class LinuxIntegration : public SystemIntegration
{
    Q_OBJECT

public:
    LinuxIntegration();
    ~LinuxIntegration() override;

    bool claimInstance() override;
    Platform &platform() override;
    std::unique_ptr<PanelWindow> createPanel() override;
    void attach(MenuBarService &service, std::function<void()> togglePanel) override;
    void setIcon(const QIcon &icon) override;
    QRect iconGeometry() const override;

private:
    std::unique_ptr<QLockFile> m_lockFile;
    std::unique_ptr<LinuxPlatform> m_platform;
    // Made before the platform, gone before it.
    std::unique_ptr<LinuxStatusIcon> m_icon;
    std::unique_ptr<TrayvaneControl> m_control;
};

} // namespace Trayvane
