// One status item of another application, as a scan found it: the record that
// crosses from MenuBarService to the panel and back into clickItem.
#pragma once

#include "Platform/PlatformElement.h"

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QRectF>
#include <QString>

#include <optional>

namespace Trayvane {

struct MenuBarItem
{
    QString id;                              // display identity, see makeId()
    QString ownerName;                       // the application's name, or "Unbekannt"
    QString displayName;                     // description, else title, else ownerName
    qint32 ownerPID = 0;
    std::optional<QString> bundleIdentifier; // absent when the application has none
    QRectF frame;                            // global screen points, as reported
    QImage appIcon;                          // null when absent; implicitly shared
    QImage menuBarIcon;                      // null when no capture could be made
    ElementRef axElement;                    // null when absent; shared handle
    bool isHidden = false;

    /// Position-free key of the saved order: bundle identifier (even when
    /// empty) or else the owner's name, then ":", then displayName.
    QString orderKey() const;

    /// ownerName "-" displayName "-" x truncated toward zero.
    /// An x that has no integer value is written as follows, so that ids stay
    /// plain text and never depend on undefined conversions: NaN as "nan",
    /// infinities as "inf" / "-inf", finite values beyond the 64-bit range
    /// saturate to the nearest 64-bit limit.
    static QString makeId(const QString &ownerName, const QString &displayName, double x);

    /// The x part of an id, as makeId() writes it.
    static QString truncatedX(double x);
};

using MenuBarItemList = QList<MenuBarItem>;

// A window that looks like a status item in the menu bar; private to the scan.
struct WindowInfo
{
    quint32 windowID = 0;
    double x = 0.0;
    double width = 0.0;
};

} // namespace Trayvane

Q_DECLARE_METATYPE(Trayvane::MenuBarItem)
