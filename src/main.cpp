// Process entry: builds the application object and runs its loop.
#include "Platform/AppIdentity.h"
#include "TrayvaneApp.h"

#include <QApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(TrayvanePlugin)

int main(int argc, char *argv[])
{
    // The panel is a short list of rows: the software renderer draws it just
    // as well and keeps a tray utility's memory low (no GL context, about
    // 60 MB instead of 150 MB on Mesa). QT_QUICK_BACKEND still overrides it.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // On a Wayland desktop the panel goes through XWayland where there is one:
    // a Wayland client cannot place its own window, and the panel must drop
    // down under the icon instead of being tiled. Without XWayland Qt's
    // Wayland platform takes over. QT_QPA_PLATFORM still overrides it.
    const bool choosePlatform = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY");
    if (choosePlatform)
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
#endif
    QApplication app(argc, argv);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (choosePlatform)
        qunsetenv("QT_QPA_PLATFORM"); // programs started from here choose their own
#endif
    QApplication::setApplicationName(QStringLiteral("Trayvane"));
    QApplication::setDesktopFileName(Trayvane::applicationId);
    QApplication::setQuitOnLastWindowClosed(false);

    Trayvane::TrayvaneApp trayvane;
    if (!trayvane.isPrimaryInstance())
        return 0; // another copy runs; it is left untouched
    trayvane.start();
    return QApplication::exec();
}
