// The control interface on the session bus.
#include "App/linux/TrayvaneControl.h"

#include "Services/MenuBarService.h"
#include "trayvanecontroladaptor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Trayvane {

TrayvaneControl::TrayvaneControl(MenuBarService &service, std::function<void()> togglePanel,
                                 const QDBusConnection &connection, QObject *parent)
    : QObject(parent), m_service(service), m_togglePanel(std::move(togglePanel)), m_connection(connection)
{
    new TrayvaneControlAdaptor(this);
    connect(&m_service, &MenuBarService::itemsChanged, this, [this] { m_itemsJson = QString(); });
    if (m_connection.isConnected())
        m_exported = m_connection.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors);
}

TrayvaneControl::~TrayvaneControl()
{
    if (m_exported && m_connection.isConnected())
        m_connection.unregisterObject(ObjectPath);
}

QJsonObject TrayvaneControl::itemObject(const MenuBarItem &item)
{
    return QJsonObject{
        {QStringLiteral("id"), item.id},
        {QStringLiteral("ownerName"), item.ownerName},
        {QStringLiteral("displayName"), item.displayName},
        {QStringLiteral("bundleIdentifier"),
         item.bundleIdentifier ? QJsonValue(*item.bundleIdentifier) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("orderKey"), item.orderKey()},
        {QStringLiteral("ownerPID"), item.ownerPID},
        {QStringLiteral("isHidden"), item.isHidden},
    };
}

namespace {

// A JSON string literal, escaped the way QJsonDocument's compact form does, so
// that the text stays what scripts have always received.
void appendJsonString(QString &out, QStringView text)
{
    static constexpr char hex[] = "0123456789abcdef";
    out += u'"';
    qsizetype plainFrom = 0;
    const auto escape = [&](qsizetype at, QStringView replacement) {
        out += text.sliced(plainFrom, at - plainFrom);
        out += replacement;
        plainFrom = at + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\' && !QChar::isSurrogate(c))
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i; // a whole pair passes as it is
            continue;
        }
        switch (c) {
        case u'"': escape(i, u"\\\""); break;
        case u'\\': escape(i, u"\\\\"); break;
        case u'\b': escape(i, u"\\b"); break;
        case u'\f': escape(i, u"\\f"); break;
        case u'\n': escape(i, u"\\n"); break;
        case u'\r': escape(i, u"\\r"); break;
        case u'\t': escape(i, u"\\t"); break;
        default: {
            // Other control characters and half a surrogate pair.
            const char16_t code[] = {u'\\', u'u', char16_t(hex[(c >> 12) & 0xf]), char16_t(hex[(c >> 8) & 0xf]),
                                     char16_t(hex[(c >> 4) & 0xf]), char16_t(hex[c & 0xf])};
            escape(i, QStringView(code, 6));
        }
        }
    }
    out += text.sliced(plainFrom);
    out += u'"';
}

} // namespace

QString TrayvaneControl::Items() const
{
    if (!m_itemsJson.isNull())
        return m_itemsJson;
    // Written directly rather than through QJsonObject: with a thousand items
    // the document model costs several times the text itself. Keys in the
    // order QJsonDocument writes them (sorted).
    QString out;
    out.reserve(2 + m_service.items().size() * 256);
    out += u'[';
    bool first = true;
    for (const MenuBarItem &item : m_service.items()) {
        if (!first)
            out += u',';
        first = false;
        out += u"{\"bundleIdentifier\":";
        if (item.bundleIdentifier)
            appendJsonString(out, *item.bundleIdentifier);
        else
            out += u"null";
        out += u",\"displayName\":";
        appendJsonString(out, item.displayName);
        out += u",\"id\":";
        appendJsonString(out, item.id);
        out += u",\"isHidden\":";
        out += item.isHidden ? u"true" : u"false";
        out += u",\"orderKey\":";
        appendJsonString(out, item.orderKey());
        out += u",\"ownerName\":";
        appendJsonString(out, item.ownerName);
        out += u",\"ownerPID\":";
        out += QString::number(item.ownerPID);
        out += u'}';
    }
    out += u']';
    m_itemsJson = out;
    return out;
}

bool TrayvaneControl::Activate(const QString &id)
{
    for (const MenuBarItem &item : m_service.items()) {
        if (item.id == id) {
            m_service.clickItem(item);
            return true;
        }
    }
    return false;
}

void TrayvaneControl::Refresh()
{
    m_service.scan();
}

void TrayvaneControl::TogglePanel()
{
    if (m_togglePanel)
        m_togglePanel();
}

} // namespace Trayvane
