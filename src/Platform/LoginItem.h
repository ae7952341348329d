// The login item: whether the program starts when the user logs in. The
// platform stores the registration; the program only reads and changes it.
#pragma once

#include <QObject>

namespace Trayvane {

class LoginItem : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Whether the platform will start the program at the next login. Only a
    /// registration that is in force counts; anything else (none, disabled by
    /// the user, waiting for approval, unreadable) is off.
    Q_INVOKABLE virtual bool isEnabled() = 0;

    /// Registers the program to start at login. Returns whether it worked;
    /// a failure leaves the registration as the platform left it.
    Q_INVOKABLE virtual bool registerItem() = 0;

    /// Removes the registration. Returns whether it worked (nothing to remove
    /// counts as success).
    Q_INVOKABLE virtual bool unregisterItem() = 0;
};

} // namespace Trayvane
