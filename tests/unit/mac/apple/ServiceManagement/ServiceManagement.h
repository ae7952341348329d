// ServiceManagement as the macOS backend uses it (declarations only).
#pragma once

#import <AppKit/AppKit.h>

typedef enum : NSInteger {} SMAppServiceStatus; // the status rules live in MacValues

API_AVAILABLE(macos(13.0))
@interface SMAppService : NSObject
@property (class, readonly) SMAppService *mainAppService;
@property (readonly) SMAppServiceStatus status;
- (BOOL)registerAndReturnError:(NSError **)error;
- (BOOL)unregisterAndReturnError:(NSError **)error;
@end
