// AXUIElement calls and the conversion of their Core Foundation answers.
#include "MacAccessibility.h"

#include "Platform/mac/MacValues.h"

#include <algorithm>
#include <array>
#include <vector>

namespace Trayvane {

namespace {

constexpr int maximumDepth = 8;
constexpr CFIndex maximumListLength = 4096;
constexpr size_t maximumImageSide = 4096;

ElementRef wrapElement(CFRef<AXUIElementRef> element)
{
    if (!element)
        return {};
    AXUIElementSetMessagingTimeout(element.get(), MacValues::messagingTimeout);
    return ElementRef(new AXElement(std::move(element)));
}

const AXElement *axElement(const ElementRef &element)
{
    const auto *ax = dynamic_cast<const AXElement *>(element.data());
    return ax && ax->ref ? ax : nullptr;
}

CFRef<CFStringRef> cfString(const QString &text)
{
    return CFRef<CFStringRef>::adopt(text.toCFString());
}

// Reads the payload of an AXValue and passes its numbers on as doubles.
template <typename Payload, typename Numbers>
QVariant readAXValue(AXValueRef value, ::AXValueType type, Numbers numbers)
{
    Payload payload{};
    if (!AXValueGetValue(value, type, &payload))
        return {};
    const auto values = numbers(payload);
    return MacValues::axValue(int(type), values.data(), int(values.size()));
}

QVariant variantFromAXValue(AXValueRef value)
{
    const ::AXValueType type = AXValueGetType(value);
    switch (type) {
    case kAXValueTypeCGPoint:
        return readAXValue<CGPoint>(value, type, [](const CGPoint &p) { return std::array<double, 2>{p.x, p.y}; });
    case kAXValueTypeCGSize:
        return readAXValue<CGSize>(value, type,
                                   [](const CGSize &s) { return std::array<double, 2>{s.width, s.height}; });
    case kAXValueTypeCGRect:
        return readAXValue<CGRect>(value, type, [](const CGRect &r) {
            return std::array<double, 4>{r.origin.x, r.origin.y, r.size.width, r.size.height};
        });
    case kAXValueTypeCFRange:
        return readAXValue<CFRange>(value, type, [](const CFRange &r) {
            return std::array<double, 2>{double(r.location), double(r.length)};
        });
    case kAXValueTypeAXError:
        return readAXValue<::AXError>(value, type, [](::AXError e) { return std::array<double, 1>{double(e)}; });
    default:
        return {};
    }
}

} // namespace

QVariant variantFromCF(CFTypeRef value, int depth)
{
    if (!value || depth > maximumDepth)
        return {};
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID())
        return QString::fromCFString(static_cast<CFStringRef>(value));
    if (type == CFNumberGetTypeID()) {
        const auto number = static_cast<CFNumberRef>(value);
        const bool isFloat = CFNumberIsFloatType(number);
        SInt64 integral = 0;
        double real = 0.0;
        const bool converted = isFloat ? CFNumberGetValue(number, kCFNumberFloat64Type, &real)
                                       : CFNumberGetValue(number, kCFNumberSInt64Type, &integral);
        return MacValues::numberValue(isFloat, converted, qint64(integral), real);
    }
    if (type == CFBooleanGetTypeID())
        return bool(CFBooleanGetValue(static_cast<CFBooleanRef>(value)));
    if (type == AXUIElementGetTypeID())
        return QVariant::fromValue(
            wrapElement(CFRef<AXUIElementRef>::retain(static_cast<AXUIElementRef>(value))));
    if (type == AXValueGetTypeID())
        return variantFromAXValue(static_cast<AXValueRef>(value));
    if (type == CFArrayGetTypeID()) {
        const auto array = static_cast<CFArrayRef>(value);
        const CFIndex count = std::min(CFArrayGetCount(array), maximumListLength);
        QVariantList list;
        list.reserve(qsizetype(count));
        for (CFIndex i = 0; i < count; ++i)
            list.append(variantFromCF(CFArrayGetValueAtIndex(array, i), depth + 1));
        return list;
    }
    if (type == CFDictionaryGetTypeID()) {
        const auto dictionary = static_cast<CFDictionaryRef>(value);
        const CFIndex count = CFDictionaryGetCount(dictionary);
        if (count <= 0 || count > maximumListLength)
            return QVariantMap();
        std::vector<const void *> keys(static_cast<size_t>(count));
        std::vector<const void *> values(static_cast<size_t>(count));
        CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
        QVariantMap map;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (!keys[i] || CFGetTypeID(keys[i]) != CFStringGetTypeID())
                continue;
            map.insert(QString::fromCFString(static_cast<CFStringRef>(keys[i])), variantFromCF(values[i], depth + 1));
        }
        return map;
    }
    return {};
}

QImage imageFromCGImage(CGImageRef image)
{
    if (!image)
        return {};
    const size_t width = CGImageGetWidth(image);
    const size_t height = CGImageGetHeight(image);
    if (width == 0 || height == 0 || width > maximumImageSide || height > maximumImageSide)
        return {};
    QImage result(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (result.isNull())
        return {};
    result.fill(Qt::transparent);
    const auto space = CFRef<CGColorSpaceRef>::adopt(CGColorSpaceCreateWithName(kCGColorSpaceSRGB));
    // Premultiplied ARGB in native 32-bit words: the layout of Format_ARGB32_Premultiplied.
    const auto bitmapInfo = CGBitmapInfo(uint32_t(kCGImageAlphaPremultipliedFirst) | uint32_t(kCGBitmapByteOrder32Host));
    const auto context = CFRef<CGContextRef>::adopt(CGBitmapContextCreate(
        result.bits(), width, height, 8, size_t(result.bytesPerLine()), space.get(), bitmapInfo));
    if (!context)
        return {};
    CGContextDrawImage(context.get(), CGRectMake(0, 0, CGFloat(width), CGFloat(height)), image);
    return result;
}

ElementRef MacAccessibilitySource::applicationElement(qint32 processIdentifier)
{
    return wrapElement(CFRef<AXUIElementRef>::adopt(AXUIElementCreateApplication(pid_t(processIdentifier))));
}

AttributeResult MacAccessibilitySource::copyAttributeValue(const ElementRef &element, const QString &attribute)
{
    const AXElement *ax = axElement(element);
    if (!ax)
        return {AXError::Failure, {}};
    CFTypeRef raw = nullptr;
    const ::AXError error = AXUIElementCopyAttributeValue(ax->ref.get(), cfString(attribute).get(), &raw);
    const auto value = CFRef<CFTypeRef>::adopt(raw);
    return {int(error), variantFromCF(value.get())};
}

int MacAccessibilitySource::performAction(const ElementRef &element, const QString &action)
{
    const AXElement *ax = axElement(element);
    if (!ax)
        return AXError::Failure;
    return int(AXUIElementPerformAction(ax->ref.get(), cfString(action).get()));
}

} // namespace Trayvane
