// The protocol's structured values, with their D-Bus operators: icon pixmaps
// a(iiay), the tooltip (sa(iiay)ss) of org.kde.StatusNotifierItem, and the
// menu layout (ia{sv}av) and group values of com.canonical.dbusmenu. The
// generated adaptors and proxy (interfaces/*.xml) name them.
//
// The operators serve values Trayvane sends, and peers' values only through
// the bounded readers below (and parseDBusMenuLayout): a peer chooses how many
// entries and bytes it sends, and Qt's container operators read all of them.
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Trayvane::Sni {

/// One entry of an icon pixmap value.
struct Pixmap
{
    int width = 0;
    int height = 0;
    QByteArray bytes; // ARGB32, network byte order
};
using PixmapList = QList<Pixmap>;

struct ToolTip
{
    QString iconName;
    PixmapList pixmaps;
    QString title;
    QString text;
};

/// One menu entry and its children, each child a variant holding an entry
/// (from a peer: holding anything).
struct MenuLayout
{
    int id = 0;
    QVariantMap properties;
    QVariantList children;
};

/// Properties of one menu entry (ia{sv}), names of removed ones (ias), and
/// one event of a group (isvu).
struct MenuProperties
{
    int id = 0;
    QVariantMap properties;
};
using MenuPropertiesList = QList<MenuProperties>;
struct MenuRemovedProperties
{
    int id = 0;
    QStringList names;
};
using MenuRemovedPropertiesList = QList<MenuRemovedProperties>;
struct MenuEvent
{
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using MenuEventList = QList<MenuEvent>;

/// Makes the types above known to Qt D-Bus; cheap after the first call.
void registerTypes();

QDBusArgument &operator<<(QDBusArgument &argument, const Pixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &argument, Pixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &argument, const ToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, ToolTip &toolTip);
QDBusArgument &operator<<(QDBusArgument &argument, const MenuLayout &layout);
const QDBusArgument &operator>>(const QDBusArgument &argument, MenuLayout &layout);
QDBusArgument &operator<<(QDBusArgument &argument, const MenuProperties &entry);
const QDBusArgument &operator>>(const QDBusArgument &argument, MenuProperties &entry);
QDBusArgument &operator<<(QDBusArgument &argument, const MenuRemovedProperties &entry);
const QDBusArgument &operator>>(const QDBusArgument &argument, MenuRemovedProperties &entry);
QDBusArgument &operator<<(QDBusArgument &argument, const MenuEvent &event);
const QDBusArgument &operator>>(const QDBusArgument &argument, MenuEvent &event);

// Bounded reading of peers' values.

/// Whether a pixmap is usable: positive sides of at most maxPixmapSide and
/// exactly 4 * width * height bytes of data.
bool isValidPixmap(const Pixmap &pixmap);

/// Index of the pixmap to draw at `targetSide` pixels: the smallest valid one
/// that covers it, else the largest valid one; -1 when none is valid.
int choosePixmap(const PixmapList &pixmaps, int targetSide);

/// Decodes a valid pixmap into an ARGB32 image; a null image otherwise.
QImage decodePixmap(const Pixmap &pixmap);

/// Reads an a(iiay) value as Qt hands it over in a QVariant: at most
/// maxPixmapEntries entries, data only of entries that are valid and within
/// maxPixmapBytes (others keep their sides, their data stepped over without
/// being copied). Anything of another shape yields an empty list.
PixmapList readPixmaps(const QVariant &value);

/// Reads a ToolTip value, its texts cut to maxTextLength; its pixmaps are
/// stepped over and left empty. Anything of another shape yields an empty one.
ToolTip readToolTip(const QVariant &value);

} // namespace Trayvane::Sni

Q_DECLARE_METATYPE(Trayvane::Sni::Pixmap)
Q_DECLARE_METATYPE(Trayvane::Sni::ToolTip)
Q_DECLARE_METATYPE(Trayvane::Sni::MenuLayout)
Q_DECLARE_METATYPE(Trayvane::Sni::MenuProperties)
Q_DECLARE_METATYPE(Trayvane::Sni::MenuRemovedProperties)
Q_DECLARE_METATYPE(Trayvane::Sni::MenuEvent)
