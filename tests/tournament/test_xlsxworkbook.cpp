// The xlsx filler on its own: cell names, text the format cannot hold, cells and rows that the
// template lacks, a workbook that already has pictures, and files that are no workbook.
#include "testsupport.h"
#include "workbookreader.h"

#include "common/errors.h"
#include "tournament/tournamentpress.h"
#include "tournament/xlsxworkbook.h"

#include <QJsonArray>

namespace {

// A 1 x 1 PNG, so that the logic library's test needs no image library.
QByteArray tinyPng() {
    return QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwAD"
        "hgGAWjR9awAAAABJRU5ErkJggg==");
}

kv::CellPosition at(const char* name) {
    return *kv::parseCellName(QLatin1String(name));
}

QJsonArray rowOf(const QJsonObject& book, int row) {
    for (const QJsonValue& r : book["rows"].toArray())
        if (r.toArray()[0].toInt() == row)
            return r.toArray()[1].toArray();
    return {};
}

} // namespace

class TestXlsxWorkbook : public QObject {
    Q_OBJECT
private slots:
    void cellNames_data();
    void cellNames();
    void safeText_data();
    void safeText();
    void missingCellsAreInsertedInOrder();
    void picturesJoinAnExistingDrawing();
    void notAWorkbook_data();
    void notAWorkbook();
};

void TestXlsxWorkbook::cellNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("column"); // -1: not a cell name
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("a2") << "a2" << 0 << 2 << "A2";
    QTest::newRow("B15") << "B15" << 1 << 15 << "B15";
    QTest::newRow("Z9") << "z9" << 25 << 9 << "Z9";
    QTest::newRow("AA10") << "AA10" << 26 << 10 << "AA10";
    QTest::newRow("XFD1048576") << "XFD1048576" << 16383 << 1048576 << "XFD1048576";
    QTest::newRow("past the last column") << "XFE1" << -1 << 0 << "";
    QTest::newRow("past the last row") << "A1048577" << -1 << 0 << "";
    QTest::newRow("row 0") << "c0" << -1 << 0 << "";
    QTest::newRow("no column") << "15" << -1 << 0 << "";
    QTest::newRow("empty") << "" << -1 << 0 << "";
    QTest::newRow("blank") << " a2" << -1 << 0 << "";
    QTest::newRow("Cyrillic") << "а2" << -1 << 0 << "";
    QTest::newRow("four letters") << "AAAA1" << -1 << 0 << "";
    QTest::newRow("leading zero") << "A01" << -1 << 0 << "";
    QTest::newRow("eight digits") << "A10000000" << -1 << 0 << "";
    QTest::newRow("letters after the row") << "A1B" << -1 << 0 << "";
}

void TestXlsxWorkbook::cellNames() {
    QFETCH(QString, name);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, canonical);
    const auto parsed = kv::parseCellName(name);
    QCOMPARE(parsed.has_value(), column >= 0);
    if (parsed) {
        QCOMPARE(*parsed, (kv::CellPosition{column, row}));
        QCOMPARE(kv::cellName(*parsed), canonical);
    }
}

void TestXlsxWorkbook::safeText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("safe");
    QTest::newRow("plain") << "Реал Мадрид"
                           << "Реал Мадрид";
    QTest::newRow("controls dropped") << QString::fromUtf8("a\x01\x08\x1f"
                                                           "b")
                                      << "ab";
    QTest::newRow("tab and breaks kept") << "a\tb\nc"
                                         << "a\tb\nc";
    QTest::newRow("non-characters dropped") << QStringLiteral("a\uFFFEb\uFFFF") << "ab";
    QTest::newRow("lone surrogates dropped")
        << QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00) << "ab";
    QTest::newRow("surrogate pair kept")
        << QStringLiteral("⚽ \U0001F3C6") << QStringLiteral("⚽ \U0001F3C6");
    QTest::newRow("literal escape") << "a_x0041_b"
                                    << "a_x005F_x0041_b";
}

void TestXlsxWorkbook::safeText() {
    QFETCH(QString, text);
    QFETCH(QString, safe);
    QCOMPARE(kv::cellSafeText(text), safe);
}

void TestXlsxWorkbook::missingCellsAreInsertedInOrder() {
    kvtest::WorkFolder folder;
    kv::XlsxWorkbook book(folder.files().sheetTemplate());
    book.setCell(at("G1"), QStringLiteral("after E1"));
    book.setCell(at("A5"), QStringLiteral("into an empty row"));
    book.setCell(at("C20"), QStringLiteral("a new last row"));
    book.setCell(at("B17"), QStringLiteral("a row between"));
    book.setCell(at("F2"), QStringLiteral("between E2 and nothing"));
    book.setCell(at("A7"), QStringLiteral("replaces Матч 1"));
    book.setCell(at("B11"), QStringLiteral("replaces a formula"));
    book.setCell(at("D14"), QString()); // emptied
    const QString out = folder.path(QStringLiteral("out.xlsx"));
    book.save(out);

    const QJsonObject read =
        readWorkbookIndependently(out, {"G1", "A5", "C20", "B17", "F2", "A7", "B11", "D14", "B14"});
    QVERIFY(!read.isEmpty());
    const QJsonObject values = read["values"].toObject();
    QCOMPARE(values["G1"].toString(), QStringLiteral("after E1"));
    QCOMPARE(values["A5"].toString(), QStringLiteral("into an empty row"));
    QCOMPARE(values["C20"].toString(), QStringLiteral("a new last row"));
    QCOMPARE(values["B17"].toString(), QStringLiteral("a row between"));
    QCOMPARE(values["A7"].toString(), QStringLiteral("replaces Матч 1"));
    QCOMPARE(values["B11"].toString(), QStringLiteral("replaces a formula"));
    QVERIFY(values["D14"].isNull());
    QCOMPARE(values["B14"].toString(), QStringLiteral("Первое место"));

    QCOMPARE(rowOf(read, 1), QJsonArray({"A1", "B1", "C1", "D1", "E1", "G1"}));
    QCOMPARE(rowOf(read, 2), QJsonArray({"A2", "B2", "C2", "D2", "E2", "F2"}));
    QCOMPARE(rowOf(read, 5), QJsonArray({"A5"}));
    QList<int> rows;
    for (const QJsonValue& r : read["rows"].toArray())
        rows.append(r.toArray()[0].toInt());
    QCOMPARE(rows, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 20}));
    // Existing cells keep their style; new ones have none of their own.
    const QJsonObject styles = read["styles"].toObject();
    QCOMPARE(styles["A7"].toString(), QStringLiteral("5"));
    QCOMPARE(styles["B11"].toString(), QStringLiteral("2"));
    QCOMPARE(styles["D14"].toString(), QStringLiteral("1"));
    QVERIFY(styles["G1"].isNull());
}

void TestXlsxWorkbook::picturesJoinAnExistingDrawing() {
    kvtest::WorkFolder folder;
    const QString first = folder.path(QStringLiteral("first.xlsx"));
    {
        kv::XlsxWorkbook book(folder.files().sheetTemplate());
        book.addPicture(at("B15"), tinyPng(), 64, 64);
        book.setCell(at("D15"), QStringLiteral("Пенва"));
        book.save(first);
    }
    const QString second = folder.path(QStringLiteral("second.xlsx"));
    {
        kv::XlsxWorkbook book(first);
        book.addPicture(at("C15"), tinyPng(), 20, 30);
        book.addPicture(at("AA100"), tinyPng(), 1, 1);
        book.save(second);
    }
    const QJsonObject read = readWorkbookIndependently(second, {"D15"});
    QVERIFY(!read.isEmpty());
    QCOMPARE(read["values"].toObject()["D15"].toString(), QStringLiteral("Пенва"));
    QCOMPARE(read["drawings"].toInt(), 1);
    const QJsonArray images = read["images"].toArray();
    QCOMPARE(images.size(), 3);
    const int expected[][4] = {{1, 14, 64, 64}, {2, 14, 20, 30}, {26, 99, 1, 1}};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject image = images[i].toObject();
        QCOMPARE(image["col"].toInt(), expected[i][0]);
        QCOMPARE(image["row"].toInt(), expected[i][1]);
        QCOMPARE(image["cx"].toInteger(), expected[i][2] * 9525);
        QCOMPARE(image["cy"].toInteger(), expected[i][3] * 9525);
        QVERIFY(image["png"].toBool());
    }
    // <drawing> stands where the schema wants it: after the page setup, once.
    const QStringList children = read["children"].toVariant().toStringList();
    QCOMPARE(children.count(QStringLiteral("drawing")), 1);
    QCOMPARE(children.last(), QStringLiteral("drawing"));
    QVERIFY(children.indexOf(QStringLiteral("headerFooter")) <
            children.indexOf(QStringLiteral("drawing")));
}

void TestXlsxWorkbook::notAWorkbook_data() {
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << QByteArray() << "Cannot open file";
    QTest::newRow("text file") << QByteArray("hello\r\n") << "не прочитать";
    QTest::newRow("truncated") << QByteArray("PK\x03\x04\x14\x00", 6) << "не прочитать";
}

void TestXlsxWorkbook::notAWorkbook() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    kvtest::WorkFolder folder;
    const QString path = folder.path(QStringLiteral("table.xlsx"));
    if (!bytes.isEmpty())
        folder.writeBytes(QStringLiteral("table.xlsx"), bytes);
    try {
        kv::XlsxWorkbook book(path);
        QFAIL("no error");
    } catch (const kv::Error& e) {
        QVERIFY2(e.text().contains(error) && e.text().contains(path), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestXlsxWorkbook)
#include "test_xlsxworkbook.moc"
