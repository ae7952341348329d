// The items the service sees, rebuilt after a change.
#include "Platform/linux/ListedItems.h"

#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedTray.h"

#include <QCoreApplication>
#include <QSet>

namespace Trayvane {

ListedItems::ListedItems(const StatusNotifierHost &host, const XEmbedTray &xembed)
    : m_host(host), m_xembed(xembed)
{
}

const ListedItems::Snapshot &ListedItems::current()
{
    if (!m_dirty)
        return m_listed;
    m_listed = {};
    m_listed.generation = ++m_generation;
    const qint32 own = qint32(QCoreApplication::applicationPid());
    // One object registered under its unique and a well-known name is one
    // item: the earlier registration stands for it.
    QSet<QString> objects;
    QHash<qint32, ElementList> children;
    for (const SniItemRef &item : m_host.items()) {
        if (item->isListed() && item->pid != own) {
            const QString object = item->owner + item->address.path;
            if (objects.contains(object))
                continue;
            objects.insert(object);
            m_listed.indexByWindowNumber.insert(item->windowNumber, int(m_listed.items.size()));
            m_listed.items.append(item);
            m_listed.rankBySequence.insert(item->sequence, int(m_listed.items.size()));
            // One allocation with its count, side by side with the next
            // item's: a scan touches every element.
            auto element = QSharedPointer<LinuxElement>::create(LinuxElement::Kind::Item, item->pid, item->key,
                                                                item->sequence);
            element->rank = int(m_listed.items.size());
            element->generation = m_listed.generation;
            children[item->pid].append(element);
        }
    }
    // Legacy X11 tray icons follow their application's StatusNotifierItems.
    for (const XEmbedIcon &icon : m_xembed.icons()) {
        if (icon.pid > 0 && icon.pid != own)
            children[icon.pid].append(
                ElementRef(new LinuxElement(LinuxElement::Kind::XEmbedIcon, icon.pid, {}, icon.window)));
    }
    for (auto it = children.begin(); it != children.end(); ++it) {
        const qint32 pid = it.key();
        m_listed.processByPid.insert(
            pid, {ElementRef(new LinuxElement(LinuxElement::Kind::Application, pid)),
                  QVariant::fromValue(ElementRef(new LinuxElement(LinuxElement::Kind::Bar, pid))),
                  QVariant::fromValue(it.value())});
    }
    m_dirty = false;
    return m_listed;
}

} // namespace Trayvane
