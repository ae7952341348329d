// A login item held in memory, for tests and screenshots: its state can be
// changed behind the program's back, and register and unregister can be told
// to fail. It counts every call so tests can check who asked what.
#pragma once

#include "Platform/LoginItem.h"

namespace Trayvane {

class ScriptedLoginItem : public LoginItem
{
    Q_OBJECT

public:
    explicit ScriptedLoginItem(QObject *parent = nullptr);

    bool isEnabled() override;
    bool registerItem() override;
    bool unregisterItem() override;

    /// Changes the registration as the user could in the system settings.
    Q_INVOKABLE void setEnabled(bool enabled) { m_enabled = enabled; }
    /// Makes every following register call fail (true) or work again.
    Q_INVOKABLE void setRegisterFails(bool fails) { m_registerFails = fails; }
    /// Makes every following unregister call fail (true) or work again.
    Q_INVOKABLE void setUnregisterFails(bool fails) { m_unregisterFails = fails; }
    /// A register that succeeds but leaves the item waiting for the user's
    /// approval, so the status stays off.
    Q_INVOKABLE void setRegisterNeedsApproval(bool needsApproval) { m_registerNeedsApproval = needsApproval; }

    Q_INVOKABLE int statusReads() const { return m_statusReads; }
    Q_INVOKABLE int registerCalls() const { return m_registerCalls; }
    Q_INVOKABLE int unregisterCalls() const { return m_unregisterCalls; }

private:
    bool m_enabled = false;
    bool m_registerFails = false;
    bool m_unregisterFails = false;
    bool m_registerNeedsApproval = false;
    int m_statusReads = 0;
    int m_registerCalls = 0;
    int m_unregisterCalls = 0;
};

} // namespace Trayvane
