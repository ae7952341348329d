// The application entry: single instance by the application id, the one
// MenuBarService of the run, the status icon (or a small fallback window where
// no tray shows it) and the panel window that the icon toggles. What differs
// per system comes from its SystemIntegration.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRect>

#include <memory>

namespace Trayvane {

class ColorScheme;
class FallbackIcon;
class MenuBarService;
class PanelWindow;
class SystemIntegration;
class UserSettings;

class TrayvaneApp : public QObject
{
    Q_OBJECT

public:
    /// Runs the single-instance check. Needs the QApplication to exist.
    explicit TrayvaneApp(QObject *parent = nullptr);
    ~TrayvaneApp() override;

    /// False when another copy already runs; this copy then ends during start
    /// and builds nothing.
    bool isPrimaryInstance() const { return m_primary; }

    /// Builds the service on the system platform, the panel and the status
    /// icon. Called once, only for the primary instance.
    void start();

    /// Opens the panel under the status icon, or closes it when it is open.
    void togglePanel();

private:
    void showPanel();
    void placePanel();
    QRect iconGeometry() const;
    void setUseFallbackIcon(bool useFallback);
    void updateIcons();

    // Declared first: it holds the platform, which outlives the service.
    std::unique_ptr<SystemIntegration> m_integration;
    bool m_primary = false;
    std::unique_ptr<MenuBarService> m_service;
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<PanelWindow> m_panel;
    std::unique_ptr<FallbackIcon> m_fallbackIcon;
    std::unique_ptr<ColorScheme> m_colorScheme;
    QRect m_anchor;                 // where the panel was opened from
    QElapsedTimer m_sinceAutoClose; // the panel last closed itself
};

} // namespace Trayvane
