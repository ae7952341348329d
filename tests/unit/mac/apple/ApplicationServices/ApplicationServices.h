// The accessibility interface and Core Graphics as the macOS backend uses
// them (declarations only).
#pragma once

#include <CoreFoundation/CoreFoundation.h>

extern "C" {

// Core Graphics geometry, images and bitmap contexts.
struct CGPoint { CGFloat x; CGFloat y; };
struct CGSize { CGFloat width; CGFloat height; };
struct CGRect { CGPoint origin; CGSize size; };
typedef struct CGPoint CGPoint;
typedef struct CGSize CGSize;
typedef struct CGRect CGRect;
CGPoint CGPointMake(CGFloat x, CGFloat y);
CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height);

typedef struct CGImage *CGImageRef;
typedef struct CGContext *CGContextRef;
typedef struct CGColorSpace *CGColorSpaceRef;
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
extern const CFStringRef kCGColorSpaceSRGB;
CGColorSpaceRef CGColorSpaceCreateWithName(CFStringRef name);

typedef enum : uint32_t { kCGImageAlphaPremultipliedFirst = 2 } CGImageAlphaInfo;
typedef enum : uint32_t { kCGBitmapByteOrder32Little = (2 << 12) } CGBitmapInfo;
#define kCGBitmapByteOrder32Host kCGBitmapByteOrder32Little
CGContextRef CGBitmapContextCreate(void *data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);

// The window server.
typedef uint32_t CGWindowID;
#define kCGNullWindowID ((CGWindowID)0)
typedef enum : uint32_t {} CGWindowListOption; // the backend's values come from MacValues
typedef enum : uint32_t {} CGWindowImageOption;
CFArrayRef CGWindowListCopyWindowInfo(CGWindowListOption option, CGWindowID relativeToWindow);
CGImageRef CGWindowListCreateImage(CGRect screenBounds, CGWindowListOption listOption, CGWindowID windowID,
                                   CGWindowImageOption imageOption)
    __attribute__((deprecated("Please use ScreenCaptureKit instead.")));
bool CGPreflightScreenCaptureAccess(void) API_AVAILABLE(macos(10.15));
bool CGRequestScreenCaptureAccess(void) API_AVAILABLE(macos(10.15));

// Synthesized events.
typedef struct __CGEvent *CGEventRef;
typedef struct __CGEventSource *CGEventSourceRef;
typedef enum : uint32_t { kCGEventLeftMouseDown = 1, kCGEventLeftMouseUp = 2 } CGEventType;
typedef enum : uint32_t { kCGMouseButtonLeft = 0 } CGMouseButton;
typedef enum : uint32_t { kCGHIDEventTap = 0 } CGEventTapLocation;
CGEventRef CGEventCreateMouseEvent(CGEventSourceRef source, CGEventType mouseType, CGPoint mouseCursorPosition,
                                   CGMouseButton mouseButton);
void CGEventPost(CGEventTapLocation tap, CGEventRef event);

// The accessibility interface.
typedef int32_t AXError;
typedef const struct __AXUIElement *AXUIElementRef;
typedef const struct __AXValue *AXValueRef;
typedef enum : UInt32 {
    kAXValueTypeCGPoint = 1,
    kAXValueTypeCGSize = 2,
    kAXValueTypeCGRect = 3,
    kAXValueTypeCFRange = 4,
    kAXValueTypeAXError = 5,
} AXValueType;

CFTypeID AXUIElementGetTypeID(void);
AXUIElementRef AXUIElementCreateApplication(pid_t pid);
AXError AXUIElementCopyAttributeValue(AXUIElementRef element, CFStringRef attribute, CFTypeRef *value);
AXError AXUIElementPerformAction(AXUIElementRef element, CFStringRef action);
AXError AXUIElementSetMessagingTimeout(AXUIElementRef element, float timeoutInSeconds);

CFTypeID AXValueGetTypeID(void);
AXValueType AXValueGetType(AXValueRef value);
Boolean AXValueGetValue(AXValueRef value, AXValueType theType, void *valuePtr);

Boolean AXIsProcessTrusted(void);
Boolean AXIsProcessTrustedWithOptions(CFDictionaryRef options);
extern CFStringRef kAXTrustedCheckOptionPrompt;

} // extern "C"
