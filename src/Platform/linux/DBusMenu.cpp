// Native menus for dbusmenu items.
#include "Platform/linux/DBusMenu.h"

#include "Platform/linux/DBusCall.h"
#include "Platform/linux/SniProtocol.h"
#include "Platform/linux/SniRegistration.h"
#include "dbusmenuproxy.h"

#include <QActionGroup>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDateTime>
#include <QMenu>

namespace Trayvane {

namespace {

const QString LayoutSignature = QStringLiteral("(ia{sv}av)");

void readNode(const QDBusArgument &argument, DBusMenuNode &node, int depth, int &budget)
{
    argument.beginStructure();
    argument >> node.id;
    argument >> node.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        const QVariant value = child.variant();
        if (depth >= Sni::maxMenuDepth || budget <= 0 || !value.canConvert<QDBusArgument>())
            continue;
        const auto childArgument = value.value<QDBusArgument>();
        if (childArgument.currentSignature() != LayoutSignature)
            continue;
        --budget;
        DBusMenuNode childNode;
        readNode(childArgument, childNode, depth + 1, budget);
        node.children.append(childNode);
    }
    argument.endArray();
    argument.endStructure();
}

} // namespace

bool parseDBusMenuLayout(const QVariant &value, DBusMenuNode &root)
{
    if (!value.canConvert<QDBusArgument>())
        return false;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != LayoutSignature)
        return false;
    int budget = Sni::maxMenuEntries;
    root = {};
    readNode(argument, root, 0, budget);
    return true;
}

QString dbusMenuLabel(const QString &label)
{
    QString out;
    out.reserve(label.size());
    for (qsizetype i = 0; i < label.size(); ++i) {
        const QChar c = label[i];
        if (c == QLatin1Char('&')) {
            out += QStringLiteral("&&");
        } else if (c == QLatin1Char('_')) {
            if (i + 1 < label.size() && label[i + 1] == QLatin1Char('_')) {
                out += QLatin1Char('_');
                ++i;
            } else {
                out += QLatin1Char('&');
            }
        } else {
            out += c;
        }
    }
    return Sni::capText(out);
}

void DBusMenuPopup::show(const QDBusConnection &connection, const QString &service, const QString &path,
                         const QPoint &position)
{
    if (service.isEmpty() || !Sni::isValidObjectPath(path))
        return;
    new DBusMenuPopup(connection, service, path, position);
}

DBusMenuPopup::DBusMenuPopup(const QDBusConnection &connection, const QString &service, const QString &path,
                             const QPoint &position)
    : m_menuObject(new DBusMenuProxy(service, path, connection, this)), m_position(position)
{
    Sni::registerTypes();
    m_menuObject->setTimeout(Sni::callTimeoutMs);
    // Whatever the answer, the layout is read next; a failure only means the
    // application did not refresh its menu first.
    DBus::whenAnswered(m_menuObject->AboutToShow(0), this, [this](const QDBusMessage &) { requestLayout(); });
}

void DBusMenuPopup::requestLayout()
{
    // The layout is read from the raw reply, within bounds.
    DBus::whenAnswered(m_menuObject->GetLayout(0, -1, {}), this, [this](const QDBusMessage &reply) {
        DBusMenuNode root;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2
            || !parseDBusMenuLayout(reply.arguments().at(1), root) || root.children.isEmpty()) {
            deleteLater();
            return;
        }
        m_menu = new QMenu();
        m_menu->setAttribute(Qt::WA_DeleteOnClose);
        build(m_menu, root);
        connect(m_menu, &QObject::destroyed, this, &QObject::deleteLater);
        m_menu->popup(m_position);
        // The menu takes the focus: when the panel it was opened from closes
        // and nothing else of ours holds the focus, Qt counts the application
        // as inactive and closes every open menu at once.
        m_menu->activateWindow();
    });
}

void DBusMenuPopup::build(QMenu *menu, const DBusMenuNode &node)
{
    QActionGroup *radioGroup = nullptr;
    for (const DBusMenuNode &child : node.children) {
        const QVariantMap &p = child.properties;
        if (p.value(QStringLiteral("visible"), true).toBool() == false)
            continue;
        if (p.value(QStringLiteral("type")).toString() == QLatin1String("separator")) {
            menu->addSeparator();
            radioGroup = nullptr;
            continue;
        }
        const QString label = dbusMenuLabel(p.value(QStringLiteral("label")).toString());
        const bool enabled = p.value(QStringLiteral("enabled"), true).toBool();
        if (p.value(QStringLiteral("children-display")).toString() == QLatin1String("submenu")
            || !child.children.isEmpty()) {
            QMenu *sub = menu->addMenu(label);
            sub->setEnabled(enabled);
            build(sub, child);
            continue;
        }
        QAction *action = menu->addAction(label);
        action->setEnabled(enabled);
        const QString toggle = p.value(QStringLiteral("toggle-type")).toString();
        if (!toggle.isEmpty()) {
            action->setCheckable(true);
            action->setChecked(p.value(QStringLiteral("toggle-state")).toInt() == 1);
            if (toggle == QLatin1String("radio")) {
                if (!radioGroup)
                    radioGroup = new QActionGroup(menu);
                radioGroup->addAction(action);
            }
        }
        const int id = child.id;
        connect(action, &QAction::triggered, this, [this, id]() { sendClicked(id); });
    }
}

void DBusMenuPopup::sendClicked(int id)
{
    // The answer is not needed.
    m_menuObject->Event(id, QStringLiteral("clicked"), QDBusVariant(QVariant(0)),
                        uint(QDateTime::currentSecsSinceEpoch()));
}

} // namespace Trayvane
