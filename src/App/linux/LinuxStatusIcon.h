// Trayvane's own icon on Linux. Its StatusNotifierItem is always published;
// while no other host shows it, the icon docks in an X11 (XEmbed) tray when
// one runs, and otherwise is nowhere (the application then shows its fallback
// window). Follows hosts and trays that come and go.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <memory>

class QSystemTrayIcon;

namespace Trayvane {

class TrayvaneStatusItem;
class X11TrayWatch;

/// The bar a host's click landed in, as far as it can be told from the
/// click: near a screen edge, the strip from that edge to a little beyond the
/// click; elsewhere the point itself.
QRect barAround(QPoint click);

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

    /// Publishes the item. Until hostShowsItem() is first called only an X11
    /// tray that is there for sure places the icon.
    void publish();
    /// Whether a host other than Trayvane shows the item (the platform's
    /// debounced answer).
    void hostShowsItem(bool shown);

    void setIcon(const QIcon &icon);

    /// Where the icon is on screen, as far as known: the X11 tray icon's
    /// geometry, or the bar around the last click a host passed on; empty
    /// when nobody told.
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
