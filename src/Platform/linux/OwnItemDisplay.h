// Whether a desktop shows Trayvane's own status item, debounced: the first
// answer about a second after start, later ones once the host's state held
// for 300 ms, each only when it changed. The item counts as shown while
// another host than Trayvane shows the items of the watcher its tray icon
// registers with (Qt's tray icon takes its item off the bus while hidden, so
// the item's own status says nothing).
#pragma once

#include <QTimer>

#include <functional>

namespace Trayvane {

class StatusNotifierHost;

class OwnItemDisplay
{
public:
    /// `announce` hears every decision: the first always, later ones on change.
    OwnItemDisplay(const StatusNotifierHost &host, std::function<void(bool)> announce);

    bool isDisplayed() const { return m_displayed; }
    /// Starts the wait for the first decision.
    void start();
    /// The host's state changed: decides anew once it has held.
    void hostChanged();

private:
    void decide();

    const StatusNotifierHost &m_host;
    std::function<void(bool)> m_announce;
    bool m_displayed = false;
    bool m_decided = false;
    QTimer m_settle;
};

} // namespace Trayvane
