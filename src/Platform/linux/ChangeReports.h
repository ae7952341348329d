// Tells the service when a scan would find something new, so that it scans at
// once instead of at its next tick: after a burst of host changes, what a scan
// reads of every listed item (its owner, path, registration, pid, Id, Title,
// ToolTip title, Status, icons), whether the watcher is reachable and whether
// another host shows items are compared with what was last reported. (The
// X11 tray's changes are reported as they come.)
#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QTimer>

#include <functional>

namespace Trayvane {

class StatusNotifierHost;

class ChangeReports
{
public:
    ChangeReports(const StatusNotifierHost &host, std::function<void()> report);

    /// The host's state changed: compares once the burst is over.
    void hostChanged();

private:
    // What a scan reads of the kept state, to tell the service only about
    // changes it would see.
    struct ScanFacts
    {
        QString owner;
        QString path;
        quint64 sequence = 0;
        qint32 pid = 0;
        QString id;
        QString title;
        QString toolTipTitle;
        QString status;
        QImage icon; // compared by content: a client may send the same icon anew
        QImage attentionIcon;
        bool operator==(const ScanFacts &) const = default;
    };
    QList<ScanFacts> scanFacts() const;
    void reportIfChanged();

    const StatusNotifierHost &m_host;
    std::function<void()> m_report;
    // Compares once per burst of host changes (a thousand answers arriving
    // together are one comparison, not a thousand).
    QTimer m_reportCheck;
    QList<ScanFacts> m_reportedFacts;
    bool m_reportedTrusted = false;
    bool m_reportedOtherHost = false;
};

} // namespace Trayvane
