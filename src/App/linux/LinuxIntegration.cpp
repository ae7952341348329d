// The application entry's Linux side.
#include "App/linux/LinuxIntegration.h"

#include "App/linux/LinuxPanelWindow.h"
#include "App/linux/LinuxStatusIcon.h"
#include "App/linux/TrayvaneControl.h"
#include "Platform/AppIdentity.h"
#include "Platform/linux/LinuxPlatform.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QStandardPaths>

namespace Trayvane {

std::unique_ptr<SystemIntegration> createSystemIntegration()
{
    return std::make_unique<LinuxIntegration>();
}

LinuxIntegration::LinuxIntegration() = default;

LinuxIntegration::~LinuxIntegration() = default;

bool LinuxIntegration::claimInstance()
{
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
}

Platform &LinuxIntegration::platform()
{
    if (!m_platform) {
        // Before the platform starts Trayvane's watcher (see LinuxStatusIcon).
        m_icon = std::make_unique<LinuxStatusIcon>();
        connect(m_icon.get(), &LinuxStatusIcon::activated, this, &SystemIntegration::iconActivated);
        connect(m_icon.get(), &LinuxStatusIcon::placeChanged, this,
                [this](LinuxStatusIcon::Place place) { emit iconShownChanged(place != LinuxStatusIcon::Place::Nowhere); });
        m_platform = std::make_unique<LinuxPlatform>();
        connect(m_platform.get(), &LinuxPlatform::ownItemDisplayedChanged, m_icon.get(),
                &LinuxStatusIcon::hostShowsItem);
    }
    return *m_platform;
}

std::unique_ptr<PanelWindow> LinuxIntegration::createPanel()
{
    return std::make_unique<LinuxPanelWindow>();
}

void LinuxIntegration::attach(MenuBarService &service, std::function<void()> togglePanel)
{
    platform();
    m_control = std::make_unique<TrayvaneControl>(service, std::move(togglePanel));
    m_icon->publish();
}

void LinuxIntegration::setIcon(const QIcon &icon)
{
    if (m_icon)
        m_icon->setIcon(icon);
}

QRect LinuxIntegration::iconGeometry() const
{
    return m_icon ? m_icon->geometry() : QRect();
}

} // namespace Trayvane
