// Trayvane's own icon on Linux: the StatusNotifierItem, or an X11 tray icon.
#include "App/linux/LinuxStatusIcon.h"

#include "App/linux/X11Display.h"
#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/TrayvaneStatusItem.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <functional>
#include <string>

namespace Trayvane {

// Follows the owner of the X11 tray selection: a tray announces itself with a
// MANAGER message to the root window and goes away with its selection window.
class X11TrayWatch : public QObject, public QAbstractNativeEventFilter
{
public:
    std::function<void()> onChanged;

    X11TrayWatch()
    {
        m_display = x11Display();
        if (!m_display)
            return;
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(m_display));
        m_selection = XInternAtom(m_display, selection.c_str(), False);
        m_manager = XInternAtom(m_display, "MANAGER", False);
        const Window root = DefaultRootWindow(m_display);
        // Add to what the toolkit already listens for on the root window.
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, root, &attributes))
            XSelectInput(m_display, root, attributes.your_event_mask | StructureNotifyMask);
        QCoreApplication::instance()->installNativeEventFilter(this);
        refresh();
    }

    ~X11TrayWatch() override
    {
        if (m_display)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool isPresent() const { return m_owner != None; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        switch (event->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            const auto *client = reinterpret_cast<const xcb_client_message_event_t *>(event);
            if (client->type == m_manager && client->format == 32 && client->data.data32[1] == m_selection)
                QTimer::singleShot(0, this, [this] { refresh(); });
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == m_owner)
                QTimer::singleShot(0, this, [this] { refresh(); });
            break;
        default:
            break;
        }
        return false;
    }

private:
    // Trayvane's own off-screen tray, which holds the selection for moments,
    // is no place for its icon.
    bool isOwnTray(Window window) const
    {
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        bool own = false;
        if (XGetWindowProperty(m_display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &data) == Success
            && data) {
            own = format == 32 && count == 1
                  && qint64(*reinterpret_cast<const long *>(data)) == QCoreApplication::applicationPid();
            XFree(data);
        }
        return own;
    }

    void refresh()
    {
        Window owner = XGetSelectionOwner(m_display, m_selection);
        if (owner != None && isOwnTray(owner))
            owner = None;
        if (owner != None && owner != m_owner)
            XSelectInput(m_display, owner, StructureNotifyMask);
        XFlush(m_display);
        const bool changed = owner != m_owner;
        m_owner = owner;
        if (changed && onChanged)
            onChanged();
    }

    Display *m_display = nullptr;
    Atom m_selection = None;
    Atom m_manager = None;
    Window m_owner = None;
};

namespace {

// Whether another program runs a StatusNotifierWatcher now (a question to the
// bus daemon only). Asked before Trayvane starts its own.
bool desktopHasStatusNotifierWatcher()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(Sni::WatcherService).value();
}

} // namespace

QRect barAround(QPoint click)
{
    // A host tells where the click landed inside its bar, not where the bar
    // ends. Near a screen edge the bar is taken to reach from that edge to as
    // far beyond the click as the click is from the edge (a click on an icon
    // lands about in the middle of the bar), and at least 12 pixels beyond.
    constexpr int nearEdge = 64;
    constexpr int beyondClick = 12;
    const QScreen *screen = QGuiApplication::screenAt(click);
    if (!screen)
        return QRect(click, QSize(1, 1));
    const QRect area = screen->geometry();
    const int fromTop = click.y() - area.top();
    const int fromBottom = area.bottom() - click.y();
    if (fromTop < nearEdge)
        return QRect(click.x(), area.top(), 1, std::max(2 * fromTop, fromTop + beyondClick));
    if (fromBottom < nearEdge) {
        const int height = std::max(2 * fromBottom, fromBottom + beyondClick);
        return QRect(click.x(), area.bottom() + 1 - height, 1, height);
    }
    return QRect(click, QSize(1, 1));
}

LinuxStatusIcon::LinuxStatusIcon(QObject *parent)
    : QObject(parent)
{
    // With a watcher on the bus Qt's tray icon may turn out to be a second
    // StatusNotifierItem; the X11 tray is then left alone.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || desktopHasStatusNotifierWatcher())
        return;
    m_x11Icon = std::make_unique<QSystemTrayIcon>();
    m_x11Icon->setToolTip(QStringLiteral("Trayvane"));
    connect(m_x11Icon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit activated();
    });
    m_x11Tray = std::make_unique<X11TrayWatch>();
    m_x11Tray->onChanged = [this] {
        // A new tray gets a new icon window: the old one went with the old tray.
        if (m_x11Icon->isVisible())
            m_x11Icon->hide();
        update();
    };
}

LinuxStatusIcon::~LinuxStatusIcon() = default;

void LinuxStatusIcon::publish()
{
    m_item = new TrayvaneStatusItem(QDBusConnection::sessionBus(), this);
    m_item->setIcon(m_icon);
    connect(m_item, &TrayvaneStatusItem::activated, this, &LinuxStatusIcon::activated);
    update();
}

void LinuxStatusIcon::hostShowsItem(bool shown)
{
    m_hostShowsItem = shown;
    m_hostDecided = true;
    update();
}

void LinuxStatusIcon::setIcon(const QIcon &icon)
{
    m_icon = icon;
    if (m_item)
        m_item->setIcon(icon);
    if (m_x11Icon)
        m_x11Icon->setIcon(icon);
}

void LinuxStatusIcon::update()
{
    Place place = Place::Nowhere;
    if (m_hostShowsItem)
        place = Place::StatusNotifierHost;
    else if (m_x11Tray && m_x11Tray->isPresent())
        place = Place::X11Tray;
    // Until the hosts are known, only a tray that is there for sure counts.
    if (!m_hostDecided && place == Place::Nowhere)
        return;

    if (m_item)
        m_item->setActive(place != Place::X11Tray);
    if (m_x11Icon) {
        if (place == Place::X11Tray)
            m_x11Icon->show();
        else
            m_x11Icon->hide();
    }
    if (place != m_place || !m_placeAnnounced) {
        m_place = place;
        m_placeAnnounced = true;
        emit placeChanged(place);
    }
}

QRect LinuxStatusIcon::geometry() const
{
    if (m_place == Place::X11Tray && m_x11Icon) {
        const QRect rect = m_x11Icon->geometry();
        if (rect.isValid() && !rect.isEmpty())
            return rect;
    }
    if (m_item) {
        if (const auto click = m_item->lastClickPosition())
            return barAround(*click);
    }
    return {};
}

} // namespace Trayvane
