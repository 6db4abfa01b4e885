#include "common/textfile.h"
#include "pools/poolfile_editor.h"
#include "testsupport.h"

using namespace kv;

class TestPoolFileEditor : public QObject {
    Q_OBJECT
private slots:
    void countCaption_data();
    void countCaption();
    void savesInTheEncodingItWasReadIn_data();
    void savesInTheEncodingItWasReadIn();
    void logSavedWithoutFinalBreakStillGetsOneTeamPerLine();
};

void TestPoolFileEditor::countCaption_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("caption");
    QByteArray ten;
    for (int i = 1; i <= 10; ++i)
        ten += "Team " + QByteArray::number(i) + "\r\n";
    QTest::newRow("ten with final break") << ten << "(10)";
    QTest::newRow("ten without final break") << ten.chopped(2) << "(10)";
    QTest::newRow("ten with LF only") << QByteArray(ten).replace("\r\n", "\n") << "(10)";
    QTest::newRow("empty line between two") << QByteArray("A\r\n\r\nB\r\n") << "(3)";
    QTest::newRow("empty file") << QByteArray() << "(0)";
    QTest::newRow("one empty line") << QByteArray("\r\n") << "(1)";
}

void TestPoolFileEditor::countCaption() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, caption);
    kvtest::WorkFolder folder;
    folder.writeBytes("pool.txt", bytes);
    QCOMPARE(lineCountCaption(loadEditableText("pool.txt").text), caption);
}

void TestPoolFileEditor::savesInTheEncodingItWasReadIn_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("appended"); // typed at the end of the text
    QTest::addColumn<QByteArray>("after");
    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("utf-8 with mark keeps it")
        << bom + QStringLiteral("Зенит\r\n").toUtf8() << QStringLiteral("Спартак\n")
        << bom + QStringLiteral("Зенит\r\nСпартак\r\n").toUtf8();
    QTest::newRow("plain stays without mark")
        << QByteArray("Ajax\r\n") << QStringLiteral("PSV") << QByteArray("Ajax\r\nPSV");
    QTest::newRow("LF only saved as CR LF")
        << QByteArray("Ajax\nPSV\n") << QString() << QByteArray("Ajax\r\nPSV\r\n");
    QTest::newRow("lone CR saved as CR LF")
        << QByteArray("Ajax\rPSV") << QString() << QByteArray("Ajax\r\nPSV");
    QTest::newRow("windows-1251 becomes plain UTF-8")
        << QByteArray("\xC7\xE5\xED\xE8\xF2\r\n") << QString()
        << QStringLiteral("Зенит\r\n").toUtf8();
    QTest::newRow("utf-16 LE keeps mark and width") << QByteArray("\xFF\xFE"
                                                                  "A\0\r\0\n\0",
                                                                  8)
                                                    << QStringLiteral("B")
                                                    << QByteArray("\xFF\xFE"
                                                                  "A\0\r\0\n\0B\0",
                                                                  10);
    QTest::newRow("non-breaking space kept")
        << QStringLiteral("Real\u00A0Madrid").toUtf8() << QString()
        << QStringLiteral("Real\u00A0Madrid").toUtf8();
}

void TestPoolFileEditor::savesInTheEncodingItWasReadIn() {
    QFETCH(QByteArray, before);
    QFETCH(QString, appended);
    QFETCH(QByteArray, after);
    kvtest::WorkFolder folder;
    folder.writeBytes("pool.txt", before);
    const EditableText loaded = loadEditableText("pool.txt");
    QVERIFY(!loaded.text.contains(QRegularExpression("\r(?!\n)|(?<!\r)\n"))); // CR LF only
    saveEditableText("pool.txt", loaded.text + appended, loaded.encoding);
    QCOMPARE(folder.bytes("pool.txt"), after);
}

void TestPoolFileEditor::logSavedWithoutFinalBreakStillGetsOneTeamPerLine() {
    kvtest::WorkFolder folder;
    folder.writeBytes("all_last.txt", "Ajax\r\n");
    const EditableText log = loadEditableText("all_last.txt");
    saveEditableText("all_last.txt", log.text + "PSV", log.encoding); // typed on the last line
    QCOMPARE(folder.bytes("all_last.txt"), QByteArray("Ajax\r\nPSV"));
    appendLines("all_last.txt", {"Feyenoord", "AZ", "Twente"});
    QCOMPARE(folder.lines("all_last.txt"),
             (QStringList{"Ajax", "PSV", "Feyenoord", "AZ", "Twente"}));
}

QTEST_GUILESS_MAIN(TestPoolFileEditor)
#include "test_poolfile_editor.moc"
