// A MenuBarService on the scripted platform, set up from QML: applications
// with their status items, pictures and the permission, plus what the service
// did (presses, opened links, order saves). Each world has its own data folder
// and settings file. The screenshot tool (tools/screenshots) draws these worlds too.
#pragma once

#include "Platform/scripted/ScriptedPlatform.h"
#include "Services/MenuBarService.h"
#include "UserSettings.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

class PanelWorld : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *service READ service NOTIFY serviceChanged FINAL)
    Q_PROPERTY(Trayvane::UserSettings *settings READ userSettings CONSTANT FINAL)
    Q_PROPERTY(bool trusted READ trusted WRITE setTrusted NOTIFY changed FINAL)
    Q_PROPERTY(int openedUrlCount READ openedUrlCount NOTIFY changed FINAL)
    Q_PROPERTY(int orderSaves READ orderSaves NOTIFY changed FINAL)

public:
    explicit PanelWorld(QObject *parent = nullptr);

    QObject *service() const { return m_service.get(); }
    Trayvane::UserSettings *userSettings() const { return m_settings.get(); }
    bool trusted() const { return m_platform->world().trusted; }
    void setTrusted(bool trusted) { m_platform->world().trusted = trusted; emit changed(); }
    int openedUrlCount() const { return int(m_platform->openedUrls.size() + m_platform->toolLaunches.size()); }
    int orderSaves() const { return m_orderSaves; }

    /// Adds an application. Each entry of `items` is a map with "name", "x",
    /// "width" (0 or an x of 0 makes the item hidden) and optional "capture"
    /// (true: a menu bar picture).
    Q_INVOKABLE void addApp(const QString &name, const QString &bundleId, const QVariantList &items,
                            bool withIcon = false);
    /// Builds the service (it scans once); before that `service` is null.
    Q_INVOKABLE void start();
    /// A scan, as the 3-second timer runs it.
    Q_INVOKABLE void tick();
    /// Display names and ids of the service's items, in order.
    Q_INVOKABLE QStringList itemNames() const { return itemField(&Trayvane::MenuBarItem::displayName); }
    Q_INVOKABLE QStringList itemIds() const { return itemField(&Trayvane::MenuBarItem::id); }
    /// "owner/index" of each press, in order.
    Q_INVOKABLE QStringList pressedItems() const;

signals:
    void serviceChanged();
    void changed();

private:
    QStringList itemField(QString Trayvane::MenuBarItem::*field) const;
    QTemporaryDir m_dir;
    std::unique_ptr<Trayvane::ScriptedPlatform> m_platform;
    std::unique_ptr<Trayvane::UserSettings> m_settings;
    std::unique_ptr<Trayvane::MenuBarService> m_service;
    int m_orderSaves = 0;
    quint32 m_nextWindow = 100;
    qint32 m_nextPid = 1000;
};
