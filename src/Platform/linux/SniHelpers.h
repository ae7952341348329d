// Small pure helpers of the StatusNotifierItem backend: how a registration is
// split into bus name and object path, how an item's pixmaps are checked and
// decoded. Kept free of D-Bus traffic so they can be tested on their own.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

class QDBusArgument;
class QVariant;

namespace Trayvane::Sni {

inline const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
inline const QString FallbackWatcherService = QStringLiteral("org.freedesktop.StatusNotifierWatcher");
inline const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
inline const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
inline const QString FallbackItemInterface = QStringLiteral("org.freedesktop.StatusNotifierItem");
inline const QString DefaultItemPath = QStringLiteral("/StatusNotifierItem");
inline const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");
inline const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// Limits against peers that send more than any real tray item needs.
constexpr int maxTextLength = 512;
constexpr int maxPixmapSide = 1024;
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

// Geometry of the virtual bar the items are placed on.
constexpr double barSlot = 24.0;

/// Where a registered item lives on the bus.
struct ItemAddress
{
    QString service; // a unique or well-known bus name
    QString path;    // its object path
    /// The watcher's text for the item: service followed by path.
    QString entry() const { return service + path; }
    bool operator==(const ItemAddress &) const = default;
};

/// Splits the argument of RegisterStatusNotifierItem. An object path means
/// "this path on the caller's connection"; a bus name alone means the default
/// path; "name/path" carries both. Returns nothing for malformed input.
std::optional<ItemAddress> splitRegistration(const QString &argument, const QString &sender);

/// An item as a watcher lists it. Watchers differ: "service/path", a bare
/// service (whose item may still live at another path than the default one)
/// or a bare object path (whose service the host must find).
struct WatcherEntry
{
    ItemAddress address; // service empty when the entry named only a path
    bool pathGiven = false;
    /// The same text for every form of one registration that names a service.
    QString key() const { return address.entry(); }
};

/// Parses a watcher entry; nothing for malformed text.
std::optional<WatcherEntry> parseEntry(const QString &entry);

/// What an introspection answer says about one object: its child nodes (as
/// absolute paths below `path`) and whether it implements a StatusNotifierItem
/// interface. Malformed XML yields what was read before the fault.
struct IntrospectedNode
{
    QStringList children;
    bool isItem = false;
};
IntrospectedNode parseIntrospection(const QString &path, const QString &xml);

bool isValidBusName(const QString &name);
bool isValidObjectPath(const QString &path);

/// One entry of an IconPixmap array, as it came over the bus.
struct RawPixmap
{
    int width = 0;
    int height = 0;
    QByteArray data; // ARGB32, network byte order
};

/// Whether a pixmap is usable: positive sides of at most 1024 and exactly
/// 4 * width * height bytes of data.
bool isValidPixmap(const RawPixmap &pixmap);

/// Index of the pixmap to draw at `targetSide` pixels: the smallest valid one
/// that covers it, else the largest valid one; -1 when none is valid.
int choosePixmap(const QList<RawPixmap> &pixmaps, int targetSide);

/// Decodes a valid pixmap into an ARGB32 image; a null image otherwise.
QImage decodePixmap(const RawPixmap &pixmap);

/// Reads an a(iiay) value (as Qt hands it over in a QVariant); anything of
/// another shape yields an empty list.
QList<RawPixmap> readPixmaps(const QVariant &value);

/// The parts of a ToolTip (sa(iiay)ss) value that the backend uses.
struct ToolTip
{
    QString iconName;
    QString title;
    QString text;
};
ToolTip readToolTip(const QVariant &value);

} // namespace Trayvane::Sni

// The texts and places the service reads (capText, itemDescription, itemTitle,
// barGeometry, isDisplayed), after the limits above that they use.
#include "Platform/linux/ItemAttributes.h"
