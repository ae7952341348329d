// The settings page's own copy of the login-item state: read from the platform
// when the page is built, and written back through register or unregister on
// every change, falling back to the platform's state when that fails.
#pragma once

#include "Platform/LoginItem.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class LoginItemToggle : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // The platform's login item (a Trayvane::LoginItem); setting it reads the
    // current state.
    Q_PROPERTY(QObject *loginItem READ loginItem WRITE setLoginItem NOTIFY loginItemChanged FINAL)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged FINAL)

public:
    explicit LoginItemToggle(QObject *parent = nullptr);

    QObject *loginItem() const;
    /// Takes the login item and shows its current state; no register or
    /// unregister call is made.
    void setLoginItem(QObject *loginItem);

    bool launchAtLogin() const { return m_launchAtLogin; }
    /// Changes the flag and applies it: register when it becomes true,
    /// unregister when it becomes false. When that fails the flag is set to
    /// the platform's state again, without a further call. Setting the value
    /// it already has does nothing.
    void setLaunchAtLogin(bool launchAtLogin);

    /// Negates `launchAtLogin` (the toggle row's click).
    Q_INVOKABLE void toggle();

    /// Shows the login item's current state again (a new visit of the page).
    Q_INVOKABLE void reload();

signals:
    void loginItemChanged();
    void launchAtLoginChanged();

private:
    QPointer<LoginItem> m_loginItem;
    bool m_launchAtLogin = false;
};

} // namespace Trayvane
