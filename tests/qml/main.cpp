// Qt Quick Test runner of the panel: every tst_*.qml here, with the Trayvane
// module and PanelWorld (a service on the scripted platform) available.
#include "support/PanelWorld.h"

#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

Q_IMPORT_QML_PLUGIN(TrayvanePlugin)

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/"));
        qmlRegisterType<PanelWorld>("TrayvaneTest", 1, 0, "PanelWorld");
    }
};

QUICK_TEST_MAIN_WITH_SETUP(panel, Setup)

#include "main.moc"
