// Connects the Linux-only parts to the application object: the control
// interface on the session bus, Trayvane's own status icon (its
// StatusNotifierItem, or an icon in an X11 tray), and what the panel window
// needs from X11.
#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

class QSystemTrayIcon;
class QWindow;

namespace Trayvane {

class MenuBarService;
class Platform;
class TrayvaneStatusItem;
class X11TrayWatch;

/// Whether another program runs a StatusNotifierWatcher now (a question to
/// the bus daemon only). Asked before Trayvane starts its own.
bool desktopHasStatusNotifierWatcher();

/// Whether an X11 system tray (XEmbed) runs on this display now.
bool desktopHasX11Tray();

/// Whether this X11 display is the X server of a Wayland session (XWayland).
bool isXWaylandSession();

/// Marks a top-level X11 window as one that the taskbar and the pager leave
/// out. Call before each show: window managers drop the marks when a window
/// is hidden. Does nothing off X11.
void markSkipTaskbar(QWindow *window);

/// The bar a host's click landed in, as far as it can be told from the
/// click: near a screen edge, the strip from that edge to a little beyond the
/// click; elsewhere the point itself.
QRect barAround(QPoint click);

/// Exports the control interface. The returned object (owned by `parent`)
/// holds it.
QObject *attachLinuxIntegration(MenuBarService &service, std::function<void()> togglePanel, QObject *parent);

/// Trayvane's own icon. Its StatusNotifierItem is always published; while no
/// other host shows it, the icon docks in an X11 (XEmbed) tray when one runs,
/// and otherwise is nowhere (the application then shows its fallback window).
/// Follows hosts and trays that come and go.
class LinuxStatusIcon : public QObject
{
    Q_OBJECT

public:
    enum class Place { StatusNotifierHost, X11Tray, Nowhere };
    Q_ENUM(Place)

    /// Make it before the platform starts Trayvane's watcher: Qt decides once,
    /// when its first tray icon is made, between the X11 tray and a
    /// StatusNotifier host, and the X11 tray icon is only had while no host is
    /// on the bus.
    explicit LinuxStatusIcon(QObject *parent = nullptr);
    ~LinuxStatusIcon() override;

    /// After the platform exists: publishes the item and follows the hosts.
    void attach(Platform &platform);

    void setIcon(const QIcon &icon);
    Place place() const { return m_place; }

    /// Where the icon is on screen, as far as known: the X11 tray icon's
    /// geometry, or the point of the last click a host passed on; empty when
    /// nobody told.
    QRect geometry() const;

signals:
    void placeChanged(Trayvane::LinuxStatusIcon::Place place);
    void activated();

private:
    void update();

    std::unique_ptr<QSystemTrayIcon> m_x11Icon;
    std::unique_ptr<X11TrayWatch> m_x11Tray;
    TrayvaneStatusItem *m_item = nullptr;
    QIcon m_icon;
    bool m_hostShowsItem = false;
    bool m_hostDecided = false;
    Place m_place = Place::Nowhere;
    bool m_placeAnnounced = false;
};

} // namespace Trayvane
