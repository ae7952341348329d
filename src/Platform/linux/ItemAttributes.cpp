// The attributes of status items, answered from the kept state.
#include "Platform/linux/ItemAttributes.h"

#include "Platform/Platform.h"
#include "Platform/linux/LinuxElement.h"
#include "Platform/linux/ListedItems.h"
#include "Platform/linux/StatusNotifierHost.h"
#include "Platform/linux/XEmbedHelpers.h"
#include "Platform/linux/XEmbedTray.h"

#include <typeinfo>

namespace Trayvane {

namespace {

// The service asks with the shared name constants, so the same name mostly
// comes with the same text data; the text is compared only otherwise.
bool isName(const QString &attribute, const QString &name)
{
    return attribute.constData() == name.constData() || attribute == name;
}

// The position or size of an item's place on the virtual bar, as the
// accessibility interface would answer them.
AttributeResult geometryAttribute(const QRectF &geometry, const QString &attribute)
{
    if (isName(attribute, AXName::Position))
        return {AXError::Success,
                QVariant::fromValue(GeometryValue{GeometryValue::Kind::Point, geometry.x(), geometry.y()})};
    if (isName(attribute, AXName::Size))
        return {AXError::Success,
                QVariant::fromValue(GeometryValue{GeometryValue::Kind::Size, geometry.width(), geometry.height()})};
    return {AXError::AttributeUnsupported, {}};
}

} // namespace

ItemAttributes::ItemAttributes(const StatusNotifierHost &host, const XEmbedTray &xembed, ListedItems &listed)
    : m_host(host), m_xembed(xembed), m_listed(listed)
{
}

AttributeResult ItemAttributes::copy(const ElementRef &element, const QString &attribute)
{
    // Elements are only ever ours or a caller's mistake; the exact type test
    // is cheaper than a cast through the hierarchy, four times per item.
    if (!element || typeid(*element) != typeid(LinuxElement))
        return {AXError::Failure, {}};
    const auto *linuxElement = static_cast<const LinuxElement *>(element.data());
    const ListedItems::Snapshot &current = m_listed.current();
    switch (linuxElement->kind) {
    case LinuxElement::Kind::Application: {
        if (!isName(attribute, AXName::ExtrasMenuBar))
            return {AXError::AttributeUnsupported, {}};
        if (!current.childrenByPid.contains(linuxElement->pid))
            return {AXError::NoValue, {}};
        return {AXError::Success,
                QVariant::fromValue(ElementRef(new LinuxElement(LinuxElement::Kind::Bar, linuxElement->pid)))};
    }
    case LinuxElement::Kind::Bar: {
        if (!isName(attribute, AXName::Children))
            return {AXError::AttributeUnsupported, {}};
        const QVariant children = current.childrenByPid.value(linuxElement->pid);
        return {AXError::Success, children.isValid() ? children : QVariant::fromValue(ElementList())};
    }
    case LinuxElement::Kind::Item:
        break;
    case LinuxElement::Kind::XEmbedIcon:
        return xembedAttribute(quint32(linuxElement->sequence), attribute);
    }
    const int rank = linuxElement->generation == current.generation
        ? linuxElement->rank
        : current.rankBySequence.value(linuxElement->sequence, 0);
    if (rank <= 0)
        return {AXError::CannotComplete, {}}; // the item left meanwhile
    const SniItemState *item = current.items.at(rank - 1).data();
    auto text = [](const std::optional<QString> &value) -> AttributeResult {
        if (!value)
            return {AXError::NoValue, {}};
        return {AXError::Success, *value};
    };
    if (isName(attribute, AXName::Description))
        return text(Sni::itemDescription(item->title, item->toolTipTitle));
    if (isName(attribute, AXName::Title))
        return text(Sni::itemTitle(item->id));
    return geometryAttribute(Sni::barGeometry(rank, Sni::isDisplayed(m_host.isOtherHostPresent(), item->status)),
                             attribute);
}

AttributeResult ItemAttributes::xembedAttribute(quint32 window, const QString &attribute) const
{
    const QList<XEmbedIcon> &icons = m_xembed.icons();
    const auto it = std::find_if(icons.cbegin(), icons.cend(), [window](const XEmbedIcon &icon) {
        return icon.window == window;
    });
    if (it == icons.cend())
        return {AXError::CannotComplete, {}}; // the icon left meanwhile
    if (isName(attribute, AXName::Description)) {
        const QString name = Sni::capText(XEmbed::iconName(it->title, it->windowClass, it->instance));
        return name.isEmpty() ? AttributeResult{AXError::NoValue, {}} : AttributeResult{AXError::Success, name};
    }
    if (isName(attribute, AXName::Title)) {
        if (it->windowClass.isEmpty())
            return {AXError::NoValue, {}};
        return {AXError::Success, Sni::capText(it->windowClass)};
    }
    return geometryAttribute(Sni::barGeometry(xembedFirstRank + int(it - icons.cbegin()), it->isShown), attribute);
}

} // namespace Trayvane
