// The mirror's thread: reads the watched applications' status items and
// publishes them whole, so the main thread never sees half a snapshot.
#include "AccessibilityMirror.h"

#include <QMutexLocker>
#include <QThread>
#include <QTimer>

namespace Trayvane {

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

    void refresh()
    {
        m_queued = false;
        QList<qint32> applications;
        {
            QMutexLocker lock(&m_mirror.m_mutex);
            applications = m_mirror.m_applications;
        }
        QHash<qint32, ElementRef> snapshot;
        for (qint32 pid : applications) {
            if (stopping())
                return; // a partial snapshot is never published
            bool gaveUp = false;
            snapshot.insert(pid, mirror(m_mirror.m_source->applicationElement(pid), 0, gaveUp));
        }
        if (!stopping())
            m_mirror.publish(std::move(snapshot));
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
    QMetaObject::invokeMethod(
        m_worker,
        [this, source = mirrored->source, action] {
            if (!m_stopping)
                m_source->performAction(source, action);
        },
        Qt::QueuedConnection);
    return AXError::Success;
}

void AccessibilityMirror::publish(QHash<qint32, ElementRef> snapshot)
{
    {
        QMutexLocker lock(&m_mutex);
        m_snapshot.swap(snapshot);
    }
    // The old snapshot is released here, on the mirror's thread, unless a
    // scan's items still hold its elements.
    snapshot.clear();
    ++m_completed;
}

} // namespace Trayvane
