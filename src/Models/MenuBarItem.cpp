// Display identity and order key of a status item.
#include "Models/MenuBarItem.h"

#include <QStringBuilder>

#include <cmath>
#include <cstdint>
#include <limits>

namespace Trayvane {

QString MenuBarItem::orderKey() const
{
    const QString &owner = bundleIdentifier ? *bundleIdentifier : ownerName;
    return owner % QLatin1Char(':') % displayName;
}

QString MenuBarItem::truncatedX(double x)
{
    if (std::isnan(x))
        return QStringLiteral("nan");
    if (std::isinf(x))
        return x > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (x >= limit)
        return QString::number(std::numeric_limits<qint64>::max());
    if (x < -limit)
        return QString::number(std::numeric_limits<qint64>::min());
    return QString::number(static_cast<qint64>(std::trunc(x)));
}

QString MenuBarItem::makeId(const QString &ownerName, const QString &displayName, double x)
{
    return ownerName % QLatin1Char('-') % displayName % QLatin1Char('-') % truncatedX(x);
}

} // namespace Trayvane
