// The mirror's thread: reads the watched applications' status items and
// publishes them whole, so the main thread never sees half a snapshot.
#include "AccessibilityMirror.h"

#include <QMutexLocker>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace Trayvane {

namespace {

bool sameElement(const ElementRef &a, const ElementRef &b);

// Whether two answers say the same. Mirrored elements are new objects every
// round, so they are compared by what was read for them.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.metaType() != b.metaType())
        return false;
    const QMetaType type = a.metaType();
    if (type == QMetaType::fromType<ElementRef>())
        return sameElement(a.value<ElementRef>(), b.value<ElementRef>());
    if (type == QMetaType::fromType<ElementList>()) {
        const ElementList first = a.value<ElementList>();
        const ElementList second = b.value<ElementList>();
        return first.size() == second.size()
            && std::equal(first.begin(), first.end(), second.begin(), sameElement);
    }
    if (type == QMetaType::fromType<QVariantList>()) {
        const QVariantList first = a.toList();
        const QVariantList second = b.toList();
        return first.size() == second.size() && std::equal(first.begin(), first.end(), second.begin(), sameValue);
    }
    if (type == QMetaType::fromType<GeometryValue>()) {
        const auto first = a.value<GeometryValue>();
        const auto second = b.value<GeometryValue>();
        return first.kind == second.kind && first.first == second.first && first.second == second.second;
    }
    return a == b;
}

bool sameElement(const ElementRef &a, const ElementRef &b)
{
    if (a == b)
        return true;
    const auto *first = dynamic_cast<const MirroredElement *>(a.data());
    const auto *second = dynamic_cast<const MirroredElement *>(b.data());
    if (!first || !second || first->answers.size() != second->answers.size())
        return false;
    for (auto it = first->answers.constBegin(); it != first->answers.constEnd(); ++it) {
        const auto other = second->answers.constFind(it.key());
        if (other == second->answers.constEnd() || other->error != it->error || !sameValue(other->value, it->value))
            return false;
    }
    return true;
}

bool sameSnapshot(const QHash<qint32, ElementRef> &a, const QHash<qint32, ElementRef> &b)
{
    if (a.size() != b.size())
        return false;
    for (auto it = a.constBegin(); it != a.constEnd(); ++it) {
        const auto other = b.constFind(it.key());
        if (other == b.constEnd() || !sameElement(*it, *other))
            return false;
    }
    return true;
}

} // namespace

class AccessibilityMirror::Worker : public QObject
{
public:
    explicit Worker(AccessibilityMirror &mirror) : m_mirror(mirror) {}

    void start()
    {
        auto *timer = new QTimer(this);
        timer->setInterval(m_mirror.m_options.refreshIntervalMs);
        connect(timer, &QTimer::timeout, this, &Worker::refresh);
        timer->start();
        refresh();
    }

    void requestRefresh()
    {
        if (m_queued.exchange(true))
            return; // one queued refresh serves every request made meanwhile
        QMetaObject::invokeMethod(this, &Worker::refresh, Qt::QueuedConnection);
    }

    // Presses wait for the thread to be idle or for the read in progress to
    // end, whichever comes first: never for a whole snapshot.
    void requestActions()
    {
        if (m_actionsQueued.exchange(true))
            return;
        QMetaObject::invokeMethod(this, &Worker::runActions, Qt::QueuedConnection);
    }

    void refresh()
    {
        m_queued = false;
        QList<qint32> applications;
        QHash<qint32, ElementRef> previous;
        {
            QMutexLocker lock(&m_mirror.m_mutex);
            applications = m_mirror.m_applications;
            previous = m_mirror.m_snapshot;
        }
        QHash<qint32, ElementRef> snapshot;
        QSet<qint32> complete;
        for (qint32 pid : applications) {
            if (stopping())
                return; // a partial snapshot is never published
            bool gaveUp = false;
            ElementRef read = mirror(m_mirror.m_source->applicationElement(pid), 0, gaveUp);
            // One slow answer must not make the application's items vanish
            // until the next round: its last complete read stands in.
            const auto last = previous.constFind(pid);
            const bool keepLast = gaveUp && last != previous.constEnd() && m_complete.contains(pid);
            if (keepLast)
                read = *last;
            if (!gaveUp || keepLast)
                complete.insert(pid);
            snapshot.insert(pid, read);
        }
        if (stopping())
            return;
        m_complete = std::move(complete);
        const bool changed = !sameSnapshot(previous, snapshot);
        m_mirror.publish(std::move(snapshot), changed);
    }

    void runActions()
    {
        m_actionsQueued = false;
        QList<PendingAction> actions;
        {
            QMutexLocker lock(&m_mirror.m_mutex);
            actions.swap(m_mirror.m_actions);
        }
        for (const PendingAction &pending : std::as_const(actions)) {
            if (stopping())
                return;
            m_mirror.m_source->performAction(pending.source, pending.action);
        }
    }

private:
    bool stopping() const { return m_mirror.m_stopping.load(); }

    // Reads the level's attributes of one element. Once the application stops
    // answering (CannotComplete without a value: the messaging timeout ran
    // out), the rest of it is left for the next round instead of waiting out
    // every timeout.
    ElementRef mirror(const ElementRef &source, int level, bool &gaveUp)
    {
        auto element = QSharedPointer<MirroredElement>::create();
        element->source = source;
        const QList<QStringList> &plan = m_mirror.m_options.plan;
        if (!source || level >= plan.size())
            return element;
        for (const QString &attribute : plan.at(level)) {
            if (gaveUp || stopping())
                break;
            runActions();
            AttributeResult result = m_mirror.m_source->copyAttributeValue(source, attribute);
            if (result.error == AXError::CannotComplete && !result.value.isValid())
                gaveUp = true;
            result.value = mirrorValue(result.value, level + 1, gaveUp);
            element->answers.insert(attribute, result);
        }
        return element;
    }

    // Replaces the source's elements inside a value by mirrored ones; every
    // other value is passed on as the peer sent it.
    QVariant mirrorValue(const QVariant &value, int level, bool &gaveUp)
    {
        const int maximum = m_mirror.m_options.maximumListLength;
        const QMetaType type = value.metaType();
        if (type == QMetaType::fromType<ElementRef>()) {
            const ElementRef element = value.value<ElementRef>();
            return element ? QVariant::fromValue(mirror(element, level, gaveUp)) : value;
        }
        if (type == QMetaType::fromType<ElementList>()) {
            ElementList mirrored;
            for (const ElementRef &element : value.value<ElementList>().mid(0, maximum))
                mirrored.append(element ? mirror(element, level, gaveUp) : element);
            return QVariant::fromValue(mirrored);
        }
        if (type == QMetaType::fromType<QVariantList>()) {
            QVariantList mirrored;
            for (const QVariant &entry : value.toList().mid(0, maximum)) {
                const bool isElement = entry.metaType() == QMetaType::fromType<ElementRef>();
                mirrored.append(isElement ? mirrorValue(entry, level, gaveUp) : entry);
            }
            return mirrored;
        }
        return value;
    }

    AccessibilityMirror &m_mirror;
    std::atomic<bool> m_queued{false};
    std::atomic<bool> m_actionsQueued{false};
    QSet<qint32> m_complete; // applications whose published entry is a whole read
};

QList<QStringList> AccessibilityMirror::standardPlan()
{
    return {
        {AXName::ExtrasMenuBar},
        {AXName::Children},
        {AXName::Description, AXName::Title, AXName::Position, AXName::Size},
    };
}

AccessibilityMirror::AccessibilityMirror(std::unique_ptr<AccessibilitySource> source, QObject *parent)
    : AccessibilityMirror(std::move(source), Options(), parent)
{
}

AccessibilityMirror::AccessibilityMirror(std::unique_ptr<AccessibilitySource> source, Options options,
                                         QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_source(std::move(source))
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("Trayvane accessibility"));
    m_worker = new Worker(*this);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_worker, &Worker::start);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

AccessibilityMirror::~AccessibilityMirror()
{
    stop();
    m_thread->wait();
    delete m_thread;
}

void AccessibilityMirror::stop()
{
    m_stopping = true;
    m_thread->quit();
}

void AccessibilityMirror::setApplications(const QList<qint32> &processIdentifiers)
{
    {
        QMutexLocker lock(&m_mutex);
        if (processIdentifiers == m_applications)
            return;
        m_applications = processIdentifiers;
    }
    requestRefresh();
}

void AccessibilityMirror::requestRefresh()
{
    if (!m_stopping) // once stopped, the worker goes with its thread
        m_worker->requestRefresh();
}

ElementRef AccessibilityMirror::applicationElement(qint32 processIdentifier) const
{
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_snapshot.constFind(processIdentifier);
        if (found != m_snapshot.constEnd())
            return *found;
    }
    return ElementRef(new MirroredElement);
}

AttributeResult AccessibilityMirror::copyAttributeValue(const ElementRef &element, const QString &attribute) const
{
    const auto *mirrored = dynamic_cast<const MirroredElement *>(element.data());
    if (!mirrored)
        return {AXError::Failure, {}};
    const auto found = mirrored->answers.constFind(attribute);
    if (found == mirrored->answers.constEnd())
        return {AXError::CannotComplete, {}};
    return *found;
}

int AccessibilityMirror::performAction(const ElementRef &element, const QString &action)
{
    const auto *mirrored = dynamic_cast<const MirroredElement *>(element.data());
    if (!mirrored || !mirrored->source || m_stopping)
        return AXError::Failure;
    {
        QMutexLocker lock(&m_mutex);
        m_actions.append({mirrored->source, action});
    }
    m_worker->requestActions();
    return AXError::Success;
}

void AccessibilityMirror::publish(QHash<qint32, ElementRef> snapshot, bool changed)
{
    {
        QMutexLocker lock(&m_mutex);
        m_snapshot.swap(snapshot);
    }
    // The old snapshot is released on the mirror's thread (with the read's
    // own copy of it), unless a scan's items still hold its elements.
    snapshot.clear();
    if (changed)
        emit snapshotChanged();
    ++m_completed; // after the announcement: a reader of the count sees both
}

} // namespace Trayvane
