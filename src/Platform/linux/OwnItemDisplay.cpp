// The debounced answer whether the own status item is shown.
#include "Platform/linux/OwnItemDisplay.h"

#include "Platform/linux/StatusNotifierHost.h"

namespace Trayvane {

namespace {

// How long the own item's visibility must hold before the status icon follows it.
constexpr int ownItemFirstDecisionMs = 1000;
constexpr int ownItemSettleMs = 300;

} // namespace

OwnItemDisplay::OwnItemDisplay(const StatusNotifierHost &host, std::function<void(bool)> announce)
    : m_host(host), m_announce(std::move(announce))
{
    m_settle.setSingleShot(true);
    QObject::connect(&m_settle, &QTimer::timeout, &m_settle, [this]() { decide(); });
}

void OwnItemDisplay::start()
{
    m_settle.start(ownItemFirstDecisionMs);
}

void OwnItemDisplay::hostChanged()
{
    if (!m_settle.isActive() || m_settle.interval() != ownItemFirstDecisionMs)
        m_settle.start(ownItemSettleMs);
}

void OwnItemDisplay::decide()
{
    // Qt's tray icon takes its item off the bus while hidden, so the
    // decision rests on the host alone: the icon's status is always active.
    const bool displayed = m_host.isOtherHostPresent();
    // The first decision is always announced; later ones only on change.
    if (displayed != m_displayed || !m_decided) {
        m_decided = true;
        m_displayed = displayed;
        m_announce(displayed);
    }
}

} // namespace Trayvane
