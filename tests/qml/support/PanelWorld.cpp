// Scripted worlds for the panel's QML tests and screenshots.
#include "PanelWorld.h"

#include <QPainter>

using namespace Trayvane;

namespace {

// A shape in a transparent square, in a colour of its name: application icons
// fill theirs, captures have the margin the Linux item pictures have.
QImage picture(const QString &name, int side, double fill, bool round)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv(int(qHash(name) % 360), 160, 210));
    painter.setPen(Qt::NoPen);
    const double margin = side * (1.0 - fill) / 2.0;
    const QRectF box(margin, margin, side - 2 * margin, side - 2 * margin);
    round ? painter.drawEllipse(box) : painter.drawRoundedRect(box, side * 0.12, side * 0.12);
    return image;
}

} // namespace

PanelWorld::PanelWorld(QObject *parent)
    : QObject(parent)
{
    ScriptedWorld world;
    world.dataDirectory = m_dir.path();
    m_platform = std::make_unique<ScriptedPlatform>(world);
    m_settings = std::make_unique<UserSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
}

void PanelWorld::addApp(const QString &name, const QString &bundleId, const QVariantList &items, bool withIcon)
{
    ScriptedApplication app;
    app.processIdentifier = m_nextPid++;
    app.localizedName = name;
    if (!bundleId.isEmpty())
        app.bundleIdentifier = bundleId;
    if (withIcon)
        app.icon = picture(name, 32, 0.92, true);
    auto windows = m_platform->world().windowList.toList();
    for (const QVariant &entry : items) {
        const QVariantMap item = entry.toMap();
        const QString itemName = item.value(QStringLiteral("name")).toString();
        const double x = item.value(QStringLiteral("x")).toDouble();
        const double width = item.value(QStringLiteral("width"), 24.0).toDouble();
        app.items.append(ScriptedItem::make(itemName, std::nullopt, x, width));
        if (item.value(QStringLiteral("capture")).toBool() && width > 0) {
            const quint32 number = m_nextWindow++;
            windows.append(ScriptedWorld::window(number, x, 0.0, width, 24.0, 25));
            m_platform->world().captures.insert(number,
                                                picture(itemName, int(width) * 2, 0.92 * 18.0 / 22.0, false));
        }
    }
    m_platform->world().windowList = windows;
    m_platform->world().applications.append(app);
}

void PanelWorld::start()
{
    m_service = std::make_unique<MenuBarService>(*m_platform);
    connect(m_service.get(), &MenuBarService::orderedKeysChanged, this, [this] { ++m_orderSaves; emit changed(); });
    connect(m_service.get(), &MenuBarService::itemsChanged, this, &PanelWorld::changed);
    emit serviceChanged();
    emit changed();
}

void PanelWorld::tick()
{
    if (m_service)
        m_service->scan();
    emit changed();
}

QStringList PanelWorld::itemField(QString MenuBarItem::*field) const
{
    QStringList values;
    for (const MenuBarItem &item : m_service ? m_service->items() : MenuBarItemList())
        values.append(item.*field);
    return values;
}

QStringList PanelWorld::pressedItems() const
{
    QStringList pressed;
    for (const auto &press : m_platform->presses) {
        QString owner;
        for (const ScriptedApplication &app : m_platform->world().applications)
            if (app.processIdentifier == press.processIdentifier)
                owner = app.localizedName.value_or(QString());
        pressed.append(owner + QLatin1Char('/') + QString::number(press.itemIndex));
    }
    return pressed;
}
