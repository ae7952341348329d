// The accessibility interface (AXUIElement) and Core Foundation values as the
// platform interface passes them on. macOS only.
#pragma once

#include "Platform/mac/AccessibilityMirror.h"
#include "Platform/mac/CFRef.h"

#include <ApplicationServices/ApplicationServices.h>

#include <QImage>
#include <QVariant>

namespace Trayvane {

/// One accessibility element of another application.
class AXElement final : public PlatformElement
{
public:
    explicit AXElement(CFRef<AXUIElementRef> element) : ref(std::move(element)) {}
    CFRef<AXUIElementRef> ref;
};

/// A Core Foundation value as a QVariant: a text as QString, a number as
/// qint64 or double, a Boolean, an array as QVariantList, a dictionary as a
/// QVariantMap of its text keys, an accessibility element as ElementRef, an
/// accessibility value as GeometryValue (or its error code). Anything else,
/// and nesting deeper than a few levels, is invalid; long arrays are cut.
QVariant variantFromCF(CFTypeRef value, int depth = 0);

/// A picture drawn by the window server as a QImage (premultiplied ARGB); null
/// for none or for an implausibly large one.
QImage imageFromCGImage(CGImageRef image);

/// The accessibility interface for the mirror's thread. Every element it hands
/// out carries a messaging timeout, so a hung application fails a request
/// after a fraction of a second instead of holding the thread.
class MacAccessibilitySource final : public AccessibilitySource
{
public:
    ElementRef applicationElement(qint32 processIdentifier) override;
    AttributeResult copyAttributeValue(const ElementRef &element, const QString &attribute) override;
    int performAction(const ElementRef &element, const QString &action) override;
};

} // namespace Trayvane
