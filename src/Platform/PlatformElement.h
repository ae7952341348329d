// The handle of another application's accessibility element, on its own so
// that the value records can hold one without the whole platform interface.
#pragma once

#include <QList>
#include <QMetaType>
#include <QSharedPointer>

namespace Trayvane {

// An accessibility element of another application (an application, its status
// item bar, or one status item). Backends derive their own handle from it.
// Reference-counted: the last holder releases it.
class PlatformElement
{
public:
    virtual ~PlatformElement() = default;
};
using ElementRef = QSharedPointer<PlatformElement>;
using ElementList = QList<ElementRef>;

} // namespace Trayvane

Q_DECLARE_METATYPE(Trayvane::ElementRef)
Q_DECLARE_METATYPE(Trayvane::ElementList)
