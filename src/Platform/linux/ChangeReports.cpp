// Reports of changes a scan would see.
#include "Platform/linux/ChangeReports.h"

#include "Platform/linux/Permission.h"
#include "Platform/linux/StatusNotifierHost.h"

namespace Trayvane {

ChangeReports::ChangeReports(const StatusNotifierHost &host, std::function<void()> report)
    : m_host(host), m_report(std::move(report))
{
    m_reportCheck.setSingleShot(true);
    m_reportCheck.setInterval(0);
    QObject::connect(&m_reportCheck, &QTimer::timeout, &m_reportCheck, [this]() { reportIfChanged(); });
}

void ChangeReports::hostChanged()
{
    if (!m_reportCheck.isActive())
        m_reportCheck.start();
}

void ChangeReports::reportIfChanged()
{
    QList<ScanFacts> facts = scanFacts();
    const bool trusted = Permission::isTrusted(m_host);
    const bool otherHost = m_host.isOtherHostPresent();
    if (facts != m_reportedFacts || trusted != m_reportedTrusted || otherHost != m_reportedOtherHost) {
        m_reportedFacts = std::move(facts);
        m_reportedTrusted = trusted;
        m_reportedOtherHost = otherHost;
        m_report();
    }
}

QList<ChangeReports::ScanFacts> ChangeReports::scanFacts() const
{
    QList<ScanFacts> facts;
    facts.reserve(m_host.items().size());
    for (const SniItemRef &item : m_host.items()) {
        if (item->isListed())
            facts.append({item->owner, item->address.path, item->sequence, item->pid, item->id, item->title,
                          item->toolTipTitle, item->status, item->icon, item->attentionIcon});
    }
    return facts;
}

} // namespace Trayvane
