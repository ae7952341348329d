// Renders every state of the panel to PNG, headless, on the scripted platform:
//   panel_screenshots <output folder>   (writes panel-<state>-light.png and -dark.png)
// Each state is drawn in the light and the dark scheme.
#include "support/PanelWorld.h"
#include "UserSettings.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QEventLoop>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <functional>

Q_IMPORT_QML_PLUGIN(TrayvanePlugin)

namespace {

QVariantMap item(const QString &name, double x, bool capture, double width = 24.0)
{
    return {{QStringLiteral("name"), name}, {QStringLiteral("x"), x},
            {QStringLiteral("width"), width}, {QStringLiteral("capture"), capture}};
}

// Visible and hidden items, with a capture, with only an application icon,
// and with neither.
void fillTypicalWorld(PanelWorld &world)
{
    world.addApp(QStringLiteral("Dropbox"), QStringLiteral("com.example.dropbox"),
                 {item(QStringLiteral("Dropbox"), 1200, true)}, true);
    world.addApp(QStringLiteral("Kontrollzentrum"), QStringLiteral("com.example.controlcenter"),
                 {item(QStringLiteral("WLAN"), 1300, true), item(QStringLiteral("Batterie"), 0, false, 0)}, true);
    world.addApp(QStringLiteral("Slack"), QStringLiteral("com.example.slack"),
                 {item(QStringLiteral("Slack"), 900, false)}, true);
    world.addApp(QStringLiteral("Zeiterfassung"), QString(),
                 {item(QStringLiteral("Timer läuft"), 0, false, 0)}, false);
    world.addApp(QStringLiteral("Docker Desktop"), QStringLiteral("com.example.docker"),
                 {item(QStringLiteral("Docker Desktop"), 1000, true)}, false);
}

void fillLongWorld(PanelWorld &world)
{
    fillTypicalWorld(world);
    world.addApp(QStringLiteral("Synchronisationsdienst für entfernte Ordner"), QStringLiteral("com.example.sync"),
                 {item(QStringLiteral("Synchronisation läuft: 1.284 von 3.920 Dateien übertragen"), 0, false, 0)},
                 true);
    for (int i = 0; i < 8; ++i) {
        const QString name = QStringLiteral("Werkzeug %1").arg(i + 1);
        world.addApp(name, QStringLiteral("com.example.tool%1").arg(i), {item(name, 100 + 40 * i, i % 2 == 0)},
                     i % 3 != 0);
    }
}

struct Shot
{
    QString name;
    std::function<void(PanelWorld &)> setUpWorld;
    std::function<void(QObject *content, PanelWorld &)> setUpPanel;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("panel-screenshots");
    QDir().mkpath(outDir);

    const auto none = [](QObject *, PanelWorld &) {};
    const QList<Shot> shots = {
        {QStringLiteral("main"), fillTypicalWorld, none},
        {QStringLiteral("main-hovered"), fillTypicalWorld,
         [](QObject *content, PanelWorld &world) { content->setProperty("hoveredItemId", world.itemIds().value(1)); }},
        {QStringLiteral("sort-mode"), fillTypicalWorld,
         [](QObject *content, PanelWorld &) { QMetaObject::invokeMethod(content, "toggleSortMode"); }},
        {QStringLiteral("main-long-300"), fillLongWorld,
         [](QObject *, PanelWorld &world) { world.userSettings()->setWindowHeight(300); }},
        {QStringLiteral("empty"), [](PanelWorld &) {}, none},
        {QStringLiteral("permission-hint"),
         [](PanelWorld &world) {
             fillTypicalWorld(world);
             world.setTrusted(false);
         },
         none},
        {QStringLiteral("quit-confirm"), fillTypicalWorld,
         [](QObject *content, PanelWorld &) { content->setProperty("showQuitConfirm", true); }},
        {QStringLiteral("settings"), fillTypicalWorld,
         [](QObject *content, PanelWorld &) { content->setProperty("showSettings", true); }},
        {QStringLiteral("help"), fillTypicalWorld,
         [](QObject *content, PanelWorld &) { content->setProperty("showHelp", true); }},
        {QStringLiteral("about"), fillTypicalWorld,
         [](QObject *content, PanelWorld &) { content->setProperty("showAbout", true); }},
    };

    int failures = 0;
    for (const Shot &shot : shots) {
        for (const bool dark : {false, true}) {
            PanelWorld world;
            shot.setUpWorld(world);
            world.start();

            QQuickView view;
            view.engine()->addImportPath(QStringLiteral("qrc:/"));
            view.setInitialProperties({{QStringLiteral("world"), QVariant::fromValue<QObject *>(&world)},
                                       {QStringLiteral("dark"), dark}});
            view.setResizeMode(QQuickView::SizeViewToRootObject);
            view.setSource(QUrl(QStringLiteral("qrc:/panelshots/ShotScene.qml")));
            QQuickItem *root = view.rootObject();
            if (!root) {
                qWarning() << "scene failed to load" << view.errors();
                return 1;
            }
            auto *content = root->property("content").value<QObject *>();
            shot.setUpPanel(content, world);
            view.show();
            QEventLoop settle; // a few frames for the layout and the pictures
            QTimer::singleShot(120, &settle, &QEventLoop::quit);
            settle.exec();
            const QImage image = view.grabWindow();
            const QString file = QDir(outDir).filePath(QStringLiteral("panel-%1-%2.png")
                                                           .arg(shot.name, dark ? QStringLiteral("dark") : QStringLiteral("light")));
            if (image.isNull() || !image.save(file)) {
                qWarning() << "could not write" << file;
                ++failures;
            } else {
                qInfo().noquote() << file << image.width() << "x" << image.height();
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
