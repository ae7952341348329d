// Legacy X11 tray icons (the XEmbed system tray protocol). Follows who owns
// the screen's tray selection: while another program's tray runs, its docked
// icon windows are read as items the desktop shows; while nobody does,
// Trayvane runs a tray of its own that embeds the icons in small windows that
// stay off screen. Many trays refuse to start while the selection has an
// owner, so Trayvane holds it only for a moment whenever an icon waits for a
// tray (at start, when a new icon window appears, when a tray went away) and
// keeps the icons embedded in between; a tray that starts later takes the
// selection and the programs move their icons there.
//
// Runs on the main thread over an X connection of its own. It only sends
// requests that the X server answers itself (never a grab of the server, never
// a wait for another client), so a hanging tray program cannot stall it.
// No X11 header leaks out of this unit.
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <memory>

namespace Trayvane {

/// One docked icon window.
struct XEmbedIcon
{
    quint32 window = 0; // the icon's own X window
    qint32 pid = 0;     // 0 while unknown
    QString title;      // _NET_WM_NAME or WM_NAME
    QString windowClass; // WM_CLASS class part
    QString instance;    // WM_CLASS instance part
    bool isShown = false; // docked in a tray of the desktop, not in Trayvane's
};

class XEmbedTray : public QObject
{
    Q_OBJECT

public:
    /// Opens the X connection and looks once, synchronously, who owns the
    /// tray selection; `ownTray` allows taking the selection while it is free.
    explicit XEmbedTray(bool ownTray = true, QObject *parent = nullptr);
    ~XEmbedTray() override;

    /// An X11 session is there.
    bool isAvailable() const;
    /// Another program owns the tray selection of the screen.
    bool isForeignTrayPresent() const { return m_foreign; }
    /// Trayvane's own tray runs (no other program's tray does).
    bool runsOwnTray() const;
    /// The icons docked in the foreign tray (shown) or in Trayvane's (hidden),
    /// in docking order. Never includes this process's own icon.
    const QList<XEmbedIcon> &icons() const { return m_icons; }

    /// A left click at the icon's own window, synthesized with XTest. An icon
    /// embedded by Trayvane is brought under the pointer first, so that what
    /// the program opens appears where the user looks. False when the icon
    /// is not listed (any more).
    bool activate(quint32 window);
    /// The icon window's current content; null when it cannot be read.
    QImage picture(quint32 window);

signals:
    void iconsChanged();
    void foreignTrayChanged(bool present);

private:
    struct Private;
    void processEvents();
    void updateOwner();
    void rescanForeign();
    void scheduleRescan();
    void clickAt(const QPoint &pixel);
    void releaseEmbedded();
    void pulse();
    void announce(unsigned long owner, unsigned long time);
    void release();
    void checkCandidates();

    std::unique_ptr<Private> d;
    bool m_foreign = false;
    QList<XEmbedIcon> m_icons;
    QTimer m_rescan;
    QTimer m_ownerPoll;
    QTimer m_release;
    QTimer m_candidates;
};

} // namespace Trayvane
