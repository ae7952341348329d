// The application entry: single instance, the service, the status icon and the
// panel window.
#include "TrayvaneApp.h"

#include "Platform/AppIdentity.h"
#include "ColorScheme.h"
#include "MenuBarLabel.h"
#include "Platform/SystemLoginItem.h"
#include "Platform/SystemPlatform.h"
#include "Services/MenuBarService.h"
#include "UserSettings.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QKeyEvent>
#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#if defined(Q_OS_MACOS)
#include "Platform/mac/MacInstance.h"
#include "Platform/mac/MacPanel.h"
#endif
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include "Platform/linux/LinuxIntegration.h"
#endif

namespace Trayvane {

namespace {

constexpr int panelGap = 4;           // between the icon and the panel
constexpr int reopenGuardMs = 300;    // a click that closed the panel does not reopen it
constexpr int fallbackIconSize = 28;
constexpr int fallbackIconMargin = 6;
constexpr qreal fallbackIconRadius = 7;

} // namespace

// The frameless panel window. Closes itself like a menu-bar panel: on a click
// outside it, on Escape and when another window takes the focus.
class PanelWindow : public QQuickView
{
public:
    std::function<void()> onAutoClose;

    PanelWindow()
    {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        // On a Wayland desktop the X11 window manager is the compositor, which
        // tiles or centres managed windows: the panel places itself there. It
        // stays a normal window type, so that the compositor gives it the keyboard.
        if (isXWaylandSession())
            setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        else
#endif
            setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setTitle(QStringLiteral("Trayvane Panel"));
        setColor(Qt::transparent);
        connect(this, &QWindow::activeChanged, this, [this] {
            if (isActive())
                m_wasActive = true;
            else if (m_wasActive && isVisible())
                closeItself();
        });
    }

    void open()
    {
        m_wasActive = false;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        markSkipTaskbar(this);
        if (isXWaylandSession()) {
            openOnXWayland();
            return;
        }
#endif
        show();
        raise();
        requestActivate();
        // The grab needs a mapped window; take it once the window shows.
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                setMouseGrabEnabled(true);
        });
    }

    void close()
    {
        setMouseGrabEnabled(false);
        hide();
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        m_backdrop.reset();
#endif
    }

protected:
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (!QRectF(QPointF(0, 0), size()).contains(mouse->position())) {
                closeItself();
                return true;
            }
            break;
        }
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                closeItself();
                return true;
            }
            break;
        default:
            break;
        }
        return QQuickView::event(event);
    }

private:
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // The compositor tells an X11 window neither of clicks on its own
    // surfaces nor of keyboard focus moving there, and it takes back focus
    // that the window takes itself. A clear window over the rest of the screen
    // catches the click outside (on the bar's icon too) and Escape.
    class Backdrop : public QWidget
    {
    public:
        std::function<void()> onDismiss;
        Backdrop()
        {
            setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::X11BypassWindowManagerHint);
            setAttribute(Qt::WA_TranslucentBackground);
            setWindowTitle(QStringLiteral("Trayvane Backdrop"));
        }

    protected:
        void mousePressEvent(QMouseEvent *) override { onDismiss(); }
        void keyPressEvent(QKeyEvent *event) override
        {
            if (event->key() == Qt::Key_Escape)
                onDismiss();
        }
    };

    void openOnXWayland()
    {
        if (!m_backdrop) {
            m_backdrop = std::make_unique<Backdrop>();
            m_backdrop->onDismiss = [this] { QTimer::singleShot(0, this, [this] { closeItself(); }); };
        }
        const QScreen *screen = QGuiApplication::screenAt(position());
        m_backdrop->setGeometry(screen ? screen->geometry() : QRect(0, 0, 8192, 8192));
        m_backdrop->show();
        show();
        raise();
    }

    std::unique_ptr<Backdrop> m_backdrop;
#endif

    void closeItself()
    {
        close();
        if (onAutoClose)
            onAutoClose();
    }

    bool m_wasActive = false;
};

// The stand-in for the tray icon where the desktop has none: the icon on a
// small rounded tile of the window colour, drawn at the screen's pixel ratio.
class FallbackIcon : public QWidget
{
public:
    std::function<void()> onClicked;

    FallbackIcon()
    {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setWindowTitle(QStringLiteral("Trayvane Icon"));
        setAttribute(Qt::WA_TranslucentBackground);
        setFixedSize(fallbackIconSize, fallbackIconSize);
        // Without a compositor the transparent corners would show black.
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), fallbackIconRadius, fallbackIconRadius);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }

    void setDark(bool dark)
    {
        m_dark = dark;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF tile = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = m_dark ? QColor(44, 44, 46) : QColor(250, 250, 252);
        if (m_hovered)
            fill = m_dark ? fill.lighter(130) : fill.darker(106);
        painter.setPen(QPen(m_dark ? QColor(255, 255, 255, 56) : QColor(0, 0, 0, 48), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(tile, fallbackIconRadius - 0.5, fallbackIconRadius - 0.5);

        const qreal ratio = devicePixelRatioF();
        const int side = int(MenuBarLabel::pointSize);
        QImage icon = MenuBarLabel::coloredImage(qRound(side * ratio), m_dark);
        icon.setDevicePixelRatio(ratio);
        painter.drawImage(QPointF((width() - side) / 2, (height() - side) / 2), icon);
    }

    void enterEvent(QEnterEvent *) override { setHovered(true); }
    void leaveEvent(QEvent *) override { setHovered(false); }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && onClicked)
            onClicked();
    }

private:
    void setHovered(bool hovered)
    {
        m_hovered = hovered;
        update();
    }

    bool m_dark = false;
    bool m_hovered = false;
};

TrayvaneApp::TrayvaneApp(QObject *parent)
    : QObject(parent)
{
    m_primary = claimInstance();
}

TrayvaneApp::~TrayvaneApp()
{
    // The panel's view refers to the service and the settings: it goes first.
    m_panel.reset();
    m_trayIcon.reset();
    m_fallbackIcon.reset();
}

bool TrayvaneApp::claimInstance()
{
#if defined(Q_OS_MACOS)
    // Every running application with this bundle identifier is a copy, this
    // process included.
    return runningCopiesOfThisProgram() < 2;
#else
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()) {
        const auto reply = bus.interface()->registerService(applicationId, QDBusConnectionInterface::DontQueueService,
                                                            QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid())
            return reply.value() == QDBusConnectionInterface::ServiceRegistered;
    }
    // No session bus: a lock file in the runtime folder decides.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_lockFile = std::make_unique<QLockFile>(QDir(folder).filePath(applicationId + QStringLiteral(".lock")));
    m_lockFile->setStaleLockTime(0);
    return m_lockFile->tryLock(0);
#endif
}

void TrayvaneApp::start()
{
    Q_ASSERT(m_primary && !m_service);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Made before the platform starts Trayvane's watcher (see LinuxStatusIcon).
    m_linuxIcon = std::make_unique<LinuxStatusIcon>();
#endif
    m_platform = createSystemPlatform();
    m_service = std::make_unique<MenuBarService>(*m_platform);
    m_settings = std::make_unique<UserSettings>();

    m_panel = std::make_unique<PanelWindow>();
    m_panel->engine()->addImportPath(QStringLiteral("qrc:/"));
    connect(m_panel->engine(), &QQmlEngine::quit, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    m_panel->setResizeMode(QQuickView::SizeRootObjectToView);
    m_panel->setInitialProperties({
        {QStringLiteral("service"), QVariant::fromValue<QObject *>(m_service.get())},
        {QStringLiteral("settings"), QVariant::fromValue<QObject *>(m_settings.get())},
        {QStringLiteral("loginItem"), QVariant::fromValue<QObject *>(createSystemLoginItem(this))},
    });
    m_panel->setSource(QUrl(QStringLiteral("qrc:/Trayvane/ContentView.qml")));
    if (QQuickItem *content = m_panel->rootObject()) {
        // A Wayland compositor floats a window of fixed size instead of tiling it.
        const bool fixSize = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        const auto resize = [this, content, fixSize] {
            const QSize size(int(std::ceil(content->implicitWidth())), int(std::ceil(content->implicitHeight())));
            if (fixSize) {
                m_panel->setMinimumSize(size);
                m_panel->setMaximumSize(size);
            }
            m_panel->resize(size);
            if (m_panel->isVisible())
                placePanel();
        };
        connect(content, &QQuickItem::implicitHeightChanged, this, resize);
        connect(content, &QQuickItem::implicitWidthChanged, this, resize);
        resize();
    }
    m_panel->onAutoClose = [this] {
        m_sinceAutoClose.start();
        emit panelVisibleChanged(false);
    };
#if defined(Q_OS_MACOS)
    attachPanelBehaviour(*m_panel, [this] { m_panel->close(); m_panel->onAutoClose(); });
#endif

    // The teal of the light or the dark scheme, repainted when the desktop switches.
    m_colorScheme = std::make_unique<ColorScheme>();
    connect(m_colorScheme.get(), &ColorScheme::darkChanged, this, &TrayvaneApp::updateIcons);

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // The control interface on the session bus, and the fallback window
    // wherever neither a StatusNotifier host nor an X11 tray shows the icon.
    attachLinuxIntegration(*m_service, [this] { togglePanel(); }, this);
    connect(m_linuxIcon.get(), &LinuxStatusIcon::activated, this, &TrayvaneApp::togglePanel);
    connect(m_linuxIcon.get(), &LinuxStatusIcon::placeChanged, this,
            [this](LinuxStatusIcon::Place place) { setUseFallbackIcon(place == LinuxStatusIcon::Place::Nowhere); });
    updateIcons();
    m_linuxIcon->attach(*m_platform);
#else
    m_trayIcon = std::make_unique<QSystemTrayIcon>();
    m_trayIcon->setToolTip(QStringLiteral("Trayvane"));
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel();
    });
    updateIcons();
    setUseFallbackIcon(!QSystemTrayIcon::isSystemTrayAvailable());
#endif
}

void TrayvaneApp::updateIcons()
{
    const bool dark = m_colorScheme && m_colorScheme->dark();
    const QIcon icon = MenuBarLabel::coloredIcon(dark);
    if (m_trayIcon)
        m_trayIcon->setIcon(icon);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (m_linuxIcon)
        m_linuxIcon->setIcon(icon);
#endif
    if (auto *fallback = dynamic_cast<FallbackIcon *>(m_fallbackIcon.get()))
        fallback->setDark(dark);
}

void TrayvaneApp::setUseFallbackIcon(bool useFallback)
{
    m_useFallbackIcon = useFallback;
    if (m_trayIcon)
        m_trayIcon->setVisible(!useFallback);
    if (!useFallback) {
        m_fallbackIcon.reset();
        return;
    }
    if (!m_fallbackIcon) {
        auto fallback = std::make_unique<FallbackIcon>();
        fallback->onClicked = [this] { togglePanel(); };
        m_fallbackIcon = std::move(fallback);
        updateIcons();
    }
    m_fallbackIcon->move(fallbackIconRect().topLeft());
    m_fallbackIcon->show();
}

QRect TrayvaneApp::fallbackIconRect() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    return QRect(area.right() + 1 - fallbackIconSize - fallbackIconMargin, area.top() + fallbackIconMargin,
                 fallbackIconSize, fallbackIconSize);
}

QRect TrayvaneApp::iconGeometry() const
{
    // Where the fallback window was put: its own frame is not known to the
    // toolkit before the window server has shown it.
    if (m_useFallbackIcon && m_fallbackIcon)
        return fallbackIconRect();
    QRect rect;
    if (m_trayIcon)
        rect = m_trayIcon->geometry();
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (m_linuxIcon)
        rect = m_linuxIcon->geometry();
#endif
    if (rect.isValid() && !rect.isEmpty())
        return rect;
    return {};
}

void TrayvaneApp::togglePanel()
{
    if (!m_panel)
        return;
    if (m_panel->isVisible()) {
        m_panel->close();
        emit panelVisibleChanged(false);
        return;
    }
    // The click on the icon that just closed the panel must not reopen it.
    if (m_sinceAutoClose.isValid() && m_sinceAutoClose.elapsed() < reopenGuardMs)
        return;
    showPanel();
}

void TrayvaneApp::showPanel()
{
    m_anchor = iconGeometry();
    placePanel();
    m_panel->open();
    emit panelVisibleChanged(true);
}

void TrayvaneApp::placePanel()
{
    const QPoint pointer = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(m_anchor.isNull() ? pointer : m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Where a compositor draws the window, the panel has a shadow margin
    // around it; the panel itself, not its shadow, goes under the icon.
    const QQuickItem *content = m_panel->rootObject();
    const int margin = content ? qRound(content->property("frameMargin").toReal()) : 0;
    const QSize size = m_panel->size() - QSize(2 * margin, 2 * margin);
    QRect anchor = m_anchor;
    if (anchor.isNull()) {
        // Nobody told where the icon is (a hotkey, or a host that passes no
        // position): near the top edge, at the pointer when the pointer is on
        // this screen, else at the right end.
        const int x = area.contains(pointer) && pointer != QPoint(0, 0) ? pointer.x()
                                                                        : area.right() + 1 - size.width() / 2 - panelGap;
        anchor = QRect(x, area.top(), 1, 1);
    }

    int x = anchor.center().x() - size.width() / 2;
    // Under the icon when it sits in the upper half of the screen, else above.
    int y = anchor.center().y() <= area.center().y() ? anchor.bottom() + 1 + panelGap
                                                     : anchor.top() - panelGap - size.height();
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    m_panel->setPosition(x - margin, y - margin);
}

bool TrayvaneApp::isPanelVisible() const
{
    return m_panel && m_panel->isVisible();
}

MenuBarService &TrayvaneApp::service()
{
    Q_ASSERT(m_service);
    return *m_service;
}

QQuickView *TrayvaneApp::panelWindow() const
{
    return m_panel.get();
}

} // namespace Trayvane
