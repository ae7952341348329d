// How the watcher protocol names an item: the forms of a registration, the
// forms watchers list items in, bus name and object path syntax, and what an
// introspection answer says about an object (for items whose path nobody
// told). Pure functions, kept free of D-Bus traffic.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Trayvane::Sni {

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
/// absolute paths below `path`, at most 256) and whether it implements a
/// StatusNotifierItem interface. Malformed XML yields what was read before
/// the fault.
struct IntrospectedNode
{
    QStringList children;
    bool isItem = false;
};
IntrospectedNode parseIntrospection(const QString &path, const QString &xml);

bool isValidBusName(const QString &name);
bool isValidObjectPath(const QString &path);

} // namespace Trayvane::Sni
