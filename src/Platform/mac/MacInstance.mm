#include "MacInstance.h"

#import <AppKit/AppKit.h>

namespace Trayvane {

int runningCopiesOfThisProgram()
{
    @autoreleasepool {
        NSString *identifier = [[NSBundle mainBundle] bundleIdentifier] ?: @"";
        return int([[NSRunningApplication runningApplicationsWithBundleIdentifier:identifier] count]);
    }
}

} // namespace Trayvane
