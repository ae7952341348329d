// Keeps the status items of other applications readable without waiting on
// them: a thread of its own reads, for every watched application, exactly the
// attributes a scan asks for (the status item bar, its children, and each
// child's description, title, position and size) and publishes them as one
// snapshot. The main thread answers every attribute query from the newest
// snapshot at once; a hung application delays only the next snapshot, by at
// most the platform's messaging timeout, and keeps the items it showed last.
//
// No platform header is needed here: the accessibility interface comes in
// through AccessibilitySource (macOS: AXUIElement; tests: a fake).
#pragma once

#include "Platform/Platform.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class QThread;

namespace Trayvane {

/// The accessibility interface as the mirror's thread uses it. Every call may
/// block for as long as the peer takes (bounded by the platform's messaging
/// timeout); none is made on the main thread.
class AccessibilitySource
{
public:
    virtual ~AccessibilitySource() = default;
    /// The element of the application with this process id; null when none.
    virtual ElementRef applicationElement(qint32 processIdentifier) = 0;
    /// An attribute as the platform answered it; elements inside the value are
    /// the source's own ElementRefs (alone, or in an ElementList or QVariantList).
    virtual AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) = 0;
    /// Performs an action; the result is not examined.
    virtual int performAction(const ElementRef &element, const QString &action) = 0;
};

/// An element as the main thread sees it: the source's element and the
/// answers read for it. Filled before a snapshot is published, then never
/// changed, so the main thread reads it without a lock.
class MirroredElement final : public PlatformElement
{
public:
    ElementRef source;
    QHash<QString, AttributeResult> answers;
};

class AccessibilityMirror : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        /// The attributes read per level: level 0 for an application element,
        /// level n + 1 for the elements found in the answers of level n.
        QList<QStringList> plan = standardPlan();
        /// How often a new snapshot is read while nothing asks for one: as
        /// often as the service scans. A snapshot that changed is announced
        /// (snapshotChanged), so a scan shows it without waiting for the next
        /// round.
        int refreshIntervalMs = 3000;
        /// The most elements taken from one list value (a hostile peer may
        /// report any number of children).
        int maximumListLength = 256;
    };

    /// The attributes a scan reads: the extras bar, its children, and each
    /// child's texts and geometry.
    static QList<QStringList> standardPlan();

    explicit AccessibilityMirror(std::unique_ptr<AccessibilitySource> source, QObject *parent = nullptr);
    AccessibilityMirror(std::unique_ptr<AccessibilitySource> source, Options options, QObject *parent = nullptr);
    /// Stops the thread (see stop()) and waits for it.
    ~AccessibilityMirror() override;

    /// Stops reading without waiting: the read in progress ends after its
    /// current call, publishes nothing, and no further read or action runs
    /// (performAction then fails). The last snapshot still answers.
    void stop();

    /// The applications to read (main thread). A changed set is read at once,
    /// so a newly started application shows up with the next scan.
    void setApplications(const QList<qint32> &processIdentifiers);
    /// Reads a new snapshot as soon as the thread is free.
    void requestRefresh();

    /// The newest snapshot's element of this application; an element without
    /// answers when it has not been read yet. Never null.
    ElementRef applicationElement(qint32 processIdentifier) const;
    /// The answer read for a mirrored element. An attribute not read (yet)
    /// fails with CannotComplete; an element from elsewhere with Failure.
    AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) const;
    /// Hands the action to the mirror's thread and returns at once: Success
    /// when it was handed on, Failure for an element it cannot act on. The
    /// thread performs it before its next read, not after the whole snapshot.
    int performAction(const ElementRef &element, const QString &action);

    /// Snapshots published so far.
    quint64 completedRefreshes() const { return m_completed.load(); }

signals:
    /// A snapshot was published whose answers differ from the previous one
    /// (the first one with any application always does). Emitted on the
    /// mirror's thread: receivers on the main thread get it queued.
    void snapshotChanged();

private:
    class Worker;
    friend class Worker;

    struct PendingAction
    {
        ElementRef source;
        QString action;
    };

    void publish(QHash<qint32, ElementRef> snapshot, bool changed);

    Options m_options;
    std::unique_ptr<AccessibilitySource> m_source;
    QThread *m_thread = nullptr;
    Worker *m_worker = nullptr;
    std::atomic<bool> m_stopping{false};
    std::atomic<quint64> m_completed{0};

    mutable QMutex m_mutex; // guards the three fields below
    QList<qint32> m_applications;
    QHash<qint32, ElementRef> m_snapshot; // written by the mirror's thread only
    QList<PendingAction> m_actions;
};

} // namespace Trayvane
