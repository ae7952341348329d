// The application entry: single instance, the service, the status icon and the
// panel window.
#include "TrayvaneApp.h"

#include "AppIdentity.h"
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
#include <QLabel>
#include <QMouseEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>

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

} // namespace

// The frameless panel window. Closes itself like a menu-bar panel: on a click
// outside it, on Escape and when another window takes the focus.
class PanelWindow : public QQuickView
{
public:
    std::function<void()> onAutoClose;

    PanelWindow()
    {
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
    void closeItself()
    {
        close();
        if (onAutoClose)
            onAutoClose();
    }

    bool m_wasActive = false;
};

// The stand-in for the tray icon where the desktop has none.
class FallbackIcon : public QLabel
{
public:
    std::function<void()> onClicked;

    FallbackIcon()
    {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setWindowTitle(QStringLiteral("Trayvane Icon"));
        setFixedSize(fallbackIconSize, fallbackIconSize);
        setAlignment(Qt::AlignCenter);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && onClicked)
            onClicked();
    }
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
    // Qt chooses once, when the first tray icon is made, between a
    // StatusNotifier host and the X11 tray. Where the desktop has an X11 tray
    // and no watcher of its own, make the icon before Trayvane's watcher
    // exists, so that it goes to that tray; otherwise make it afterwards, so
    // that it registers with the watcher that runs (the desktop's or ours).
    bool trayOnStatusNotifier = true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    trayOnStatusNotifier = desktopHasStatusNotifierWatcher() || !desktopHasX11Tray();
#endif
    if (!trayOnStatusNotifier)
        m_trayIcon = std::make_unique<QSystemTrayIcon>();
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
        const auto resize = [this, content] {
            m_panel->resize(int(std::ceil(content->implicitWidth())), int(std::ceil(content->implicitHeight())));
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

    if (!m_trayIcon)
        m_trayIcon = std::make_unique<QSystemTrayIcon>();
    m_trayIcon->setToolTip(QStringLiteral("Trayvane"));
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel();
    });
    // The teal of the light or the dark scheme, repainted when the desktop switches.
    m_colorScheme = std::make_unique<ColorScheme>();
    connect(m_colorScheme.get(), &ColorScheme::darkChanged, this, &TrayvaneApp::updateIcons);
    updateIcons();
    setUseFallbackIcon(!QSystemTrayIcon::isSystemTrayAvailable());

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Linux hooks: the control interface on the session bus, and the fallback
    // window whenever no other tray host shows Trayvane's own item.
    attachLinuxIntegration(
        *m_platform, *m_service, [this] { togglePanel(); },
        trayOnStatusNotifier ? std::function<void(bool)>([this](bool useFallback) { setUseFallbackIcon(useFallback); })
                             : std::function<void(bool)>(),
        this);
#endif
}

void TrayvaneApp::updateIcons()
{
    const QIcon icon = MenuBarLabel::coloredIcon(m_colorScheme && m_colorScheme->dark());
    if (m_trayIcon)
        m_trayIcon->setIcon(icon);
    if (auto *label = dynamic_cast<QLabel *>(m_fallbackIcon.get()))
        label->setPixmap(icon.pixmap(int(MenuBarLabel::pointSize)));
}

void TrayvaneApp::setUseFallbackIcon(bool useFallback)
{
    m_useFallbackIcon = useFallback;
    if (!m_trayIcon)
        return;
    if (!useFallback) {
        m_fallbackIcon.reset();
        m_trayIcon->show();
        return;
    }
    m_trayIcon->hide();
    if (!m_fallbackIcon) {
        auto fallback = std::make_unique<FallbackIcon>();
        fallback->onClicked = [this] { togglePanel(); };
        m_fallbackIcon = std::move(fallback);
        updateIcons();
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    m_fallbackIcon->move(area.right() + 1 - fallbackIconSize - fallbackIconMargin, area.top() + fallbackIconMargin);
    m_fallbackIcon->show();
}

QRect TrayvaneApp::iconGeometry() const
{
    if (m_useFallbackIcon && m_fallbackIcon)
        return m_fallbackIcon->frameGeometry();
    if (m_trayIcon) {
        const QRect rect = m_trayIcon->geometry();
        if (rect.isValid() && !rect.isEmpty())
            return rect;
    }
    // The tray reports no geometry: open at the pointer.
    return QRect(QCursor::pos(), QSize(1, 1));
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
    QScreen *screen = QGuiApplication::screenAt(m_anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = m_panel->size();

    int x = m_anchor.center().x() - size.width() / 2;
    // Under the icon when it sits in the upper half of the screen, else above.
    int y = m_anchor.center().y() <= area.center().y() ? m_anchor.bottom() + 1 + panelGap
                                                       : m_anchor.top() - panelGap - size.height();
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    m_panel->setPosition(x, y);
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
