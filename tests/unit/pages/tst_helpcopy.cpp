// The help page's copy action on the clipboard: whatever was there before,
// afterwards it holds the help text alone, as plain text.
#include "Views/HelpCopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

using namespace Trayvane;

class TestHelpCopy : public QObject
{
    Q_OBJECT

private slots:
    void copyLeavesOnlyHelpText_data();
    void copyLeavesOnlyHelpText();
};

void TestHelpCopy::copyLeavesOnlyHelpText_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("copies");

    for (int copies : {1, 2}) {
        const QByteArray times = copies == 1 ? " then one copy" : " then two copies";
        QTest::newRow("empty clipboard" + times) << QStringLiteral("empty") << copies;
        QTest::newRow("other text" + times) << QStringLiteral("text") << copies;
        QTest::newRow("html and a private format" + times) << QStringLiteral("rich") << copies;
        QTest::newRow("image" + times) << QStringLiteral("image") << copies;
    }
}

void TestHelpCopy::copyLeavesOnlyHelpText()
{
    QFETCH(QString, before);
    QFETCH(int, copies);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (before == QLatin1String("text")) {
        clipboard->setText(QStringLiteral("something else"));
    } else if (before == QLatin1String("rich")) {
        auto *data = new QMimeData;
        data->setHtml(QStringLiteral("<b>bold</b>"));
        data->setData(QStringLiteral("application/x-other-app"), "payload");
        clipboard->setMimeData(data);
    } else if (before == QLatin1String("image")) {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::red);
        clipboard->setImage(image);
    }

    HelpCopy helpCopy;
    for (int i = 0; i < copies; ++i)
        helpCopy.copy();

    const QMimeData *data = clipboard->mimeData();
    QVERIFY(data);
    QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(clipboard->text(), helpCopyText.toString());
    QCOMPARE(helpCopy.helpCopyText(), helpCopyText.toString());
    QVERIFY(!data->hasHtml());
    QVERIFY(!data->hasImage());
}

QTEST_MAIN(TestHelpCopy)
#include "tst_helpcopy.moc"
