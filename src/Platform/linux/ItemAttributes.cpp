// The attributes of status items, answered from the kept state.
#include "Platform/linux/ItemAttributes.h"

#include "Platform/Platform.h"
#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/ListedItems.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedHelpers.h"
#include "Platform/linux/XEmbedTray.h"

#include <array>
#include <typeinfo>

namespace Trayvane {

namespace {

enum class Name { ExtrasMenuBar, Children, Description, Title, Position, Size, Other };

// Which attribute is asked for. The service asks with the shared name
// constants, so the text data itself mostly tells; the texts are compared
// only otherwise.
Name nameOf(const QString &attribute)
{
    static const std::array<std::pair<const QString *, Name>, 6> names{{
        {&AXName::Description, Name::Description},
        {&AXName::Title, Name::Title},
        {&AXName::Position, Name::Position},
        {&AXName::Size, Name::Size},
        {&AXName::Children, Name::Children},
        {&AXName::ExtrasMenuBar, Name::ExtrasMenuBar},
    }};
    for (const auto &[text, name] : names) {
        if (attribute.constData() == text->constData())
            return name;
    }
    for (const auto &[text, name] : names) {
        if (attribute == *text)
            return name;
    }
    return Name::Other;
}

// The position or size of an item's place on the virtual bar, as the
// accessibility interface would answer them.
AttributeResult geometryAttribute(const QRectF &geometry, Name name)
{
    if (name == Name::Position)
        return {AXError::Success,
                QVariant::fromValue(GeometryValue{GeometryValue::Kind::Point, geometry.x(), geometry.y()})};
    if (name == Name::Size)
        return {AXError::Success,
                QVariant::fromValue(GeometryValue{GeometryValue::Kind::Size, geometry.width(), geometry.height()})};
    return {AXError::AttributeUnsupported, {}};
}

// An X11 tray icon's attribute.
AttributeResult xembedAttribute(const QList<XEmbedIcon> &icons, quint32 window, Name name)
{
    const auto it = std::find_if(icons.cbegin(), icons.cend(), [window](const XEmbedIcon &icon) {
        return icon.window == window;
    });
    if (it == icons.cend())
        return {AXError::CannotComplete, {}}; // the icon left meanwhile
    if (name == Name::Description) {
        const QString text = Sni::capText(XEmbed::iconName(it->title, it->windowClass, it->instance));
        return text.isEmpty() ? AttributeResult{AXError::NoValue, {}} : AttributeResult{AXError::Success, text};
    }
    if (name == Name::Title) {
        if (it->windowClass.isEmpty())
            return {AXError::NoValue, {}};
        return {AXError::Success, Sni::capText(it->windowClass)};
    }
    return geometryAttribute(Sni::barGeometry(xembedFirstRank + int(it - icons.cbegin()), it->isShown), name);
}

} // namespace

ItemAttributes::ItemAttributes(const StatusNotifierHost &host, const XEmbedTray &xembed, ListedItems &listed)
    : m_host(host), m_xembed(xembed), m_listed(listed)
{
}

const QList<ItemAttributes::Answers> &ItemAttributes::answers(const ListedItems::Snapshot &current)
{
    if (current.generation == m_answersGeneration)
        return m_answers;
    // The texts are copied here, one after the other, rather than shared
    // with the item's state, which lies wherever its answer arrived: a scan
    // reads them all, and together they fill a few pages of memory.
    auto text = [](const std::optional<QString> &value) -> AttributeResult {
        if (!value)
            return {AXError::NoValue, {}};
        return {AXError::Success, QString(value->constData(), value->size())};
    };
    const bool otherHost = m_host.isOtherHostPresent();
    m_answers.clear();
    m_answers.reserve(current.items.size());
    for (qsizetype i = 0; i < current.items.size(); ++i) {
        const SniItemState &item = *current.items.at(i);
        const QRectF geometry = Sni::barGeometry(int(i) + 1, Sni::isDisplayed(otherHost, item.status));
        m_answers.append({text(Sni::itemDescription(item.title, item.toolTipTitle)), text(Sni::itemTitle(item.id)),
                          geometryAttribute(geometry, Name::Position), geometryAttribute(geometry, Name::Size)});
    }
    m_answersGeneration = current.generation;
    return m_answers;
}

AttributeResult ItemAttributes::copy(const ElementRef &element, const QString &attribute)
{
    // Elements are only ever ours or a caller's mistake; the exact type test
    // is cheaper than a cast through the hierarchy, four times per item.
    if (!element || typeid(*element) != typeid(LinuxElement))
        return {AXError::Failure, {}};
    const auto *linuxElement = static_cast<const LinuxElement *>(element.data());
    const ListedItems::Snapshot &current = m_listed.current();
    const Name name = nameOf(attribute);
    switch (linuxElement->kind) {
    case LinuxElement::Kind::Application: {
        if (name != Name::ExtrasMenuBar)
            return {AXError::AttributeUnsupported, {}};
        const auto process = current.processByPid.constFind(linuxElement->pid);
        if (process == current.processByPid.cend())
            return {AXError::NoValue, {}};
        return {AXError::Success, process->bar};
    }
    case LinuxElement::Kind::Bar: {
        if (name != Name::Children)
            return {AXError::AttributeUnsupported, {}};
        const auto process = current.processByPid.constFind(linuxElement->pid);
        return {AXError::Success,
                process != current.processByPid.cend() ? process->children : QVariant::fromValue(ElementList())};
    }
    case LinuxElement::Kind::Item:
        break;
    case LinuxElement::Kind::XEmbedIcon:
        return xembedAttribute(m_xembed.icons(), quint32(linuxElement->sequence), name);
    }
    const int rank = linuxElement->generation == current.generation
        ? linuxElement->rank
        : current.rankBySequence.value(linuxElement->sequence, 0);
    if (rank <= 0)
        return {AXError::CannotComplete, {}}; // the item left meanwhile
    const Answers &answer = answers(current).at(rank - 1);
    switch (name) {
    case Name::Description:
        return answer.description;
    case Name::Title:
        return answer.title;
    case Name::Position:
        return answer.position;
    case Name::Size:
        return answer.size;
    default:
        return {AXError::AttributeUnsupported, {}};
    }
}

} // namespace Trayvane
