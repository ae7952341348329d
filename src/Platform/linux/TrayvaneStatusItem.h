// Trayvane's own StatusNotifierItem: published on the session bus and
// registered with whichever watcher runs, again whenever the watcher changes
// hands. Hosts pass the click position to Activate, which tells where the icon
// sits on screen.
//
// Its D-Bus face is generated from interfaces/org.kde.StatusNotifierItem.xml
// (StatusNotifierItemAdaptor), which reads the properties and calls the
// protocol's methods below.
#pragma once

#include "Platform/linux/SniTypes.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QObject>
#include <QPoint>

#include <optional>

class QDBusServiceWatcher;

namespace Trayvane {

/// One IconPixmap entry: ARGB32 in network byte order.
using SniIconPixmap = Sni::Pixmap;
using SniIconPixmapList = Sni::PixmapList;

class TrayvaneStatusItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Category READ category CONSTANT)
    Q_PROPERTY(QString Id READ id CONSTANT)
    Q_PROPERTY(QString Title READ title CONSTANT)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId CONSTANT)
    Q_PROPERTY(QString IconThemePath READ empty CONSTANT)
    Q_PROPERTY(QString IconName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::Sni::PixmapList IconPixmap READ iconPixmaps)
    Q_PROPERTY(QString OverlayIconName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::Sni::PixmapList OverlayIconPixmap READ noPixmaps CONSTANT)
    Q_PROPERTY(QString AttentionIconName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::Sni::PixmapList AttentionIconPixmap READ noPixmaps CONSTANT)
    Q_PROPERTY(QString AttentionMovieName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::Sni::ToolTip ToolTip READ toolTip CONSTANT)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu CONSTANT)
    Q_PROPERTY(QDBusObjectPath Menu READ menu CONSTANT)

public:
    static inline const QString ObjectPath = QStringLiteral("/StatusNotifierItem");

    /// Exports the item on `connection` and registers it with the watcher
    /// that runs now or later. Nothing here waits on another program.
    explicit TrayvaneStatusItem(const QDBusConnection &connection, QObject *parent = nullptr);
    ~TrayvaneStatusItem() override;

    void setIcon(const QIcon &icon);
    const SniIconPixmapList &iconPixmaps() const { return m_pixmaps; }

    /// "Active", or "Passive" while the icon is shown elsewhere (an X11 tray),
    /// so that a bar which shows both kinds shows it once.
    void setActive(bool active);
    QString status() const { return m_active ? QStringLiteral("Active") : QStringLiteral("Passive"); }

    /// Where the last host click landed, in global coordinates; none when no
    /// host told it (hosts that do not know pass 0, 0).
    std::optional<QPoint> lastClickPosition() const { return m_lastClick; }

    /// The icon as IconPixmap entries at the sizes hosts draw.
    static SniIconPixmapList pixmapsOf(const QIcon &icon);

    // The protocol's methods: every click asks for the panel.
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y) { Activate(x, y); }
    void ContextMenu(int x, int y) { Activate(x, y); }
    void Scroll(int, const QString &) {}

signals:
    /// A host asked for the panel (a click on the item).
    void activated();
    // The protocol's change signals, relayed by the adaptor.
    void NewIcon();
    void NewStatus(const QString &status);

private:
    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("trayvane"); }
    QString title() const { return QStringLiteral("Trayvane"); }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    SniIconPixmapList noPixmaps() const { return {}; }
    Sni::ToolTip toolTip() const { return {{}, {}, QStringLiteral("Trayvane"), {}}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }
    void registerWithWatcher();

    QDBusConnection m_connection;
    QDBusServiceWatcher *m_watcherWatch = nullptr;
    SniIconPixmapList m_pixmaps;
    std::optional<QPoint> m_lastClick;
    bool m_exported = false;
    bool m_active = true;
};

} // namespace Trayvane
