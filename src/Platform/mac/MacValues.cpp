#include "MacValues.h"

namespace Trayvane::MacValues {

namespace {
constexpr long statusNotRegistered = 0;
constexpr long statusEnabled = 1;
constexpr long statusNotFound = 3;
} // namespace

QVariant numberValue(bool isFloatType, bool converted, qint64 integral, double real)
{
    if (!converted)
        return {};
    return isFloatType ? QVariant(real) : QVariant(integral);
}

QVariant axValue(int type, const double *values, int count)
{
    const auto geometry = [&](GeometryValue::Kind kind) -> QVariant {
        if (!values || count < 2)
            return {};
        return QVariant::fromValue(GeometryValue{kind, values[0], values[1]});
    };
    switch (AccessibilityValueType(type)) {
    case AccessibilityValueType::Point:
        return geometry(GeometryValue::Kind::Point);
    case AccessibilityValueType::Size:
        return geometry(GeometryValue::Kind::Size);
    case AccessibilityValueType::Rect:
        return count >= 4 ? geometry(GeometryValue::Kind::Rect) : QVariant();
    case AccessibilityValueType::Range:
        return geometry(GeometryValue::Kind::Range);
    case AccessibilityValueType::Error:
        if (!values || count < 1 || !(values[0] >= -2147483648.0 && values[0] <= 2147483647.0))
            return {};
        return QVariant(int(values[0]));
    }
    return {};
}

bool isLoginItemEnabled(long status)
{
    return status == statusEnabled;
}

bool unregisterSucceeded(bool callSucceeded, long statusAfterCall)
{
    return callSucceeded || statusAfterCall == statusNotRegistered || statusAfterCall == statusNotFound;
}

} // namespace Trayvane::MacValues
