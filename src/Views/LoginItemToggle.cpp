// The settings page's own copy of the login-item state.
#include "Views/LoginItemToggle.h"

namespace Trayvane {

LoginItemToggle::LoginItemToggle(QObject *parent)
    : QObject(parent)
{
}

QObject *LoginItemToggle::loginItem() const
{
    return m_loginItem.data();
}

void LoginItemToggle::setLoginItem(QObject *loginItem)
{
    LoginItem *item = qobject_cast<LoginItem *>(loginItem);
    if (item == m_loginItem)
        return;
    m_loginItem = item;
    emit loginItemChanged();
    reload();
}

void LoginItemToggle::setLaunchAtLogin(bool launchAtLogin)
{
    if (launchAtLogin == m_launchAtLogin)
        return;
    m_launchAtLogin = launchAtLogin;
    emit launchAtLoginChanged();

    bool applied = false;
    if (m_loginItem)
        applied = launchAtLogin ? m_loginItem->registerItem() : m_loginItem->unregisterItem();
    // The error itself is not shown: the toggle just shows what is in force.
    if (!applied)
        reload();
}

void LoginItemToggle::toggle()
{
    setLaunchAtLogin(!m_launchAtLogin);
}

void LoginItemToggle::reload()
{
    const bool enabled = m_loginItem ? m_loginItem->isEnabled() : false;
    if (enabled == m_launchAtLogin)
        return;
    m_launchAtLogin = enabled;
    emit launchAtLoginChanged();
}

} // namespace Trayvane
