#include "common/errors.h"
#include "common/textfile.h"
#include "testsupport.h"

#include <QFile>

using namespace kv;

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void readsEveryEncodingAndLineBreak_data();
    void readsEveryEncodingAndLineBreak();
    void lineCountIgnoresOnlyTheFinalBreak();
    void pastTheEndGivesEmptyValues();
    void valueAfterMarkerStopsAtTheEnd();
    void missingFileThrowsTheOpenError();
    void writesCrLfUtf8WithoutMark();
    void appendStartsOnANewLineAndKeepsEncoding();
    void appendToLegacyFileNeverMixesEncodings();
    void failedRewriteKeepsOldContent();
    void scratchWriteReplacesAndLeavesNothingBehind();
    void megabyteLine();
    void strToIntAcceptsWholeNumbersOnly_data();
    void strToIntAcceptsWholeNumbersOnly();
};

void TestTextFile::readsEveryEncodingAndLineBreak_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("encoding");
    const QStringList ru{QStringLiteral("Зенит"), QStringLiteral("Спартак")};
    QTest::newRow("utf8 crlf") << QByteArray("A\r\nB\r\n") << QStringList{"A", "B"}
                               << int(TextEncoding::Plain);
    QTest::newRow("lf only") << QByteArray("A\nB") << QStringList{"A", "B"}
                             << int(TextEncoding::Plain);
    QTest::newRow("lone cr") << QByteArray("A\rB\r") << QStringList{"A", "B"}
                             << int(TextEncoding::Plain);
    QTest::newRow("mixed, empty inner line")
        << QByteArray("A\r\n\nB\rC") << QStringList{"A", "", "B", "C"} << int(TextEncoding::Plain);
    QTest::newRow("utf8 with mark")
        << (QByteArray("\xEF\xBB\xBF") + QStringLiteral("Зенит\r\nСпартак\r\n").toUtf8()) << ru
        << int(TextEncoding::Utf8Bom);
    QByteArray le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (QChar c : QStringLiteral("Зенит\r\nСпартак")) {
        le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    QTest::newRow("utf16 le") << le << ru << int(TextEncoding::Utf16LE);
    QTest::newRow("utf16 be") << be << ru << int(TextEncoding::Utf16BE);
    // "Зенит" and "Спартак" in Windows-1251: not valid UTF-8
    QTest::newRow("windows-1251") << QByteArray(
                                         "\xC7\xE5\xED\xE8\xF2\r\n\xD1\xEF\xE0\xF0\xF2\xE0\xEA\r\n")
                                  << ru << int(TextEncoding::Windows1251);
    QTest::newRow("empty file") << QByteArray() << QStringList{} << int(TextEncoding::Plain);
    QTest::newRow("only a break") << QByteArray("\r\n") << QStringList{""}
                                  << int(TextEncoding::Plain);
}

void TestTextFile::readsEveryEncodingAndLineBreak() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(int, encoding);
    kvtest::WorkFolder folder;
    folder.writeBytes("f.txt", bytes);
    QCOMPARE(readLines("f.txt"), lines);
    QCOMPARE(int(readText("f.txt").encoding), encoding);
    QCOMPARE(countLines("f.txt"), lines.size());
}

void TestTextFile::lineCountIgnoresOnlyTheFinalBreak() {
    kvtest::WorkFolder folder;
    folder.writeBytes("a", "x\r\ny\r\n");
    folder.writeBytes("b", "x\r\ny");
    folder.writeBytes("c", "x\r\n\r\ny\r\n");
    QCOMPARE(countLines("a"), 2);
    QCOMPARE(countLines("b"), 2);
    QCOMPARE(countLines("c"), 3);
}

void TestTextFile::pastTheEndGivesEmptyValues() {
    kvtest::WorkFolder folder;
    folder.writeBytes("one", "1");
    const QStringList lines = readLines("one");
    QCOMPARE(lineAt(lines, 0), QStringLiteral("1"));
    QCOMPARE(lineAt(lines, 1), QString());
    QCOMPARE(lineAt(lines, 100), QString());
    folder.writeBytes("empty", "");
    QCOMPARE(readFirstLine("empty"), QString());
}

void TestTextFile::valueAfterMarkerStopsAtTheEnd() {
    const QStringList lines{"1", "clubs", "[players]", "A", "B"};
    QCOMPARE(valueAfterMarker(lines, "[players]").value(), QStringLiteral("A"));
    QCOMPARE(valueAfterMarker(lines, "[players]", 1).value(), QStringLiteral("B"));
    QCOMPARE(valueAfterMarker(lines, "[players]", 2).value(), QString()); // past the end
    QVERIFY(!valueAfterMarker(lines, "[gift]").has_value());
    QCOMPARE(valueAfterMarker({"[gift]"}, "[gift]").value(), QString());
    QVERIFY(!valueAfterMarker(lines, "[Players]").has_value()); // exact comparison
}

void TestTextFile::missingFileThrowsTheOpenError() {
    kvtest::WorkFolder folder;
    try {
        readLines("nothing.txt");
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("Cannot open file \"nothing.txt\".")),
                 qPrintable(e.text()));
    }
}

void TestTextFile::writesCrLfUtf8WithoutMark() {
    kvtest::WorkFolder folder;
    writeLines("w.txt", {QStringLiteral("Пенва"), "", "x"});
    QCOMPARE(folder.bytes("w.txt"), QStringLiteral("Пенва\r\n\r\nx\r\n").toUtf8());
    writeText("t.txt", "a\r\nb", TextEncoding::Utf8Bom);
    QCOMPARE(folder.bytes("t.txt"), QByteArray("\xEF\xBB\xBF"
                                               "a\r\nb"));
    writeText("u.txt", "a", TextEncoding::Utf16LE);
    QCOMPARE(folder.bytes("u.txt"), QByteArray("\xFF\xFE"
                                               "a\0",
                                               4));
}

void TestTextFile::appendStartsOnANewLineAndKeepsEncoding() {
    kvtest::WorkFolder folder;
    folder.writeBytes("log", "A\r\nB"); // no final break
    appendLines("log", {"C", "", "D"});
    QCOMPARE(folder.bytes("log"), QByteArray("A\r\nB\r\nC\r\n\r\nD\r\n"));
    appendLines("new", {"X"});
    QCOMPARE(folder.bytes("new"), QByteArray("X\r\n"));
    folder.writeBytes("empty", "");
    appendLines("empty", {"Y"});
    QCOMPARE(folder.bytes("empty"), QByteArray("Y\r\n"));

    writeText("u16", "A\r\n", TextEncoding::Utf16LE);
    appendLines("u16", {QStringLiteral("Б")});
    const DecodedText back = readText("u16");
    QCOMPARE(back.encoding, TextEncoding::Utf16LE);
    QCOMPARE(back.text, QStringLiteral("A\r\nБ\r\n"));

    writeText("bom", "A", TextEncoding::Utf8Bom);
    appendLines("bom", {"B"});
    QCOMPARE(folder.bytes("bom"), QByteArray("\xEF\xBB\xBF"
                                             "A\r\nB\r\n"));
}

void TestTextFile::appendToLegacyFileNeverMixesEncodings() {
    kvtest::WorkFolder folder;
    folder.writeBytes("log", "\xC7\xE5\xED\xE8\xF2\r\n"); // "Зенит" in Windows-1251
    appendLines("log", {QStringLiteral("Спартак")});
    QCOMPARE(readText("log").encoding, TextEncoding::Plain);
    QCOMPARE(readLines("log"), (QStringList{QStringLiteral("Зенит"), QStringLiteral("Спартак")}));
}

void TestTextFile::failedRewriteKeepsOldContent() {
    kvtest::WorkFolder folder(kvtest::Reach::Everyone);
    QDir(folder.path()).mkdir("taken");
    try {
        writeLines("taken", {"x"});
        QFAIL("writing over a folder must fail");
    } catch (const Error& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("Cannot create file \"taken\".")),
                 qPrintable(e.text()));
    }
    QVERIFY(QFileInfo(folder.path("taken")).isDir());

    if (const QString why = kvtest::Unprivileged::unavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    folder.writeBytes("keep.txt", "old\r\n");
    QFile::setPermissions(folder.path("keep.txt"), QFile::ReadOwner | QFile::ReadOther);
    QFile::setPermissions(folder.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    bool failed = false;
    {
        kvtest::Unprivileged user;
        try {
            writeLines("keep.txt", {"new"});
        } catch (const Error&) {
            failed = true;
        }
    }
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(failed);
    QCOMPARE(folder.bytes("keep.txt"), QByteArray("old\r\n"));
}

void TestTextFile::scratchWriteReplacesAndLeavesNothingBehind() {
    kvtest::WorkFolder folder;
    const auto files = [&] { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); };
    folder.writeBytes("temp", "a much longer old list\r\nof teams\r\n");
    writeScratchLines("temp", {QStringLiteral("Рома"), "", "x"});
    writeLines("same.txt", {QStringLiteral("Рома"), "", "x"});
    QCOMPARE(folder.bytes("temp"), folder.bytes("same.txt"));
    QCOMPARE(files(), QStringList({"same.txt", "temp"}));

    QDir(folder.path()).mkdir("taken");
    try {
        writeScratchLines("taken", {"x"});
        QFAIL("writing over a folder must fail");
    } catch (const Error& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("Cannot create file \"taken\".")),
                 qPrintable(e.text()));
    }
    QVERIFY(QFileInfo(folder.path("taken")).isDir());
    QCOMPARE(files(), QStringList({"same.txt", "temp"}));
}

void TestTextFile::megabyteLine() {
    kvtest::WorkFolder folder;
    const QString big(1 << 20, QChar(u'ж'));
    writeLines("big", {big, "end"});
    const QStringList lines = readLines("big");
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], big);
    QCOMPARE(lines[1], QStringLiteral("end"));
}

void TestTextFile::strToIntAcceptsWholeNumbersOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("negative") << "-3" << true << -3;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("leading blanks") << "  5" << true << 5;
    QTest::newRow("max") << "2147483647" << true << 2147483647;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("trailing blank") << "5 " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("decimal") << "1.5" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("too big") << "2147483648" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999" << false << 0;
}

void TestTextFile::strToIntAcceptsWholeNumbersOnly() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    try {
        QCOMPARE(strToInt(text), value);
        QVERIFY(ok);
    } catch (const Error& e) {
        QVERIFY(!ok);
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_textfile.moc"
