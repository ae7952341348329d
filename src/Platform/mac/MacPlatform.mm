// The Platform operations on AppKit, the accessibility interface and the
// window server. Attribute queries and presses go through the mirror, so the
// main thread never waits on another application.
#include "MacPlatform.h"

#include "Platform/mac/AccessibilityMirror.h"
#include "Platform/mac/CFRef.h"
#include "Platform/mac/MacAccessibility.h"
#include "Platform/mac/MacValues.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

namespace Trayvane {

namespace {

// tccutil answers at once; a tool that hangs is given up on instead of
// freezing the panel for good.
constexpr int permissionToolStartMs = 5000;
constexpr int permissionToolLimitMs = 30000;
// Application icons are drawn at this many pixels a side.
constexpr CGFloat iconPixels = 64.0;

class MacMouseEvent final : public PlatformMouseEvent
{
public:
    MacMouseEvent(Type type, QPointF point, CFRef<CGEventRef> event)
        : m_type(type), m_point(point), m_event(std::move(event))
    {
    }
    Type type() const override { return m_type; }
    QPointF point() const override { return m_point; }
    CGEventRef event() const { return m_event.get(); }

private:
    Type m_type;
    QPointF m_point;
    CFRef<CGEventRef> m_event;
};

QImage iconImage(NSImage *icon)
{
    if (!icon)
        return {};
    NSRect proposed = NSMakeRect(0, 0, iconPixels, iconPixels);
    // Not owned: the image belongs to the NSImage (and the autorelease pool).
    CGImageRef image = [icon CGImageForProposedRect:&proposed context:nil hints:nil];
    return imageFromCGImage(image);
}

QString iconKey(qint32 pid, const std::optional<QString> &bundleIdentifier)
{
    return QString::number(pid) + QLatin1Char(':') + bundleIdentifier.value_or(QString());
}

} // namespace

MacPlatform::MacPlatform(QObject *parent)
    : QObject(parent),
      m_mirror(std::make_unique<AccessibilityMirror>(std::make_unique<MacAccessibilitySource>()))
{
    // A changed snapshot (the first one included) is worth a scan now rather
    // than at the next tick: the first scan of a start otherwise finds nothing.
    connect(m_mirror.get(), &AccessibilityMirror::snapshotChanged, this, [this] { notifyStateChanged(); });
    // Start reading the status items while the program is still starting.
    runningApplications();
}

MacPlatform::~MacPlatform() = default;

qint32 MacPlatform::ownProcessIdentifier() const
{
    return qint32([[NSProcessInfo processInfo] processIdentifier]);
}

QList<RunningApplication> MacPlatform::runningApplications()
{
    QList<RunningApplication> applications;
    QList<qint32> watched;
    QHash<QString, QImage> icons;
    const qint32 own = ownProcessIdentifier();
    @autoreleasepool {
        for (NSRunningApplication *app in [[NSWorkspace sharedWorkspace] runningApplications]) {
            RunningApplication entry;
            entry.processIdentifier = qint32(app.processIdentifier);
            if (NSString *name = app.localizedName)
                entry.localizedName = QString::fromNSString(name);
            if (NSString *bundle = app.bundleIdentifier)
                entry.bundleIdentifier = QString::fromNSString(bundle);
            const QString key = iconKey(entry.processIdentifier, entry.bundleIdentifier);
            const auto cached = m_icons.constFind(key);
            entry.icon = cached != m_icons.constEnd() ? *cached : iconImage(app.icon);
            icons.insert(key, entry.icon);
            if (entry.processIdentifier != own)
                watched.append(entry.processIdentifier);
            applications.append(std::move(entry));
        }
    }
    m_icons.swap(icons); // icons of ended applications go
    m_mirror->setApplications(watched);
    return applications;
}

ElementRef MacPlatform::createApplicationElement(qint32 processIdentifier)
{
    return m_mirror->applicationElement(processIdentifier);
}

AttributeResult MacPlatform::copyAttributeValue(const ElementRef &element, const QString &attribute)
{
    return m_mirror->copyAttributeValue(element, attribute);
}

int MacPlatform::performAction(const ElementRef &element, const QString &action)
{
    return m_mirror->performAction(element, action);
}

bool MacPlatform::isProcessTrusted()
{
    return AXIsProcessTrusted();
}

void MacPlatform::requestTrustPrompt()
{
    const void *keys[] = {kAXTrustedCheckOptionPrompt};
    const void *values[] = {kCFBooleanTrue};
    const auto options = CFRef<CFDictionaryRef>::adopt(CFDictionaryCreate(
        kCFAllocatorDefault, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    if (options)
        AXIsProcessTrustedWithOptions(options.get());
}

QVariant MacPlatform::copyWindowList()
{
    // Asked once per scan (the window list is read first): without the screen
    // recording permission a capture shows the desktop behind the item, not
    // the item, so none is made and the panel shows the application's icon.
    m_mayCapture = CGPreflightScreenCaptureAccess();
    // The system asks for the screen recording permission only when told to,
    // and shows its prompt once per decision; asked once the accessibility
    // permission is there, so the two prompts do not come at once.
    if (!m_mayCapture && !m_askedForCapture && AXIsProcessTrusted()) {
        m_askedForCapture = true;
        CGRequestScreenCaptureAccess();
    }
    const auto list = CFRef<CFArrayRef>::adopt(
        CGWindowListCopyWindowInfo(CGWindowListOption(MacValues::windowListOptions), kCGNullWindowID));
    if (!list)
        return {};
    return variantFromCF(list.get());
}

QImage MacPlatform::createWindowImage(const QRectF &rect, quint32 windowID)
{
    if (!m_mayCapture)
        return {};
    const CGRect bounds = CGRectMake(rect.x(), rect.y(), rect.width(), rect.height());
    // Deprecated since macOS 14 in favour of ScreenCaptureKit, whose captures
    // arrive asynchronously; the scan needs the picture when it lists the item.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
    const auto image = CFRef<CGImageRef>::adopt(
        CGWindowListCreateImage(bounds, CGWindowListOption(MacValues::captureListOption), CGWindowID(windowID),
                                CGWindowImageOption(MacValues::captureImageOption)));
#pragma clang diagnostic pop
    QImage picture = imageFromCGImage(image.get());
    // The window server draws in pixels; a Retina capture holds two per point.
    if (!picture.isNull() && rect.width() > 0.0)
        picture.setDevicePixelRatio(picture.width() / rect.width());
    return picture;
}

MouseEventRef MacPlatform::createMouseEvent(PlatformMouseEvent::Type type, const QPointF &point)
{
    const CGEventType eventType =
        type == PlatformMouseEvent::Type::LeftMouseDown ? kCGEventLeftMouseDown : kCGEventLeftMouseUp;
    auto event = CFRef<CGEventRef>::adopt(
        CGEventCreateMouseEvent(nullptr, eventType, CGPointMake(point.x(), point.y()), kCGMouseButtonLeft));
    if (!event)
        return {};
    return MouseEventRef(new MacMouseEvent(type, point, std::move(event)));
}

void MacPlatform::postMouseEvent(const MouseEventRef &event)
{
    if (const auto *mac = dynamic_cast<const MacMouseEvent *>(event.data()))
        CGEventPost(kCGHIDEventTap, mac->event());
}

void MacPlatform::runAfter(double seconds, std::function<void()> step)
{
    QTimer::singleShot(std::max(0, int(seconds * 1000.0 + 0.5)), this, std::move(step));
}

bool MacPlatform::openUrl(const QUrl &url)
{
    @autoreleasepool {
        NSURL *link = url.toNSURL();
        return link && [[NSWorkspace sharedWorkspace] openURL:link];
    }
}

std::optional<QString> MacPlatform::mainBundleIdentifier() const
{
    @autoreleasepool {
        NSString *identifier = [[NSBundle mainBundle] bundleIdentifier];
        if (!identifier)
            return std::nullopt;
        return QString::fromNSString(identifier);
    }
}

QString MacPlatform::applicationDataDirectory() const
{
    // ~/Library/Application Support
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool MacPlatform::runPermissionTool(const QString &executable, const QStringList &arguments)
{
    QProcess tool;
    tool.setProgram(executable);
    tool.setArguments(arguments);
    tool.setStandardOutputFile(QProcess::nullDevice());
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start();
    if (!tool.waitForStarted(permissionToolStartMs))
        return false;
    if (!tool.waitForFinished(permissionToolLimitMs)) {
        tool.kill();
        tool.waitForFinished(permissionToolStartMs);
    }
    return true;
}

} // namespace Trayvane
