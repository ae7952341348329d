#include "MacInstance.h"

#import <AppKit/AppKit.h>

namespace Trayvane {

int runningCopiesOfThisProgram()
{
    @autoreleasepool {
        NSString *identifier = [[NSBundle mainBundle] bundleIdentifier];
        if (!identifier)
            identifier = @"";
        return int([[NSRunningApplication runningApplicationsWithBundleIdentifier:identifier] count]);
    }
}

} // namespace Trayvane
