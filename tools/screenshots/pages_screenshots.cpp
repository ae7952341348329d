// Renders the settings, help and about pages of the panel offscreen, light and
// dark, into PNG files: `pages_screenshots <output folder>`. The service runs
// on a scripted platform; the login item is scripted and switched on.
#include "Platform/scripted/ScriptedLoginItem.h"
#include "Platform/scripted/ScriptedPlatform.h"
#include "Services/MenuBarService.h"
#include "Views/UserSettings.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQmlComponent>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>
#include <memory>

Q_IMPORT_QML_PLUGIN(TrayvanePlugin)

using namespace Trayvane;

namespace {

struct Shot
{
    const char *page;    // ContentView's flag that shows it
    const char *name;
    double scroll;       // how far down a scrolling page is shown, 0 to 1
};

void settle()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    const QString output = app.arguments().value(1, QStringLiteral("."));
    QDir().mkpath(output);

    QTemporaryDir folder;
    ScriptedWorld world;
    world.dataDirectory = folder.path();
    ScriptedPlatform platform(world);
    MenuBarService service(platform);
    UserSettings settings(folder.filePath(QStringLiteral("settings.ini")));
    ScriptedLoginItem loginItem;
    loginItem.setEnabled(true);

    const Shot shots[] = {
        {"showSettings", "settings", 0.0},
        {"showHelp", "help", 0.0},
        {"showHelp", "help-middle", 0.5},
        {"showHelp", "help-end", 1.0},
        {"showAbout", "about", 0.0},
    };
    QTextStream out(stdout);
    for (const bool dark : {false, true}) {
        for (const Shot &shot : shots) {
            QQmlEngine engine;
            engine.addImportPath(QStringLiteral("qrc:/"));
            QQmlComponent component(&engine);
            component.setData(QByteArrayLiteral(
                "import QtQuick\n"
                "import Trayvane\n"
                "ContentView {\n"
                "    framed: true\n"
                "    required property bool darkTheme\n"
                "    Component.onCompleted: { Theme.dark = darkTheme; Theme.animationsEnabled = false }\n"
                "}\n"), QUrl(QStringLiteral("qrc:/pages-screenshot.qml")));
            std::unique_ptr<QObject> object(component.createWithInitialProperties({
                {QStringLiteral("service"), QVariant::fromValue<QObject *>(&service)},
                {QStringLiteral("settings"), QVariant::fromValue<QObject *>(&settings)},
                {QStringLiteral("loginItem"), QVariant::fromValue<QObject *>(&loginItem)},
                {QStringLiteral("darkTheme"), dark},
            }));
            auto *root = qobject_cast<QQuickItem *>(object.get());
            if (!root) {
                out << "ContentView did not load: " << component.errorString() << "\n";
                return 1;
            }
            root->setProperty(shot.page, true);
            settle();
            QQuickWindow view;
            root->setParentItem(view.contentItem());
            view.show();
            // Wrapped texts report their height once they have a width, so the
            // natural height settles after a few layout passes.
            for (int pass = 0; pass < 5; ++pass) {
                view.resize(int(std::ceil(root->implicitWidth())), int(std::ceil(root->implicitHeight())));
                root->setSize(QSizeF(view.width(), view.height()));
                settle();
            }
            if (shot.scroll > 0.0) {
                if (auto *help = root->findChild<QQuickItem *>(QStringLiteral("helpView"))) {
                    const qreal range = help->property("contentHeight").toReal() - help->height();
                    help->setProperty("contentY", std::round(range * shot.scroll));
                    settle();
                }
            }
            const QImage image = view.grabWindow();
            const QString file = QDir(output).filePath(
                QStringLiteral("pages-%1-%2.png").arg(QLatin1String(shot.name), dark ? QStringLiteral("dark") : QStringLiteral("light")));
            if (!image.save(file)) {
                out << "could not write " << file << "\n";
                return 1;
            }
            out << file << " " << image.width() << "x" << image.height() << "\n";
        }
    }
    return 0;
}
