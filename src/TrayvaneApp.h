// The application entry: single instance by the application id, the one
// MenuBarService of the run, the status icon (or a small fallback window where
// the desktop has no tray) and the panel window that the icon toggles.
#pragma once

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class QQuickView;
class QSystemTrayIcon;
class QWidget;

namespace Trayvane {

class ColorScheme;
class MenuBarService;
class Platform;
class UserSettings;
class PanelWindow;
class LinuxStatusIcon;

class TrayvaneApp : public QObject
{
    Q_OBJECT

public:
    /// Runs the single-instance check: owns the application id on the session
    /// bus, or holds a lock file in the runtime folder where there is no bus.
    /// Needs the QApplication to exist.
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
    bool isPanelVisible() const;

    /// The one service of the run. Valid after start().
    MenuBarService &service();

    /// Shows the fallback icon window instead of the tray icon (true), or the
    /// tray icon again (false). Used where no tray host shows the icon.
    void setUseFallbackIcon(bool useFallback);
    bool usesFallbackIcon() const { return m_useFallbackIcon; }

    /// The panel window (for hooks that drive the application).
    QQuickView *panelWindow() const;

signals:
    void panelVisibleChanged(bool visible);

private:
    bool claimInstance();
    void showPanel();
    void placePanel();
    QRect iconGeometry() const;
    QRect fallbackIconRect() const;
    void updateIcons();

    bool m_primary = false;
    std::unique_ptr<QLockFile> m_lockFile;
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<MenuBarService> m_service;
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<PanelWindow> m_panel;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon; // macOS; on Linux the icon is m_linuxIcon's
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    std::unique_ptr<LinuxStatusIcon> m_linuxIcon;
#endif
    std::unique_ptr<QWidget> m_fallbackIcon;
    std::unique_ptr<ColorScheme> m_colorScheme;
    bool m_useFallbackIcon = false;
    QRect m_anchor;        // where the panel was opened from
    QElapsedTimer m_sinceAutoClose; // the panel last closed itself
};

} // namespace Trayvane
