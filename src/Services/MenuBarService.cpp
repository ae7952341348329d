// MenuBarService: construction, scan, window lookup, order, activation and
// permission.
#include "Services/MenuBarService.h"

#include "Platform/AppIdentity.h"
#include "Services/OrderMerge.h"
#include "Services/OrderStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace Trayvane {

namespace {

const QString unknownOwner = QStringLiteral("Unbekannt");
const QString permissionTool = QStringLiteral("/usr/bin/tccutil");

constexpr double maximumStatusWindowHeight = 40.0;
constexpr double maximumStatusWindowWidth = 200.0;

std::optional<ElementRef> asElement(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<ElementRef>()) {
        ElementRef element = value.value<ElementRef>();
        if (element)
            return element;
    }
    return std::nullopt;
}

std::optional<ElementList> asElementList(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<ElementList>()) {
        const ElementList list = value.value<ElementList>();
        for (const ElementRef &element : list)
            if (!element)
                return std::nullopt;
        return list;
    }
    if (value.metaType() == QMetaType::fromType<QVariantList>()) {
        ElementList list;
        for (const QVariant &entry : value.toList()) {
            std::optional<ElementRef> element = asElement(entry);
            if (!element)
                return std::nullopt;
            list.append(*element);
        }
        return list;
    }
    return std::nullopt;
}

std::optional<QString> asText(const QVariant &value)
{
    // Read in place: toString() would go through the conversion machinery.
    if (value.metaType() == QMetaType::fromType<QString>())
        return *static_cast<const QString *>(value.constData());
    return std::nullopt;
}

// Reads a geometry value of the wanted kind; (0, 0) when missing or of
// another kind, the way a typed read leaves its output untouched.
QPointF asGeometry(const QVariant &value, GeometryValue::Kind kind)
{
    if (value.metaType() == QMetaType::fromType<GeometryValue>()) {
        const auto &geometry = *static_cast<const GeometryValue *>(value.constData());
        if (geometry.kind == kind)
            return {geometry.first, geometry.second};
    }
    return {0.0, 0.0};
}

bool isNumberType(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

std::optional<double> asFloat(const QVariant &value)
{
    if (!isNumberType(value))
        return std::nullopt;
    return value.toDouble();
}

// An integral number within [low, high], also when it arrives as a float
// without a fraction.
std::optional<qint64> asInteger(const QVariant &value, qint64 low, qint64 high)
{
    if (!isNumberType(value))
        return std::nullopt;
    const int type = value.metaType().id();
    if (type == QMetaType::Double || type == QMetaType::Float) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || d < double(low) || d > double(high))
            return std::nullopt;
        return qint64(d);
    }
    if (type == QMetaType::ULongLong || type == QMetaType::ULong) {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(high))
            return std::nullopt;
        return qint64(u);
    }
    const qint64 i = value.toLongLong();
    if (i < low || i > high)
        return std::nullopt;
    return i;
}

// Equal texts, told at once when they are the same copy (the usual case for
// what a rescan reads).
bool sameText(const QString &a, const QString &b)
{
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

bool sameText(const std::optional<QString> &a, const std::optional<QString> &b)
{
    return a.has_value() == b.has_value() && (!a || sameText(*a, *b));
}

// A window's x and its place in the window server's order.
struct WindowAt
{
    double x;
    qsizetype index;
};

std::vector<WindowAt> sortedByX(const QList<WindowInfo> &windows)
{
    std::vector<WindowAt> byX;
    byX.reserve(std::size_t(windows.size()));
    for (qsizetype i = 0; i < windows.size(); ++i) {
        if (!std::isnan(windows.at(i).x)) // never near anything
            byX.push_back({windows.at(i).x, i});
    }
    std::sort(byX.begin(), byX.end(), [](const WindowAt &a, const WindowAt &b) {
        return a.x < b.x || (a.x == b.x && a.index < b.index);
    });
    return byX;
}

// The first window in the window server's order whose x lies less than the
// match distance from `x`, found without walking the whole list per item. A
// window that passes the test lies in [x - d, x + d] also after rounding of
// the bounds, as the bounds round to the nearest representable value.
const WindowInfo *windowNear(const QList<WindowInfo> &windows, const std::vector<WindowAt> &byX, double x)
{
    if (std::isnan(x))
        return nullptr;
    const double distance = MenuBarService::captureMatchDistance;
    auto it = std::lower_bound(byX.begin(), byX.end(), x - distance,
                               [](const WindowAt &window, double low) { return window.x < low; });
    qsizetype first = -1;
    for (; it != byX.end() && it->x <= x + distance; ++it) {
        if (std::abs(it->x - x) < distance && (first < 0 || it->index < first))
            first = it->index;
    }
    return first < 0 ? nullptr : &windows.at(first);
}

} // namespace

MenuBarService::MenuBarService(Platform &platform, QObject *parent)
    : QObject(parent), m_platform(platform)
{
    m_axTrusted = m_platform.isProcessTrusted();

    const QString dataDirectory = m_platform.applicationDataDirectory();
    if (!dataDirectory.isEmpty()) {
        const QString folder = QDir(dataDirectory).filePath(QStringLiteral("Trayvane"));
        QDir().mkpath(folder); // a failure only makes later writes fail
        m_configPath = QDir(folder).filePath(QStringLiteral("order.json"));
    }

    loadOrder();
    m_platform.setStateChangedHandler([this] { onStateChanged(); });
    scan();

    // The timer is a child: it stops with the service, so no tick can reach a
    // service that is gone.
    m_timer = new QTimer(this);
    m_timer->setInterval(scanIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &MenuBarService::scan);
    m_timer->start();
}

MenuBarService::~MenuBarService()
{
    m_platform.setStateChangedHandler({});
    if (m_timer)
        m_timer->stop();
}

void MenuBarService::onStateChanged()
{
    switch (m_changeScan) {
    case ChangeScan::Idle: {
        // Not from inside the report: the backend may be in the middle of
        // updating what the scan reads.
        m_changeScan = ChangeScan::Queued;
        const QPointer<MenuBarService> self(this);
        m_platform.runAfter(0.0, [self] {
            if (self)
                self->runChangeScan();
        });
        break;
    }
    case ChangeScan::Queued:
        break;
    case ChangeScan::Resting:
        m_changedWhileResting = true;
        break;
    }
}

void MenuBarService::runChangeScan()
{
    m_changeScan = ChangeScan::Resting;
    m_changedWhileResting = false;
    scan();
    const QPointer<MenuBarService> self(this);
    m_platform.runAfter(changeScanSpacing, [self] {
        if (self)
            self->endChangeRest();
    });
}

void MenuBarService::endChangeRest()
{
    if (m_changedWhileResting)
        runChangeScan();
    else
        m_changeScan = ChangeScan::Idle;
}

void MenuBarService::setOrderedKeys(const QStringList &keys)
{
    m_orderedKeys = keys;
    m_normalizedKeys = OrderMerge::canonical(keys);
    m_lastOrderValid = false;
    emit orderedKeysChanged();
}

void MenuBarService::setAxTrusted(bool trusted)
{
    m_axTrusted = trusted;
    emit axTrustedChanged();
}

void MenuBarService::swapItems(int first, int second)
{
    if (first < 0 || second < 0 || first >= m_items.size() || second >= m_items.size())
        return;
    m_items.swapItemsAt(first, second);
    emit itemsChanged();
}

QList<WindowInfo> MenuBarService::buildWindowLookup()
{
    QList<WindowInfo> result;
    const QVariant list = m_platform.copyWindowList();
    if (list.metaType() != QMetaType::fromType<QVariantList>())
        return result;
    const QVariantList windows = list.toList();
    // Only a list made entirely of descriptions counts; anything else is
    // treated as no list at all.
    for (const QVariant &window : windows)
        if (window.metaType() != QMetaType::fromType<QVariantMap>())
            return result;

    for (const QVariant &window : windows) {
        const QVariantMap description = window.toMap();
        const QVariant boundsValue = description.value(WindowKey::Bounds);
        if (boundsValue.metaType() != QMetaType::fromType<QVariantMap>())
            continue;
        const QVariantMap bounds = boundsValue.toMap();
        const auto x = asFloat(bounds.value(WindowKey::X));
        const auto y = asFloat(bounds.value(WindowKey::Y));
        const auto width = asFloat(bounds.value(WindowKey::Width));
        const auto height = asFloat(bounds.value(WindowKey::Height));
        const auto number = asInteger(description.value(WindowKey::Number), 0, std::numeric_limits<quint32>::max());
        const auto layer = asInteger(description.value(WindowKey::Layer), std::numeric_limits<qint64>::min(),
                                     std::numeric_limits<qint64>::max());
        if (!x || !y || !width || !height || !number || !layer)
            continue;
        if (*y == 0.0 && *layer == statusWindowLayer && *height <= maximumStatusWindowHeight && *width > 0.0
            && *width < maximumStatusWindowWidth)
            result.append({quint32(*number), *x, *width});
    }
    return result;
}

void MenuBarService::scan()
{
    if (m_pauseScan)
        return;

    const qint32 ownPid = m_platform.ownProcessIdentifier();
    const QList<WindowInfo> windows = buildWindowLookup();
    const std::vector<WindowAt> windowsByX = sortedByX(windows);
    MenuBarItemList discovered;
    discovered.reserve(qsizetype(m_lastFound.size()));
    std::vector<Found> found;
    found.reserve(m_lastFound.size());
    bool foundAsLast = true; // every item so far as the last scan found it

    for (const RunningApplication &app : m_platform.runningApplications()) {
        if (app.processIdentifier == ownPid)
            continue;
        const ElementRef appElement = m_platform.createApplicationElement(app.processIdentifier);
        const AttributeResult barResult = m_platform.copyAttributeValue(appElement, AXName::ExtrasMenuBar);
        if (barResult.error != AXError::Success)
            continue;
        const std::optional<ElementRef> bar = asElement(barResult.value);
        if (!bar)
            continue;
        const std::optional<ElementList> children = asElementList(m_platform.copyAttributeValue(*bar, AXName::Children).value);
        if (!children)
            continue;

        const QString ownerName = app.localizedName.value_or(unknownOwner);
        for (const ElementRef &child : *children) {
            const std::optional<QString> description = asText(m_platform.copyAttributeValue(child, AXName::Description).value);
            const std::optional<QString> title = asText(m_platform.copyAttributeValue(child, AXName::Title).value);
            const QPointF position = asGeometry(m_platform.copyAttributeValue(child, AXName::Position).value,
                                                GeometryValue::Kind::Point);
            const QPointF size = asGeometry(m_platform.copyAttributeValue(child, AXName::Size).value, GeometryValue::Kind::Size);
            const double x = position.x();
            const double width = size.x();

            QString displayName;
            if (description && !description->isEmpty()) {
                displayName = *description;
            } else {
                const bool hasTitle = title && !title->isEmpty();
                if (!hasTitle && !(width > 0.0) && !(x > 0.0))
                    continue;
                displayName = hasTitle ? *title : ownerName;
            }

            MenuBarItem &item = discovered.emplaceBack(); // filled in place: the records are costly to move
            item.isHidden = x == 0.0 || width == 0.0;
            if (const WindowInfo *window = windowNear(windows, windowsByX, x))
                item.menuBarIcon = m_platform.createWindowImage(QRectF(x, 0.0, window->width, captureHeight),
                                                                window->windowID);
            const Found *before = found.size() < m_lastFound.size() ? &m_lastFound[found.size()] : nullptr;
            const bool samePlace = before && before->x == x && sameText(before->ownerName, ownerName)
                                   && sameText(before->displayName, displayName);
            item.id = samePlace ? before->id : MenuBarItem::makeId(ownerName, displayName, x);
            foundAsLast = foundAsLast && samePlace && sameText(before->bundleIdentifier, app.bundleIdentifier);
            found.push_back({ownerName, displayName, app.bundleIdentifier, x, item.id});
            item.ownerName = ownerName;
            item.displayName = displayName;
            item.ownerPID = app.processIdentifier;
            item.bundleIdentifier = app.bundleIdentifier;
            item.frame = QRectF(x, position.y(), width, size.y());
            item.appIcon = app.icon;
            item.axElement = child;
        }
    }

    // The merge depends only on the order keys and x of the items in
    // discovery order, and on the saved keys.
    if (!m_lastOrderValid || !foundAsLast || found.size() != m_lastFound.size()) {
        m_lastOrder = OrderMerge::order(discovered, m_normalizedKeys);
        m_lastOrderValid = true;
    }
    m_lastFound = std::move(found);
    MenuBarItemList result = OrderMerge::arranged(std::move(discovered), m_lastOrder);

    setAxTrusted(m_platform.isProcessTrusted());
    m_items = std::move(result);
    emit itemsChanged();

    if (m_orderedKeys.isEmpty() && !m_items.isEmpty())
        saveOrder();
}

void MenuBarService::loadOrder()
{
    QStringList keys;
    switch (OrderStore::load(m_configPath, keys)) {
    case OrderStore::LoadResult::Loaded:
        setOrderedKeys(keys);
        break;
    case OrderStore::LoadResult::Unreadable:
        m_preserveUnreadableFile = true;
        break;
    case OrderStore::LoadResult::Missing:
        break;
    }
}

void MenuBarService::saveOrder()
{
    QStringList keys;
    keys.reserve(m_items.size());
    for (const MenuBarItem &item : std::as_const(m_items))
        keys.append(item.orderKey());
    setOrderedKeys(keys);

    if (m_preserveUnreadableFile) {
        // Set aside what could not be read instead of overwriting it, so a
        // damaged or foreign file is never destroyed by the first save.
        if (OrderStore::setAside(m_configPath) || !QFileInfo::exists(m_configPath))
            m_preserveUnreadableFile = false;
        else
            return; // kept in memory; the next save tries again
    }
    OrderStore::save(m_configPath, m_orderedKeys);
}

void MenuBarService::clickItem(MenuBarItem item)
{
    if (item.axElement) {
        m_platform.performAction(item.axElement, AXName::Press);
        return;
    }

    const QPointF point(item.frame.x() + item.frame.width() * 0.5, item.frame.y() + item.frame.height() * 0.5);
    // A point that is not a number has no place on screen to click.
    if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
        return;

    // The steps hold the platform, never the service: they run even when the
    // panel or the service is gone by then.
    Platform *platform = &m_platform;
    m_platform.runAfter(mouseDownDelay, [platform, point] {
        const MouseEventRef down = platform->createMouseEvent(PlatformMouseEvent::Type::LeftMouseDown, point);
        const MouseEventRef up = platform->createMouseEvent(PlatformMouseEvent::Type::LeftMouseUp, point);
        if (down)
            platform->postMouseEvent(down);
        platform->runAfter(mouseUpDelay, [platform, up] {
            if (up)
                platform->postMouseEvent(up);
        });
    });
}

void MenuBarService::openAccessibilitySettings()
{
    if (m_platform.isProcessTrusted()) {
        m_platform.openUrl(accessibilitySettingsUrl);
        return;
    }
    const QString bundleIdentifier = m_platform.mainBundleIdentifier().value_or(builtInBundleIdentifier());
    m_platform.runPermissionTool(permissionTool,
                                 {QStringLiteral("reset"), QStringLiteral("Accessibility"), bundleIdentifier});
    m_platform.requestTrustPrompt();
}

QString MenuBarService::builtInBundleIdentifier()
{
    return applicationId;
}

} // namespace Trayvane
