// The StatusNotifierItem protocol's bus names, object paths and interfaces
// (their XML is in interfaces/), and the limits the backend keeps against
// peers that send more than any real tray item needs.
#pragma once

#include <QString>

namespace Trayvane::Sni {

inline const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
inline const QString FallbackWatcherService = QStringLiteral("org.freedesktop.StatusNotifierWatcher");
inline const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
inline const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
inline const QString FallbackItemInterface = QStringLiteral("org.freedesktop.StatusNotifierItem");
inline const QString DefaultItemPath = QStringLiteral("/StatusNotifierItem");
inline const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");
inline const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

constexpr int maxTextLength = 512;
constexpr int maxPixmapSide = 1024;
// Entries of one pixmap value that are looked at; later ones are dropped.
constexpr int maxPixmapEntries = 64;
// Pixmap data kept from one value: later entries beyond it are not read.
constexpr qint64 maxPixmapBytes = 8 * 1024 * 1024;
constexpr int maxMenuEntries = 500;
constexpr int maxMenuDepth = 8;
constexpr int maxItemsPerWatcher = 2000;
// The watcher's share for one connection, so one cannot fill it for others.
constexpr int maxItemsPerConnection = 1000;
constexpr int maxHostsPerWatcher = 64;
constexpr int maxHostsPerConnection = 4;
// Questions to the bus daemon about a registered name, open at one time.
constexpr int maxOwnerQuestionsPerConnection = 64;
constexpr int maxOwnerQuestions = 1024;
// Every call to another application gives up after this long.
constexpr int callTimeoutMs = 3000;
// Except for an item's properties: nothing waits for them, and a client that
// is slow to answer is listed as soon as its answer arrives.
constexpr int propertiesTimeoutMs = 25000;
// Change signals of one item arriving within this window cause one re-read.
constexpr int coalesceMs = 10;
// An item whose pictures are large is read again at most at this rate of
// picture bytes (10 MB a second), and at least every few seconds.
constexpr qint64 pictureBytesPerMs = 10 * 1024;
constexpr int maxPaceMs = 5000;

/// Cuts a peer's text to the length the backend keeps.
inline QString capText(const QString &text)
{
    if (text.size() <= maxTextLength)
        return text;
    QString cut = text.left(maxTextLength);
    if (cut.back().isHighSurrogate())
        cut.chop(1); // never leave half a character behind
    return cut;
}

} // namespace Trayvane::Sni
