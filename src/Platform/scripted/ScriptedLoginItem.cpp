// A login item held in memory, for tests and screenshots.
#include "Platform/scripted/ScriptedLoginItem.h"

namespace Trayvane {

ScriptedLoginItem::ScriptedLoginItem(QObject *parent)
    : LoginItem(parent)
{
}

bool ScriptedLoginItem::isEnabled()
{
    ++m_statusReads;
    return m_enabled;
}

bool ScriptedLoginItem::registerItem()
{
    ++m_registerCalls;
    if (m_registerFails)
        return false;
    if (!m_registerNeedsApproval)
        m_enabled = true;
    return true;
}

bool ScriptedLoginItem::unregisterItem()
{
    ++m_unregisterCalls;
    if (m_unregisterFails)
        return false;
    m_enabled = false;
    return true;
}

} // namespace Trayvane
