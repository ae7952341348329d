// The scripted platform: answers from the world it is given, records the rest.
#include "Platform/scripted/ScriptedPlatform.h"

#include <algorithm>

namespace Trayvane {

namespace {

// An element of the scripted world, found again by process id and position,
// so that a world changed between scans answers for its current state.
class ScriptedElement : public PlatformElement
{
public:
    enum class Kind { Application, Bar, Item };
    ScriptedElement(Kind kind, qint32 pid, int index = -1)
        : kind(kind), processIdentifier(pid), itemIndex(index)
    {
    }
    Kind kind;
    qint32 processIdentifier;
    int itemIndex;
};

class ScriptedMouseEvent : public PlatformMouseEvent
{
public:
    ScriptedMouseEvent(Type type, QPointF point) : m_type(type), m_point(point) {}
    Type type() const override { return m_type; }
    QPointF point() const override { return m_point; }

private:
    Type m_type;
    QPointF m_point;
};

constexpr int apiDisabled = -25211;

} // namespace

ScriptedItem ScriptedItem::make(const std::optional<QString> &description, const std::optional<QString> &title,
                                double x, double width, double y, double height)
{
    ScriptedItem item;
    if (description)
        item.description = text(*description);
    if (title)
        item.title = text(*title);
    item.position = point(x, y);
    item.size = size2(width, height);
    return item;
}

AttributeResult ScriptedItem::point(double x, double y)
{
    return {AXError::Success, QVariant::fromValue(GeometryValue{GeometryValue::Kind::Point, x, y})};
}

AttributeResult ScriptedItem::size2(double width, double height)
{
    return {AXError::Success, QVariant::fromValue(GeometryValue{GeometryValue::Kind::Size, width, height})};
}

QVariantMap ScriptedWorld::window(quint32 number, double x, double y, double width, double height, int layer)
{
    const QVariantMap bounds{{WindowKey::X, x}, {WindowKey::Y, y}, {WindowKey::Width, width}, {WindowKey::Height, height}};
    return {{WindowKey::Bounds, bounds}, {WindowKey::Number, number}, {WindowKey::Layer, layer}};
}

ScriptedPlatform::ScriptedPlatform(ScriptedWorld world) : m_world(std::move(world)) {}

void ScriptedPlatform::advance(double seconds)
{
    const double target = m_now + seconds;
    for (;;) {
        auto next = std::min_element(m_pending.begin(), m_pending.end(), [](const Pending &a, const Pending &b) {
            return a.due < b.due || (a.due == b.due && a.sequence < b.sequence);
        });
        if (next == m_pending.end() || next->due > target)
            break;
        Pending due = *next;
        m_pending.erase(next);
        m_now = std::max(m_now, due.due);
        due.step();
    }
    m_now = target;
}

const ScriptedApplication *ScriptedPlatform::application(qint32 processIdentifier) const
{
    for (const ScriptedApplication &app : m_world.applications)
        if (app.processIdentifier == processIdentifier)
            return &app;
    return nullptr;
}

QList<RunningApplication> ScriptedPlatform::runningApplications()
{
    ++runningApplicationCalls;
    QList<RunningApplication> result;
    result.reserve(m_world.applications.size());
    for (const ScriptedApplication &app : m_world.applications)
        result.append({app.processIdentifier, app.localizedName, app.icon, app.bundleIdentifier});
    return result;
}

ElementRef ScriptedPlatform::createApplicationElement(qint32 processIdentifier)
{
    return ElementRef(new ScriptedElement(ScriptedElement::Kind::Application, processIdentifier));
}

AttributeResult ScriptedPlatform::copyAttributeValue(const ElementRef &element, const QString &attribute)
{
    const auto *scripted = dynamic_cast<const ScriptedElement *>(element.data());
    if (!scripted)
        return {AXError::Failure, {}};
    if (!m_world.trusted)
        return {apiDisabled, {}};
    const ScriptedApplication *app = application(scripted->processIdentifier);
    if (!app)
        return {AXError::CannotComplete, {}};

    switch (scripted->kind) {
    case ScriptedElement::Kind::Application:
        if (attribute != AXName::ExtrasMenuBar)
            return {AXError::AttributeUnsupported, {}};
        if (app->extrasBarAnswer)
            return *app->extrasBarAnswer;
        return {AXError::Success,
                QVariant::fromValue(ElementRef(new ScriptedElement(ScriptedElement::Kind::Bar, app->processIdentifier)))};
    case ScriptedElement::Kind::Bar: {
        if (attribute != AXName::Children)
            return {AXError::AttributeUnsupported, {}};
        if (app->childrenAnswer)
            return *app->childrenAnswer;
        ElementList children;
        children.reserve(app->items.size());
        for (int i = 0; i < app->items.size(); ++i)
            children.append(ElementRef(new ScriptedElement(ScriptedElement::Kind::Item, app->processIdentifier, i)));
        return {app->childrenError, QVariant::fromValue(children)};
    }
    case ScriptedElement::Kind::Item: {
        if (scripted->itemIndex < 0 || scripted->itemIndex >= app->items.size())
            return {AXError::CannotComplete, {}};
        const ScriptedItem &item = app->items.at(scripted->itemIndex);
        if (attribute == AXName::Description)
            return item.description;
        if (attribute == AXName::Title)
            return item.title;
        if (attribute == AXName::Position)
            return item.position;
        if (attribute == AXName::Size)
            return item.size;
        return {AXError::AttributeUnsupported, {}};
    }
    }
    return {AXError::Failure, {}};
}

int ScriptedPlatform::performAction(const ElementRef &element, const QString &action)
{
    const auto *scripted = dynamic_cast<const ScriptedElement *>(element.data());
    Press press;
    press.action = action;
    press.time = m_now;
    if (scripted) {
        press.processIdentifier = scripted->processIdentifier;
        press.itemIndex = scripted->itemIndex;
    }
    presses.append(press);
    return scripted && m_world.trusted ? AXError::Success : AXError::Failure;
}

bool ScriptedPlatform::isProcessTrusted()
{
    ++trustQueries;
    return m_world.trusted;
}

void ScriptedPlatform::requestTrustPrompt()
{
    prompts.append(m_now);
}

QVariant ScriptedPlatform::copyWindowList()
{
    ++windowListCalls;
    return m_world.windowList;
}

QImage ScriptedPlatform::createWindowImage(const QRectF &rect, quint32 windowID)
{
    captureRequests.append({rect, windowID});
    return m_world.captures.value(windowID);
}

MouseEventRef ScriptedPlatform::createMouseEvent(PlatformMouseEvent::Type type, const QPointF &point)
{
    if (!m_world.mouseEventsAvailable)
        return {};
    createdEvents.append({type, point, m_now});
    return MouseEventRef(new ScriptedMouseEvent(type, point));
}

void ScriptedPlatform::postMouseEvent(const MouseEventRef &event)
{
    if (event)
        postedEvents.append({event->type(), event->point(), m_now});
}

void ScriptedPlatform::runAfter(double seconds, std::function<void()> step)
{
    m_pending.append({m_now + seconds, m_sequence++, std::move(step)});
}

bool ScriptedPlatform::openUrl(const QUrl &url)
{
    openedUrls.append(url);
    return m_world.openUrlSucceeds;
}

bool ScriptedPlatform::runPermissionTool(const QString &executable, const QStringList &arguments)
{
    ToolLaunch launch{executable, arguments, m_now, m_now};
    if (m_world.permissionToolStarts) {
        // The call returns only once the tool has exited.
        m_now += m_world.permissionToolDuration;
        launch.endTime = m_now;
    }
    toolLaunches.append(launch);
    return m_world.permissionToolStarts;
}

} // namespace Trayvane
