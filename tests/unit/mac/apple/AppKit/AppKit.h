// AppKit and Foundation as the macOS backend uses them (declarations only).
#pragma once

#include <ApplicationServices/ApplicationServices.h>

// objc.h
typedef bool BOOL;
#define nil nullptr

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef CGRect NSRect;
NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h);

typedef struct {
    unsigned long state;
    id __unsafe_unretained *itemsPtr;
    unsigned long *mutationsPtr;
    unsigned long extra[5];
} NSFastEnumerationState;

@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState *)state
                                  objects:(id __unsafe_unretained[])buffer
                                    count:(NSUInteger)len;
@end

@interface NSObject
@end

@interface NSString : NSObject
@end

@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
@property (readonly) NSUInteger count;
@end

@interface NSDictionary<__covariant KeyType, __covariant ObjectType> : NSObject
@end

@interface NSURL : NSObject
@end

@interface NSError : NSObject
@end

@interface NSGraphicsContext : NSObject
@end

@interface NSImage : NSObject
- (CGImageRef)CGImageForProposedRect:(NSRect *)proposedDestRect
                             context:(NSGraphicsContext *)referenceContext
                               hints:(NSDictionary<NSString *, id> *)hints;
@end

@interface NSRunningApplication : NSObject
@property (readonly) pid_t processIdentifier;
@property (readonly, copy) NSString *localizedName;
@property (readonly, copy) NSString *bundleIdentifier;
@property (readonly, strong) NSImage *icon;
+ (NSArray<NSRunningApplication *> *)runningApplicationsWithBundleIdentifier:(NSString *)bundleIdentifier;
@end

@interface NSWorkspace : NSObject
@property (class, readonly, strong) NSWorkspace *sharedWorkspace;
@property (readonly, copy) NSArray<NSRunningApplication *> *runningApplications;
- (BOOL)openURL:(NSURL *)url;
@end

@interface NSBundle : NSObject
@property (class, readonly, strong) NSBundle *mainBundle;
@property (readonly, copy) NSString *bundleIdentifier;
@end

@interface NSProcessInfo : NSObject
@property (class, readonly, strong) NSProcessInfo *processInfo;
@property (readonly) int processIdentifier;
@end

typedef unsigned long long NSEventMask;
enum : NSEventMask { NSEventMaskLeftMouseDown = 1ULL << 1, NSEventMaskRightMouseDown = 1ULL << 3,
                     NSEventMaskOtherMouseDown = 1ULL << 25 };
@interface NSEvent : NSObject
+ (id)addGlobalMonitorForEventsMatchingMask:(NSEventMask)mask handler:(void (^)(NSEvent *event))block;
+ (void)removeMonitor:(id)eventMonitor;
@end

@interface NSApplication : NSObject
- (void)activate API_AVAILABLE(macos(14.0));
@end
extern NSApplication *NSApp;
