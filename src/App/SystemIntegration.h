// What the application entry needs from the system it runs on, behind one
// factory per system: the single-instance claim, the platform backend, the
// panel window as the window manager wants it, Trayvane's status icon and
// whatever else needs the service (on Linux the control interface).
#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

namespace Trayvane {

class MenuBarService;
class PanelWindow;
class Platform;

class SystemIntegration : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// True when no other copy of the program runs. The claim is held until
    /// this object goes. Needs the QApplication to exist.
    virtual bool claimInstance() = 0;

    /// The platform backend, made on the first call (only by the primary
    /// instance) and kept until this object goes.
    virtual Platform &platform() = 0;

    /// A new panel window that opens and closes itself as this system's
    /// window manager needs.
    virtual std::unique_ptr<PanelWindow> createPanel() = 0;

    /// Once the service exists: publishes the status icon and what else needs
    /// the service. `togglePanel` opens or closes the panel. The service must
    /// outlive everything made here, which goes with this object.
    virtual void attach(MenuBarService &service, std::function<void()> togglePanel) = 0;

    /// The picture of the status icon (the light or dark scheme's).
    virtual void setIcon(const QIcon &icon) = 0;

    /// Where the status icon is on screen as far as known; empty when nobody
    /// told.
    virtual QRect iconGeometry() const = 0;

signals:
    /// The status icon was clicked.
    void iconActivated();
    /// Whether a tray or bar shows the status icon; where none does, the
    /// application shows its fallback window. Announced once after attach()
    /// as soon as it is known, and on every change.
    void iconShownChanged(bool shown);
};

/// The integration of the system the program runs on. Each system defines it
/// once.
std::unique_ptr<SystemIntegration> createSystemIntegration();

} // namespace Trayvane
