// The application entry: single instance, the service, the status icon and the
// panel window.
#include "TrayvaneApp.h"

#include "App/FallbackIcon.h"
#include "App/PanelWindow.h"
#include "App/SystemIntegration.h"
#include "ColorScheme.h"
#include "MenuBarLabel.h"
#include "Platform/SystemLoginItem.h"
#include "Services/MenuBarService.h"
#include "UserSettings.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace Trayvane {

namespace {

constexpr int panelGap = 4;        // between the icon and the panel
constexpr int reopenGuardMs = 300; // a click that closed the panel does not reopen it

} // namespace

TrayvaneApp::TrayvaneApp(QObject *parent)
    : QObject(parent), m_integration(createSystemIntegration())
{
    m_primary = m_integration->claimInstance();
}

TrayvaneApp::~TrayvaneApp()
{
    // The panel's view refers to the service and the settings: it goes first.
    m_panel.reset();
    m_fallbackIcon.reset();
}

void TrayvaneApp::start()
{
    Q_ASSERT(m_primary && !m_service);
    m_service = std::make_unique<MenuBarService>(m_integration->platform());
    m_settings = std::make_unique<UserSettings>();

    m_panel = m_integration->createPanel();
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
    m_panel->onAutoClose = [this] { m_sinceAutoClose.start(); };

    // The teal of the light or the dark scheme, repainted when the desktop switches.
    m_colorScheme = std::make_unique<ColorScheme>();
    connect(m_colorScheme.get(), &ColorScheme::darkChanged, this, &TrayvaneApp::updateIcons);

    connect(m_integration.get(), &SystemIntegration::iconActivated, this, &TrayvaneApp::togglePanel);
    connect(m_integration.get(), &SystemIntegration::iconShownChanged, this,
            [this](bool shown) { setUseFallbackIcon(!shown); });
    updateIcons();
    m_integration->attach(*m_service, [this] { togglePanel(); });
}

void TrayvaneApp::updateIcons()
{
    const bool dark = m_colorScheme && m_colorScheme->dark();
    m_integration->setIcon(MenuBarLabel::coloredIcon(dark));
    if (m_fallbackIcon)
        m_fallbackIcon->setDark(dark);
}

void TrayvaneApp::setUseFallbackIcon(bool useFallback)
{
    if (!useFallback) {
        m_fallbackIcon.reset();
        return;
    }
    if (!m_fallbackIcon) {
        m_fallbackIcon = std::make_unique<FallbackIcon>();
        m_fallbackIcon->onClicked = [this] { togglePanel(); };
        updateIcons();
    }
    m_fallbackIcon->move(FallbackIcon::placeOnScreen().topLeft());
    m_fallbackIcon->show();
}

QRect TrayvaneApp::iconGeometry() const
{
    if (m_fallbackIcon)
        return FallbackIcon::placeOnScreen();
    const QRect rect = m_integration->iconGeometry();
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

} // namespace Trayvane
