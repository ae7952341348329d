// Process entry: builds the application object and runs its loop.
#include "TrayvaneApp.h"

#include <QApplication>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(TrayvanePlugin)

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trayvane"));
    QApplication::setDesktopFileName(QStringLiteral("org.trayvane.Trayvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    Trayvane::TrayvaneApp trayvane;
    if (!trayvane.isPrimaryInstance())
        return 0; // another copy runs; it is left untouched
    trayvane.start();
    return QApplication::exec();
}
