// The order file: reading any valid JSON array of strings, byte-exact writing,
// atomic replacement.
#include "Services/OrderStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "FolderModesApply.h"

using namespace Trayvane;

class TestOrderStore : public QObject
{
    Q_OBJECT
private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("compact") << QByteArray("[\"a:b\",\"c:d\"]") << true << QStringList{"a:b", "c:d"};
        QTest::newRow("pretty with whitespace") << QByteArray("[\n  \"a:b\" ,\n\t\"c\\/d\"\n]\n") << true
                                                << QStringList{"a:b", "c/d"};
        QTest::newRow("empty array") << QByteArray("[]") << true << QStringList{};
        QTest::newRow("duplicates kept") << QByteArray("[\"x\",\"x\"]") << true << QStringList{"x", "x"};
        QTest::newRow("unicode escapes") << QByteArray("[\"\\u00e4\\ud83d\\ude00\"]") << true
                                         << QStringList{QString::fromUtf8("ä😀")};
        QTest::newRow("object") << QByteArray("{\"a\":\"b\"}") << false << QStringList{};
        QTest::newRow("number among strings") << QByteArray("[\"a\",1]") << false << QStringList{};
        QTest::newRow("null element") << QByteArray("[\"a\",null]") << false << QStringList{};
        QTest::newRow("nested array") << QByteArray("[[\"a\"]]") << false << QStringList{};
        QTest::newRow("truncated") << QByteArray("[\"a\",\"b") << false << QStringList{};
        QTest::newRow("trailing garbage") << QByteArray("[\"a\"]x") << false << QStringList{};
        QTest::newRow("empty file") << QByteArray() << false << QStringList{};
        QTest::newRow("bare string") << QByteArray("\"a\"") << false << QStringList{};
    }
    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        QFETCH(QStringList, keys);
        const std::optional<QStringList> decoded = OrderStore::decode(json);
        QCOMPARE(decoded.has_value(), valid);
        if (valid)
            QCOMPARE(*decoded, keys);
    }

    void encode_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty") << QStringList{} << QByteArray("[]");
        QTest::newRow("compact") << QStringList{"com.example.a:WLAN", "Zeitanzeige:Uhr"}
                                 << QByteArray("[\"com.example.a:WLAN\",\"Zeitanzeige:Uhr\"]");
        QTest::newRow("solidus escaped") << QStringList{"a/b"} << QByteArray("[\"a\\/b\"]");
        QTest::newRow("quote and backslash") << QStringList{"say \"hi\" \\ there"}
                                             << QByteArray("[\"say \\\"hi\\\" \\\\ there\"]");
        QTest::newRow("control characters") << QStringList{QString::fromLatin1("a\nb\tc\rd\be\ff\x01g\x1f")}
                                            << QByteArray("[\"a\\nb\\tc\\rd\\be\\ff\\u0001g\\u001f\"]");
        QTest::newRow("non-ASCII plain UTF-8") << QStringList{QString::fromUtf8("Menü-Ä😀 \u2028")}
                                               << QString::fromUtf8("[\"Menü-Ä😀 \u2028\"]").toUtf8();
        QTest::newRow("DEL stays plain") << QStringList{QString::fromLatin1("\x7f")} << QByteArray("[\"\x7f\"]");
    }
    void encode()
    {
        QFETCH(QStringList, keys);
        QFETCH(QByteArray, expected);
        const QByteArray bytes = OrderStore::encode(keys);
        QCOMPARE(bytes, expected);
        QCOMPARE(OrderStore::decode(bytes), std::optional<QStringList>(keys)); // round trip
    }

    void saveAndLoad()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("order.json");
        QStringList keys;
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Missing);

        const QStringList saved{"b:x", "a/y", QString::fromUtf8("ü:z")};
        QVERIFY(OrderStore::save(path, saved));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray first = file.readAll();
        file.close();
        QVERIFY(OrderStore::save(path, saved));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), first); // saving twice is byte-identical
        file.close();

        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Loaded);
        QCOMPARE(keys, saved);
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("not json");
        QTest::newRow("object") << QByteArray("{}");
        QTest::newRow("too large") << QByteArray(OrderStore::maximumFileSize + 1, ' ');
    }
    void unreadableFiles()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath("order.json");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QStringList keys{"untouched"};
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Unreadable);
        QCOMPARE(keys, QStringList{"untouched"});
    }

    void directoryInPlaceOfFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("order.json");
        QVERIFY(QDir().mkpath(path));
        QStringList keys;
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Unreadable);
        QVERIFY(!OrderStore::save(path, {"a"}));
        QVERIFY(QFileInfo(path).isDir());
    }

    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("order.json");
        QVERIFY(OrderStore::save(path, {"old"}));
        {
            FolderModesApply modesApply;
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
            const bool writable = FolderModesApply::canCreateFileIn(dir.path());
            const bool saved = !writable && OrderStore::save(path, {"new"});
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (writable)
                QSKIP("this process writes into read-only folders anyway");
            QVERIFY(!saved);
        }
        QStringList keys;
        QCOMPARE(OrderStore::load(path, keys), OrderStore::LoadResult::Loaded);
        QCOMPARE(keys, QStringList{"old"});
    }

    void noLocation()
    {
        QStringList keys;
        QCOMPARE(OrderStore::load(QString(), keys), OrderStore::LoadResult::Missing);
        QVERIFY(!OrderStore::save(QString(), {"a"}));
    }
};

QTEST_GUILESS_MAIN(TestOrderStore)
#include "tst_orderstore.moc"
