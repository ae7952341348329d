// Trayvane's own StatusNotifierItem: published on the session bus and
// registered with whichever watcher runs, again whenever the watcher changes
// hands. Hosts pass the click position to Activate, which tells where the icon
// sits on screen.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QObject>
#include <QPoint>

#include <optional>

class QDBusServiceWatcher;

namespace Trayvane {

/// One IconPixmap entry: ARGB32 in network byte order.
struct SniIconPixmap
{
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniIconPixmapList = QList<SniIconPixmap>;

struct SniToolTipValue
{
    QString iconName;
    SniIconPixmapList pixmaps;
    QString title;
    QString text;
};

class TrayvaneStatusItem : public QObject
{
    Q_OBJECT

public:
    static inline const QString ObjectPath = QStringLiteral("/StatusNotifierItem");

    /// Exports the item on `connection` and registers it with the watcher
    /// that runs now or later. Nothing here waits on another program.
    explicit TrayvaneStatusItem(const QDBusConnection &connection, QObject *parent = nullptr);
    ~TrayvaneStatusItem() override;

    bool isExported() const { return m_exported; }

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

    // Called by the adaptor.
    void activate(int x, int y);

signals:
    /// A host asked for the panel (a click on the item).
    void activated();
    void newIcon();
    void newStatus(const QString &status);

private:
    void registerWithWatcher();

    QDBusConnection m_connection;
    QDBusServiceWatcher *m_watcherWatch = nullptr;
    SniIconPixmapList m_pixmaps;
    std::optional<QPoint> m_lastClick;
    bool m_exported = false;
    bool m_active = true;
};

class TrayvaneStatusItemAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category CONSTANT)
    Q_PROPERTY(QString Id READ id CONSTANT)
    Q_PROPERTY(QString Title READ title CONSTANT)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId CONSTANT)
    Q_PROPERTY(QString IconThemePath READ empty CONSTANT)
    Q_PROPERTY(QString IconName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::SniIconPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::SniIconPixmapList OverlayIconPixmap READ noPixmaps CONSTANT)
    Q_PROPERTY(QString AttentionIconName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::SniIconPixmapList AttentionIconPixmap READ noPixmaps CONSTANT)
    Q_PROPERTY(QString AttentionMovieName READ empty CONSTANT)
    Q_PROPERTY(Trayvane::SniToolTipValue ToolTip READ toolTip CONSTANT)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu CONSTANT)
    Q_PROPERTY(QDBusObjectPath Menu READ menu CONSTANT)

public:
    explicit TrayvaneStatusItemAdaptor(TrayvaneStatusItem *item);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("trayvane"); }
    QString title() const { return QStringLiteral("Trayvane"); }
    QString status() const { return m_item->status(); }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    SniIconPixmapList iconPixmap() const { return m_item->iconPixmaps(); }
    SniIconPixmapList noPixmaps() const { return {}; }
    SniToolTipValue toolTip() const { return {{}, {}, QStringLiteral("Trayvane"), {}}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }

public slots:
    void Activate(int x, int y) { m_item->activate(x, y); }
    void SecondaryActivate(int x, int y) { m_item->activate(x, y); }
    void ContextMenu(int x, int y) { m_item->activate(x, y); }
    void Scroll(int, const QString &) {}

signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString &status);

private:
    TrayvaneStatusItem *m_item;
};

} // namespace Trayvane

Q_DECLARE_METATYPE(Trayvane::SniIconPixmap)
Q_DECLARE_METATYPE(Trayvane::SniIconPixmapList)
Q_DECLARE_METATYPE(Trayvane::SniToolTipValue)
