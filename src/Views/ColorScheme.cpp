// Reads the desktop's light or dark preference from the settings portal.
#include "ColorScheme.h"

#include "MenuBarLabel.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace Trayvane {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr int maxVariantNesting = 4;

} // namespace

ColorScheme::ColorScheme(QObject *parent)
    : QObject(parent)
{
    m_lastDark = dark();
    if (qApp)
        qApp->installEventFilter(this);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage read = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface,
                                                       QStringLiteral("Read"));
    read << appearanceGroup << colorSchemeKey;
    // Asynchronous: the portal is another application and may be slow or absent.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        const QDBusPendingReply<QVariant> reply = *call;
        if (!reply.isError())
            setPreference(preferenceFromPortal(reply.value()));
        call->deleteLater();
    });
}

std::optional<bool> ColorScheme::preferenceFromPortal(const QVariant &value)
{
    QVariant current = value;
    for (int depth = 0; depth < maxVariantNesting && current.canConvert<QDBusVariant>()
                        && current.metaType() == QMetaType::fromType<QDBusVariant>();
         ++depth)
        current = current.value<QDBusVariant>().variant();
    const int type = current.metaType().id();
    if (type != QMetaType::UInt && type != QMetaType::Int)
        return std::nullopt;
    switch (current.toUInt()) {
    case 1:
        return true;
    case 2:
        return false;
    default:
        return std::nullopt;
    }
}

bool ColorScheme::paletteIsDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

bool ColorScheme::dark() const
{
    return m_portalPreference.value_or(paletteIsDark());
}

QColor ColorScheme::teal(bool darkLook) const
{
    return MenuBarLabel::teal(darkLook);
}

void ColorScheme::setPreference(std::optional<bool> preference)
{
    m_portalPreference = preference;
    if (dark() != m_lastDark) {
        m_lastDark = dark();
        emit darkChanged();
    }
}

void ColorScheme::onSettingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group == appearanceGroup && key == colorSchemeKey)
        setPreference(preferenceFromPortal(value.variant()));
}

bool ColorScheme::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        setPreference(m_portalPreference);
    return QObject::eventFilter(watched, event);
}

} // namespace Trayvane
