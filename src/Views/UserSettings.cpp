// Reads and writes the panel height in the user's settings.
#include "UserSettings.h"

#include "Platform/AppIdentity.h"

#include <QSettings>

namespace Trayvane {

namespace {
std::unique_ptr<QSettings> userDefaults()
{
#if defined(Q_OS_MACOS)
    // Qt names the preferences domain from the organization's reversed domain
    // and the application: this gives the bundle's own "org.trayvane.Trayvane",
    // the standard user defaults.
    return std::make_unique<QSettings>(QStringLiteral("trayvane.org"), QStringLiteral("Trayvane"));
#else
    return std::make_unique<QSettings>(applicationId);
#endif
}
} // namespace

UserSettings::UserSettings(QObject *parent)
    : QObject(parent)
    , m_settings(userDefaults())
{
    load();
}

UserSettings::UserSettings(const QString &filePath, QObject *parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
    load();
}

UserSettings::~UserSettings() = default;

double UserSettings::heightFromStored(const QVariant &value)
{
    if (!value.isValid())
        return defaultWindowHeight;
    bool ok = false;
    const double height = value.toDouble(&ok);
    return ok && isUsableHeight(height) ? height : defaultWindowHeight;
}

bool UserSettings::isUsableHeight(double height)
{
    // Also false for NaN.
    return height > 0.0 && height <= maximumWindowHeight;
}

void UserSettings::load()
{
    m_windowHeight = heightFromStored(m_settings->value(windowHeightKey));
}

void UserSettings::setWindowHeight(double height)
{
    if (!isUsableHeight(height))
        return;
    m_settings->setValue(windowHeightKey, height);
    m_settings->sync();
    if (height == m_windowHeight)
        return;
    m_windowHeight = height;
    emit windowHeightChanged();
}

} // namespace Trayvane
