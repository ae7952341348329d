// Qt Quick Test runner of the panel and its pages: every tst_*.qml below this
// folder, with the Trayvane module, PanelWorld (a service on the scripted
// platform) and a `Support` singleton, the runner's set-up object too, that
// makes settings stores and scripted login items, reads the clipboard and
// records the links a page opens.
#include "Platform/scripted/ScriptedLoginItem.h"
#include "support/PanelWorld.h"
#include "UserSettings.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHash>
#include <QMimeData>
#include <QQmlEngine>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

Q_IMPORT_QML_PLUGIN(TrayvanePlugin)

using namespace Trayvane;

class Support : public QObject
{
    Q_OBJECT

public:
    /// A settings store of its own, empty or holding `stored` under
    /// "windowHeight" (any value, also one the settings must not accept).
    Q_INVOKABLE QObject *newUserSettings(const QVariant &stored = QVariant())
    {
        const QString path = m_folder.filePath(QStringLiteral("settings-%1.ini").arg(m_paths.size()));
        if (stored.isValid())
            QSettings(path, QSettings::IniFormat).setValue(UserSettings::windowHeightKey, stored);
        auto *settings = new UserSettings(path, this);
        m_paths.insert(settings, path);
        return settings;
    }
    /// What the store behind `settings` holds now, read afresh from disk;
    /// undefined when the key is absent.
    Q_INVOKABLE QVariant storedHeight(QObject *settings) const
    {
        const QVariant value = QSettings(m_paths.value(settings), QSettings::IniFormat).value(UserSettings::windowHeightKey);
        return value.isValid() ? QVariant(value.toDouble()) : QVariant();
    }
    Q_INVOKABLE QObject *newLoginItem(bool enabled)
    {
        auto *item = new ScriptedLoginItem(this);
        item->setEnabled(enabled);
        return item;
    }
    /// Puts rich text and a private format on the clipboard.
    Q_INVOKABLE void fillClipboard()
    {
        auto *data = new QMimeData;
        data->setHtml(QStringLiteral("<p>earlier</p>"));
        data->setData(QStringLiteral("application/x-earlier"), "bytes");
        QGuiApplication::clipboard()->setMimeData(data);
    }
    Q_INVOKABLE QStringList clipboardFormats() const { return QGuiApplication::clipboard()->mimeData()->formats(); }
    Q_INVOKABLE QString clipboardText() const { return QGuiApplication::clipboard()->text(); }
    Q_INVOKABLE QStringList openedUrls() const { return m_openedUrls; }

public slots:
    // Stands in for the desktop's web browser.
    void openUrl(const QUrl &url) { m_openedUrls.append(url.toString()); }
    // The runner's hooks: before each test file, after the last.
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        for (const QString &scheme : {QStringLiteral("https"), QStringLiteral("http")})
            QDesktopServices::setUrlHandler(scheme, this, "openUrl");
        engine->addImportPath(QStringLiteral("qrc:/"));
        qmlRegisterType<PanelWorld>("TrayvaneTest", 1, 0, "PanelWorld");
        qmlRegisterSingletonInstance("TrayvaneTest", 1, 0, "Support", this);
    }
    void cleanupTestCase()
    {
        for (const QString &scheme : {QStringLiteral("https"), QStringLiteral("http")})
            QDesktopServices::unsetUrlHandler(scheme);
    }

private:
    QTemporaryDir m_folder;
    QHash<QObject *, QString> m_paths;
    QStringList m_openedUrls;
};

QUICK_TEST_MAIN_WITH_SETUP(trayvane, Support)

#include "main.moc"
