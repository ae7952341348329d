#include "MacLoginItem.h"

#include "Platform/SystemLoginItem.h"
#include "Platform/mac/MacValues.h"

#import <ServiceManagement/ServiceManagement.h>

namespace Trayvane {

namespace {
long mainAppStatus()
{
    return long([[SMAppService mainAppService] status]);
}
} // namespace

bool MacLoginItem::isEnabled()
{
    @autoreleasepool {
        return MacValues::isLoginItemEnabled(mainAppStatus());
    }
}

bool MacLoginItem::registerItem()
{
    @autoreleasepool {
        NSError *error = nil; // the detail is not shown
        return [[SMAppService mainAppService] registerAndReturnError:&error];
    }
}

bool MacLoginItem::unregisterItem()
{
    @autoreleasepool {
        NSError *error = nil;
        const bool succeeded = [[SMAppService mainAppService] unregisterAndReturnError:&error];
        return MacValues::unregisterSucceeded(succeeded, mainAppStatus());
    }
}

LoginItem *createSystemLoginItem(QObject *parent)
{
    return new MacLoginItem(parent);
}

} // namespace Trayvane
