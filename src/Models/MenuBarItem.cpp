// Display identity and order key of a status item.
#include "Models/MenuBarItem.h"

#include <QStringBuilder>

#include <cmath>
#include <iterator>
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
    // The usual case without the detour through a second string: every scan
    // builds one id per item.
    if (std::isfinite(x) && std::abs(x) < 9.0e18) {
        const qint64 value = static_cast<qint64>(std::trunc(x));
        char16_t digits[24];
        qsizetype start = std::size(digits);
        quint64 rest = value < 0 ? 0 - quint64(value) : quint64(value);
        do {
            digits[--start] = char16_t(u'0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        if (value < 0)
            digits[--start] = u'-';
        return ownerName % QLatin1Char('-') % displayName % QLatin1Char('-')
            % QStringView(digits + start, qsizetype(std::size(digits)) - start);
    }
    return ownerName % QLatin1Char('-') % displayName % QLatin1Char('-') % truncatedX(x);
}

} // namespace Trayvane
