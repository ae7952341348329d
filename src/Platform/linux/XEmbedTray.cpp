// Legacy X11 tray icons: the tray selection, Trayvane's own embedding tray,
// and the icons docked in another program's tray.
#include "Platform/linux/XEmbedTray.h"

#include "Platform/linux/XEmbedHelpers.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>

#include <algorithm>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xfixes.h>

namespace Trayvane {

namespace {

// Requests on Trayvane's tray connection that fail (a window that vanished
// meanwhile) are expected; every other connection keeps its handler.
Display *trayDisplay = nullptr;
XErrorHandler previousHandler = nullptr;

int onXError(Display *display, XErrorEvent *event)
{
    if (display == trayDisplay)
        return 0;
    return previousHandler ? previousHandler(display, event) : 0;
}

constexpr long requestDock = 0;
constexpr long embeddedNotify = 0;
// Where Trayvane's own tray keeps its icons: off every screen.
constexpr int parkedX = -4000;
constexpr int parkedY = -4000;

} // namespace

struct XEmbedTray::Private
{
    Display *display = nullptr;
    int screen = 0;
    Window root = 0;
    Atom selection = 0;
    Atom manager = 0;
    Atom opcode = 0;
    Atom xembed = 0;
    Atom xembedInfo = 0;
    Atom netWmName = 0;
    Atom netWmPid = 0;
    Atom utf8 = 0;
    Atom orientation = 0;
    bool hasXTest = false;
    bool hasComposite = false;
    bool hasXRes = false;
    bool hasXFixes = false;
    int xfixesEventBase = 0;
    bool ownTray = true;

    // Trayvane's own tray.
    Window selectionWindow = 0; // kept while Trayvane's tray runs, also between pulses
    bool holding = false;       // owns the selection right now
    QList<Window> candidates;   // new top-level windows that may be icons waiting for a tray
    struct Embedded
    {
        Window icon = 0;
        Window container = 0;
        bool wanted = true; // the program wants it mapped
    };
    QList<Embedded> embedded;
    QTimer park;

    // Another program's tray.
    Window foreignOwner = 0;
    unsigned long trayBase = 0;
    unsigned long trayMask = 0;
    QList<Window> trayTops;
    QSet<Window> watchedTrayWindows;
    bool rediscover = true;

    QHash<quint32, XEmbedIcon> known; // names and pids read once per icon window
    QSet<quint32> redirected;         // foreign icons whose picture is kept in a pixmap

    Embedded *findEmbedded(Window icon)
    {
        for (Embedded &entry : embedded) {
            if (entry.icon == icon)
                return &entry;
        }
        return nullptr;
    }

    QString textProperty(Window window, Atom property, Atom type)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        QString text;
        if (XGetWindowProperty(display, window, property, 0, 256, False, type, &actualType, &format, &count, &after,
                               &data)
                == Success
            && data && format == 8 && actualType == type) {
            const QByteArray bytes(reinterpret_cast<const char *>(data), int(count));
            text = type == utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
        }
        if (data)
            XFree(data);
        return text;
    }

    qint32 pidOf(Window window)
    {
        if (hasXRes) {
            XResClientIdSpec query{window, XRES_CLIENT_ID_PID_MASK};
            long count = 0;
            XResClientIdValue *values = nullptr;
            if (XResQueryClientIds(display, 1, &query, &count, &values) == Success) {
                qint32 pid = 0;
                for (long i = 0; i < count && pid <= 0; ++i)
                    pid = qint32(XResGetClientPid(&values[i]));
                XResClientIdsDestroy(count, values);
                if (pid > 0)
                    return pid;
            }
        }
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        qint32 pid = 0;
        if (XGetWindowProperty(display, window, netWmPid, 0, 1, False, XA_CARDINAL, &actualType, &format, &count,
                               &after, &data)
                == Success
            && data && format == 32 && count == 1)
            pid = qint32(*reinterpret_cast<const unsigned long *>(data));
        if (data)
            XFree(data);
        return pid;
    }

    XEmbedIcon describe(Window window, bool shown)
    {
        auto it = known.find(quint32(window));
        if (it == known.end()) {
            XEmbedIcon icon;
            icon.window = quint32(window);
            icon.pid = pidOf(window);
            icon.title = textProperty(window, netWmName, utf8);
            if (icon.title.isEmpty())
                icon.title = textProperty(window, XA_WM_NAME, XA_STRING);
            XClassHint hint{nullptr, nullptr};
            if (XGetClassHint(display, window, &hint)) {
                icon.instance = QString::fromLocal8Bit(hint.res_name);
                icon.windowClass = QString::fromLocal8Bit(hint.res_class);
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
            it = known.insert(quint32(window), icon);
        }
        it->isShown = shown;
        return *it;
    }

    // The program's wish from _XEMBED_INFO.
    bool wantsMapped(Window icon)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        const bool read = XGetWindowProperty(display, icon, xembedInfo, 0, 2, False, AnyPropertyType, &actualType,
                                             &format, &count, &after, &data)
                              == Success
                          && data && format == 32;
        QList<long> info;
        if (read) {
            const auto *values = reinterpret_cast<const long *>(data);
            for (unsigned long i = 0; i < count; ++i)
                info.append(values[i]);
        }
        if (data)
            XFree(data);
        return XEmbed::wantsMapped(info, read);
    }

    bool hasEmbedInfo(Window window)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        const bool found = XGetWindowProperty(display, window, xembedInfo, 0, 2, False, AnyPropertyType, &actualType,
                                              &format, &count, &after, &data)
                               == Success
                           && data && actualType != None;
        if (data)
            XFree(data);
        return found;
    }

    Time serverTime()
    {
        // A zero-length append makes the server stamp a PropertyNotify.
        XChangeProperty(display, selectionWindow, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
        XEvent event;
        XWindowEvent(display, selectionWindow, PropertyChangeMask, &event);
        return event.xproperty.time;
    }

    void findTrayClient(Window owner)
    {
        trayBase = 0;
        trayMask = 0;
        if (!hasXRes)
            return;
        int count = 0;
        XResClient *clients = nullptr;
        // Unlike the client id query, this one returns non-zero on success.
        if (!XResQueryClients(display, &count, &clients) || !clients)
            return;
        for (int i = 0; i < count; ++i) {
            if (XEmbed::isClientWindow(quint32(owner), quint32(clients[i].resource_base),
                                       quint32(clients[i].resource_mask))) {
                trayBase = clients[i].resource_base;
                trayMask = clients[i].resource_mask;
            }
        }
        XFree(clients);
    }

    bool isTrayWindow(Window window) const
    {
        return XEmbed::isClientWindow(quint32(window), quint32(trayBase), quint32(trayMask));
    }

    QList<Window> children(Window window)
    {
        Window rootReturn = 0, parentReturn = 0;
        Window *list = nullptr;
        unsigned int count = 0;
        QList<Window> result;
        if (XQueryTree(display, window, &rootReturn, &parentReturn, &list, &count) && list) {
            for (unsigned int i = 0; i < count; ++i)
                result.append(list[i]);
        }
        if (list)
            XFree(list);
        return result;
    }

    void watchTrayWindow(Window window)
    {
        if (watchedTrayWindows.contains(window))
            return;
        watchedTrayWindows.insert(window);
        XSelectInput(display, window, SubstructureNotifyMask | StructureNotifyMask | PropertyChangeMask);
    }

    // The tray client's top-level windows, also inside a window manager's frame.
    void discoverTrayTops()
    {
        trayTops.clear();
        for (Window top : children(root)) {
            if (isTrayWindow(top)) {
                trayTops.append(top);
                continue;
            }
            for (Window inner : children(top)) {
                if (isTrayWindow(inner))
                    trayTops.append(inner);
            }
        }
        if (!trayTops.contains(foreignOwner))
            trayTops.append(foreignOwner);
        for (Window top : std::as_const(trayTops))
            watchTrayWindow(top);
        rediscover = false;
    }
};

XEmbedTray::XEmbedTray(bool ownTray, QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->ownTray = ownTray;
    m_rescan.setSingleShot(true);
    m_rescan.setInterval(XEmbed::rescanDelayMs);
    connect(&m_rescan, &QTimer::timeout, this, &XEmbedTray::rescanForeign);
    d->park.setSingleShot(true);
    d->park.setInterval(XEmbed::clickStayMs);
    connect(&d->park, &QTimer::timeout, this, [this]() {
        for (const Private::Embedded &entry : std::as_const(d->embedded))
            XMoveWindow(d->display, entry.container, parkedX, parkedY);
        XFlush(d->display);
    });
    if (QGuiApplication::platformName() != QLatin1String("xcb") || trayDisplay)
        return;
    d->display = XOpenDisplay(nullptr);
    if (!d->display)
        return;
    trayDisplay = d->display;
    previousHandler = XSetErrorHandler(onXError);
    d->screen = DefaultScreen(d->display);
    d->root = RootWindow(d->display, d->screen);
    const QByteArray selectionName = "_NET_SYSTEM_TRAY_S" + QByteArray::number(d->screen);
    d->selection = XInternAtom(d->display, selectionName.constData(), False);
    d->manager = XInternAtom(d->display, "MANAGER", False);
    d->opcode = XInternAtom(d->display, "_NET_SYSTEM_TRAY_OPCODE", False);
    d->xembed = XInternAtom(d->display, "_XEMBED", False);
    d->xembedInfo = XInternAtom(d->display, "_XEMBED_INFO", False);
    d->netWmName = XInternAtom(d->display, "_NET_WM_NAME", False);
    d->netWmPid = XInternAtom(d->display, "_NET_WM_PID", False);
    d->utf8 = XInternAtom(d->display, "UTF8_STRING", False);
    d->orientation = XInternAtom(d->display, "_NET_SYSTEM_TRAY_ORIENTATION", False);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    d->hasXTest = XTestQueryExtension(d->display, &eventBase, &errorBase, &major, &minor);
    d->hasComposite = XCompositeQueryExtension(d->display, &eventBase, &errorBase);
    d->hasXRes = XResQueryExtension(d->display, &eventBase, &errorBase);
    int xfixesErrorBase = 0;
    d->hasXFixes = XFixesQueryExtension(d->display, &d->xfixesEventBase, &xfixesErrorBase)
                   && XFixesQueryVersion(d->display, &major, &minor);
    // MANAGER announcements of new trays, and top-level windows coming.
    XSelectInput(d->display, d->root, StructureNotifyMask | SubstructureNotifyMask);
    // Every change of the selection's owner, also of a tray that does not
    // announce itself, arrives as an event; without the extension the owner
    // is asked for again and again.
    if (d->hasXFixes)
        XFixesSelectSelectionInput(d->display, d->root, d->selection,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                       | XFixesSelectionClientCloseNotifyMask);

    auto *notifier = new QSocketNotifier(ConnectionNumber(d->display), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &XEmbedTray::processEvents);
    // Replies read by our own requests may leave events queued without the
    // socket becoming readable again.
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this]() {
            if (d->display && XEventsQueued(d->display, QueuedAlready) > 0)
                processEvents();
        });
    m_ownerPoll.setInterval(XEmbed::ownerPollMs);
    connect(&m_ownerPoll, &QTimer::timeout, this, &XEmbedTray::updateOwner);
    if (!d->hasXFixes)
        m_ownerPoll.start();
    m_release.setSingleShot(true);
    m_release.setInterval(XEmbed::holdSelectionMs);
    connect(&m_release, &QTimer::timeout, this, &XEmbedTray::release);
    m_candidates.setSingleShot(true);
    m_candidates.setInterval(XEmbed::rescanDelayMs);
    connect(&m_candidates, &QTimer::timeout, this, &XEmbedTray::checkCandidates);
    updateOwner();
    pulse(); // icons already waiting for a tray dock now
}

XEmbedTray::~XEmbedTray()
{
    if (!d->display)
        return;
    releaseEmbedded();
    if (d->selectionWindow)
        XDestroyWindow(d->display, d->selectionWindow); // also gives the selection up
    XSync(d->display, False);
    XCloseDisplay(d->display);
    XSetErrorHandler(previousHandler);
    trayDisplay = nullptr;
}

void XEmbedTray::releaseEmbedded()
{
    // The icons go back to the root window, from where their programs dock
    // them in the next tray; destroying a container with the icon inside
    // would destroy the icon too.
    for (const Private::Embedded &entry : std::as_const(d->embedded)) {
        XSelectInput(d->display, entry.icon, NoEventMask);
        XUnmapWindow(d->display, entry.icon);
        XReparentWindow(d->display, entry.icon, d->root, 0, 0);
        XRemoveFromSaveSet(d->display, entry.icon);
        XDestroyWindow(d->display, entry.container);
    }
    d->embedded.clear();
}

bool XEmbedTray::isAvailable() const
{
    return d->display != nullptr;
}

bool XEmbedTray::runsOwnTray() const
{
    return d->selectionWindow != 0 && !m_foreign;
}

void XEmbedTray::updateOwner()
{
    if (!d->display)
        return;
    const Window owner = XGetSelectionOwner(d->display, d->selection);
    const bool wasForeign = m_foreign;
    const Window previousOwner = d->foreignOwner;
    if (owner != None && owner != d->selectionWindow) {
        // Another tray runs: its programs dock there when it announces itself.
        // Icons whose programs do not move stay in Trayvane's windows.
        d->holding = false;
        m_release.stop();
        if (d->selectionWindow) {
            // Programs move to a new tray only once their old one is gone, and
            // look for it on the next announcement: so the old one goes and
            // the new one is announced again, on its behalf.
            releaseEmbedded();
            XDestroyWindow(d->display, d->selectionWindow);
            d->selectionWindow = 0;
            announce(owner, CurrentTime);
        }
        if (owner != d->foreignOwner) {
            d->foreignOwner = owner;
            d->watchedTrayWindows.clear();
            XSelectInput(d->display, owner, StructureNotifyMask);
            d->findTrayClient(owner);
            d->rediscover = true;
        }
        m_foreign = true;
    } else {
        d->foreignOwner = 0;
        m_foreign = false;
        if (wasForeign)
            pulse(); // that tray went: its icons come back to Trayvane's
    }
    XFlush(d->display);
    if (m_foreign != wasForeign)
        emit foreignTrayChanged(m_foreign);
    // The regular check costs one request; the icons are read again only
    // when the tray changed (its own changes arrive as events).
    if (m_foreign != wasForeign || d->foreignOwner != previousOwner)
        scheduleRescan();
}

void XEmbedTray::pulse()
{
    if (!d->display || !d->ownTray || m_foreign)
        return;
    const Window owner = XGetSelectionOwner(d->display, d->selection);
    if (owner != None && owner != d->selectionWindow) {
        updateOwner();
        return;
    }
    if (!d->selectionWindow) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = PropertyChangeMask | StructureNotifyMask;
        d->selectionWindow = XCreateWindow(d->display, d->root, -1, -1, 1, 1, 0, 0, InputOnly, nullptr,
                                           CWOverrideRedirect | CWEventMask, &attributes);
        long horizontal = 0;
        XChangeProperty(d->display, d->selectionWindow, d->orientation, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char *>(&horizontal), 1);
        // Marks the tray as Trayvane's own, so that Trayvane's status icon
        // never docks into a tray nobody sees.
        long pid = long(QCoreApplication::applicationPid());
        XChangeProperty(d->display, d->selectionWindow, d->netWmPid, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char *>(&pid), 1);
    }
    const Time time = d->serverTime();
    XSetSelectionOwner(d->display, d->selection, d->selectionWindow, time);
    if (XGetSelectionOwner(d->display, d->selection) != d->selectionWindow)
        return;
    d->holding = true;
    announce(d->selectionWindow, time);
    XFlush(d->display);
    m_release.start();
}

void XEmbedTray::announce(unsigned long owner, unsigned long time)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = d->root;
    event.xclient.message_type = d->manager;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(time);
    event.xclient.data.l[1] = long(d->selection);
    event.xclient.data.l[2] = long(owner);
    XSendEvent(d->display, d->root, False, StructureNotifyMask, &event);
}

void XEmbedTray::release()
{
    // Docked icons stay embedded; the selection is free again for a tray that
    // starts later and would refuse to run while somebody owns it.
    if (d->holding && XGetSelectionOwner(d->display, d->selection) == d->selectionWindow)
        XSetSelectionOwner(d->display, d->selection, None, d->serverTime());
    d->holding = false;
    XFlush(d->display);
}

void XEmbedTray::checkCandidates()
{
    bool waiting = false;
    for (Window window : std::as_const(d->candidates)) {
        if (!d->findEmbedded(window) && d->hasEmbedInfo(window))
            waiting = true;
    }
    d->candidates.clear();
    if (waiting)
        pulse();
}

void XEmbedTray::scheduleRescan()
{
    if (!m_rescan.isActive())
        m_rescan.start();
}

void XEmbedTray::rescanForeign()
{
    if (!d->display)
        return;
    QList<XEmbedIcon> icons;
    const qint32 own = qint32(QCoreApplication::applicationPid());
    if (m_foreign && d->foreignOwner) {
        if (d->rediscover)
            d->discoverTrayTops();
        QList<XEmbed::TreeNode> tree;
        QList<Window> pending = d->trayTops;
        QSet<Window> visited;
        while (!pending.isEmpty() && visited.size() < 4096) {
            const Window window = pending.takeFirst();
            if (visited.contains(window))
                continue;
            visited.insert(window);
            for (Window child : d->children(window)) {
                if (d->isTrayWindow(child)) {
                    d->watchTrayWindow(child);
                    pending.append(child);
                    tree.append({quint32(child), quint32(window), true});
                    continue;
                }
                XWindowAttributes attributes{};
                const bool viewable = XGetWindowAttributes(d->display, child, &attributes)
                                      && attributes.map_state == IsViewable;
                tree.append({quint32(child), quint32(window), viewable});
            }
        }
        for (quint32 window : XEmbed::dockedIcons(tree, quint32(d->trayBase), quint32(d->trayMask))) {
            const XEmbedIcon icon = d->describe(window, true);
            if (icon.pid != own)
                icons.append(icon);
        }
    }
    for (const Private::Embedded &entry : std::as_const(d->embedded)) {
        if (!entry.wanted)
            continue;
        const XEmbedIcon icon = d->describe(entry.icon, false);
        if (icon.pid != own)
            icons.append(icon);
    }
    // Forget what no longer docks anywhere, so that a reused window id is read anew.
    QSet<quint32> present;
    for (const XEmbedIcon &icon : std::as_const(icons))
        present.insert(icon.window);
    for (const Private::Embedded &entry : std::as_const(d->embedded))
        present.insert(quint32(entry.icon));
    d->known.removeIf([&present](const auto &entry) { return !present.contains(entry.key()); });
    d->redirected.removeIf([&present](quint32 window) { return !present.contains(window); });
    auto same = [](const XEmbedIcon &a, const XEmbedIcon &b) {
        return a.window == b.window && a.pid == b.pid && a.title == b.title && a.isShown == b.isShown;
    };
    if (!std::equal(icons.cbegin(), icons.cend(), m_icons.cbegin(), m_icons.cend(), same)) {
        m_icons = icons;
        emit iconsChanged();
    }
}

void XEmbedTray::processEvents()
{
    if (!d->display)
        return;
    while (XPending(d->display) > 0) {
        XEvent event;
        XNextEvent(d->display, &event);
        switch (event.type) {
        case ClientMessage:
            if (event.xclient.message_type == d->manager && event.xclient.window == d->root) {
                updateOwner();
            } else if (event.xclient.message_type == d->opcode && event.xclient.window == d->selectionWindow
                       && d->selectionWindow && !m_foreign && event.xclient.data.l[1] == requestDock) {
                const Window icon = Window(event.xclient.data.l[2]);
                XWindowAttributes existing{};
                // A request for a window that does not exist, or a flood of
                // them, leaves no window of Trayvane's behind; Trayvane's own
                // windows are never taken.
                if (icon && !d->findEmbedded(icon) && d->embedded.size() < XEmbed::maxEmbeddedIcons
                    && icon != d->root && XGetWindowAttributes(d->display, icon, &existing)
                    && d->pidOf(icon) != qint32(QCoreApplication::applicationPid())) {
                    XSelectInput(d->display, icon, StructureNotifyMask | PropertyChangeMask);
                    XSetWindowAttributes attributes{};
                    attributes.override_redirect = True;
                    attributes.background_pixel = BlackPixel(d->display, d->screen);
                    const Window container = XCreateWindow(
                        d->display, d->root, parkedX, parkedY, XEmbed::iconSide, XEmbed::iconSide, 0,
                        CopyFromParent, InputOutput, nullptr, CWOverrideRedirect | CWBackPixel, &attributes);
                    // The icon draws into a pixmap of its own, readable while off screen.
                    if (d->hasComposite)
                        XCompositeRedirectSubwindows(d->display, container, CompositeRedirectAutomatic);
                    XAddToSaveSet(d->display, icon);
                    XReparentWindow(d->display, icon, container, 0, 0);
                    XResizeWindow(d->display, icon, XEmbed::iconSide, XEmbed::iconSide);
                    XEvent notify{};
                    notify.xclient.type = ClientMessage;
                    notify.xclient.window = icon;
                    notify.xclient.message_type = d->xembed;
                    notify.xclient.format = 32;
                    notify.xclient.data.l[0] = CurrentTime;
                    notify.xclient.data.l[1] = embeddedNotify;
                    notify.xclient.data.l[3] = long(container);
                    notify.xclient.data.l[4] = 0;
                    XSendEvent(d->display, icon, False, NoEventMask, &notify);
                    XMapWindow(d->display, container);
                    const bool wanted = d->wantsMapped(icon);
                    if (wanted)
                        XMapWindow(d->display, icon);
                    d->embedded.append({icon, container, wanted});
                    XFlush(d->display);
                    scheduleRescan();
                }
            }
            break;
        case SelectionClear:
            if (event.xselectionclear.window == d->selectionWindow)
                QTimer::singleShot(0, this, &XEmbedTray::updateOwner);
            break;
        case DestroyNotify: {
            const Window window = event.xdestroywindow.window;
            if (window == d->foreignOwner) {
                d->foreignOwner = 0;
                QTimer::singleShot(0, this, &XEmbedTray::updateOwner); // take the selection back
            }
            if (Private::Embedded *entry = d->findEmbedded(window)) {
                XDestroyWindow(d->display, entry->container);
                d->embedded.removeIf([window](const Private::Embedded &e) { return e.icon == window; });
            }
            d->watchedTrayWindows.remove(window);
            if (d->trayTops.removeAll(window))
                d->rediscover = true;
            scheduleRescan();
            break;
        }
        case ReparentNotify:
            if (Private::Embedded *entry = d->findEmbedded(event.xreparent.window);
                entry && event.xreparent.parent != entry->container && event.xreparent.event == entry->icon) {
                // Docked elsewhere (a tray that took over): no longer ours.
                XSelectInput(d->display, entry->icon, NoEventMask);
                XRemoveFromSaveSet(d->display, entry->icon);
                XDestroyWindow(d->display, entry->container);
                const Window icon = entry->icon;
                d->embedded.removeIf([icon](const Private::Embedded &e) { return e.icon == icon; });
            }
            if (event.xreparent.event == d->root && m_foreign)
                d->rediscover = true;
            if (event.xreparent.event == d->root && event.xreparent.parent == d->root) {
                d->candidates.append(event.xreparent.window); // back from a tray that went
                m_candidates.start();
            }
            scheduleRescan();
            break;
        case PropertyNotify:
            if (event.xproperty.atom == d->xembedInfo && !d->findEmbedded(event.xproperty.window)) {
                d->candidates.append(event.xproperty.window);
                m_candidates.start();
            }
            if (Private::Embedded *entry = d->findEmbedded(event.xproperty.window)) {
                if (event.xproperty.atom == d->xembedInfo) {
                    entry->wanted = d->wantsMapped(entry->icon);
                    if (entry->wanted)
                        XMapWindow(d->display, entry->icon);
                    else
                        XUnmapWindow(d->display, entry->icon);
                } else if (event.xproperty.atom == d->netWmName || event.xproperty.atom == XA_WM_NAME) {
                    d->known.remove(quint32(entry->icon));
                }
                scheduleRescan();
            }
            break;
        case CreateNotify:
            if (event.xcreatewindow.parent == d->root && !d->watchedTrayWindows.contains(event.xcreatewindow.window)) {
                // A program's icon window waits here for a tray until one announces itself.
                XSelectInput(d->display, event.xcreatewindow.window, PropertyChangeMask);
                d->candidates.append(event.xcreatewindow.window);
                m_candidates.start();
            }
            [[fallthrough]];
        case MapNotify:
        case UnmapNotify:
            if (event.xany.window == d->root && m_foreign && event.type != UnmapNotify)
                d->rediscover = true;
            if (m_foreign && (d->watchedTrayWindows.contains(event.xany.window) || d->rediscover))
                scheduleRescan();
            break;
        default:
            if (d->hasXFixes && event.type == d->xfixesEventBase + XFixesSelectionNotify
                && reinterpret_cast<const XFixesSelectionNotifyEvent &>(event).selection == d->selection)
                updateOwner();
            break;
        }
    }
}

void XEmbedTray::clickAt(const QPoint &pixel)
{
    if (!d->hasXTest)
        return;
    XTestFakeMotionEvent(d->display, d->screen, pixel.x(), pixel.y(), CurrentTime);
    XTestFakeButtonEvent(d->display, Button1, True, CurrentTime);
    XTestFakeButtonEvent(d->display, Button1, False, 50);
    XFlush(d->display);
}

bool XEmbedTray::activate(quint32 window)
{
    if (!d->display || std::none_of(m_icons.cbegin(), m_icons.cend(), [window](const XEmbedIcon &icon) {
            return icon.window == window;
        }))
        return false;
    if (Private::Embedded *entry = d->findEmbedded(Window(window))) {
        // Brought under the pointer, where the program opens its menu or window.
        Window rootReturn = 0, childReturn = 0;
        int x = 0, y = 0, winX = 0, winY = 0;
        unsigned int mask = 0;
        XQueryPointer(d->display, d->root, &rootReturn, &childReturn, &x, &y, &winX, &winY, &mask);
        XMoveWindow(d->display, entry->container, x - XEmbed::iconSide / 2, y - XEmbed::iconSide / 2);
        XRaiseWindow(d->display, entry->container);
        clickAt(QPoint(x, y));
        d->park.start();
        return true;
    }
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d->display, Window(window), &attributes) || attributes.map_state != IsViewable)
        return true; // its tray hides it right now: a click would reach another window
    int x = 0, y = 0;
    Window child = 0;
    if (XTranslateCoordinates(d->display, Window(window), d->root, attributes.width / 2, attributes.height / 2, &x,
                              &y, &child))
        clickAt(QPoint(x, y));
    return true;
}

QImage XEmbedTray::picture(quint32 window)
{
    if (!d->display)
        return {};
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(d->display, Window(window), &attributes) || attributes.map_state != IsViewable
        || attributes.width <= 0 || attributes.height <= 0 || attributes.width > 512 || attributes.height > 512)
        return {};
    XImage *image = nullptr;
    if (!d->findEmbedded(Window(window)) && d->hasComposite && !d->redirected.contains(window)) {
        // A tray's icon may sit partly off screen or under another window:
        // redirected, it keeps its whole picture in a pixmap, drawn as before.
        // The server undoes this when Trayvane's connection closes.
        XCompositeRedirectWindow(d->display, Window(window), CompositeRedirectAutomatic);
        d->redirected.insert(window);
    }
    if (d->hasComposite) {
        const Pixmap pixmap = XCompositeNameWindowPixmap(d->display, Window(window));
        image = XGetImage(d->display, pixmap, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                          AllPlanes, ZPixmap);
        XFreePixmap(d->display, pixmap);
    }
    if (!image) {
        image = XGetImage(d->display, Window(window), 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                          AllPlanes, ZPixmap);
    }
    if (!image)
        return {};
    QImage result;
    if (image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
        const auto format = attributes.depth == 32 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
        result = QImage(reinterpret_cast<const uchar *>(image->data), image->width, image->height,
                        image->bytes_per_line, format)
                     .copy();
    }
    XDestroyImage(image);
    return result;
}

} // namespace Trayvane
