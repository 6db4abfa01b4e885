// The order of the tournaments, read from the names of their tables.
#include "history/tournamentdates.h"
#include "testsupport.h"

class TestTournamentDates : public QObject {
    Q_OBJECT
private slots:
    void readsEveryWrittenForm_data();
    void readsEveryWrittenForm();
    void unreadableNamesKeepTheirPlace();
    void listedNewestFirst_data();
    void listedNewestFirst();
};

void TestTournamentDates::readsEveryWrittenForm_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QDateTime>("at"); // invalid: not a tournament name
    const QDateTime evening(QDate(2016, 12, 8), QTime(21, 5, 33), Qt::UTC);
    const QDateTime morning(QDate(2016, 12, 8), QTime(9, 5, 33), Qt::UTC);
    QTest::newRow("dd.MM.yyyy H:mm:ss") << "08_12_2016__21_05_33" << evening;
    QTest::newRow("hour of one digit") << "08_12_2016__9_05_33" << morning;
    QTest::newRow("d.M.yyyy") << "8_12_2016__21_05_33" << evening;
    QTest::newRow("two-digit year") << "08_12_16__21_05_33" << evening;
    QTest::newRow("with a time zone") << "08_12_2016__21_05_33 UTC" << evening;
    QTest::newRow("with a zone name") << "08_12_2016__21_05_33 Центральная Европа" << evening;
    QTest::newRow("12-hour clock, evening") << "08_12_2016__9_05_33 PM" << evening;
    QTest::newRow("12-hour clock, morning") << "8_12_16__9_05_33 AM" << morning;
    QTest::newRow("month first when the day cannot be")
        << "12_13_2016__21_05_33" << QDateTime(QDate(2016, 12, 13), QTime(21, 5, 33), Qt::UTC);
    QTest::newRow("year first") << "2016_12_08__21_05_33" << evening;
    QTest::newRow("separators with blanks") << "2016_ 12_ 08___21_05_33" << evening;
    QTest::newRow("Total") << "Total" << QDateTime();
    QTest::newRow("no such day") << "31_02_2016__21_05_33" << QDateTime();
}

void TestTournamentDates::readsEveryWrittenForm() {
    QFETCH(QString, name);
    QFETCH(QDateTime, at);
    const auto read = kv::tournamentDateTime(name);
    QCOMPARE(read.has_value(), at.isValid());
    if (read)
        QCOMPARE(*read, at);
}

void TestTournamentDates::unreadableNamesKeepTheirPlace() {
    // Listed in their order of creation; sorted as text they would be wrong twice over.
    const QStringList created{"15_11_2016__21_00_00", "08_12_2016__9_05_33",
                              "евро-финал",           "08_12_2016__21_05_33 CET",
                              "2017_01_02__20_00_00", "01_12_2016__20_00_00"};
    QCOMPARE(kv::tournamentsInOrder(created),
             QStringList({"15_11_2016__21_00_00", "01_12_2016__20_00_00", "08_12_2016__9_05_33",
                          "евро-финал", "08_12_2016__21_05_33 CET", "2017_01_02__20_00_00"}));
    // A database written with the month first: 12_8 is the 8th of December, as 12_13 shows.
    QCOMPARE(kv::tournamentsInOrder(
                 {"12_13_2016__20_00_00", "12_8_2016__20_00_00", "11_30_2016__20_00_00"}),
             QStringList({"11_30_2016__20_00_00", "12_8_2016__20_00_00", "12_13_2016__20_00_00"}));
}

void TestTournamentDates::listedNewestFirst_data() {
    QTest::addColumn<QStringList>("tables"); // as the database names them, sorted as text
    QTest::addColumn<QStringList>("shown");  // the list, top down
    // Tables whose coming turns the way the others' dates read: the list is made again whole.
    QTest::addColumn<QStringList>("turning");
    const auto row = [](const char* name, const QStringList& tables, const QStringList& shown,
                        const QStringList& turning = {}) {
        QTest::newRow(name) << tables << shown << turning;
    };
    row("a year: June between December and February as text",
        {"03_02_2026__20_00_00", "14_06_2025__19_30_00", "19_12_2025__20_31_05", "Total"},
        {"03.02.2026 20:00", "19.12.2025 20:31", "14.06.2025 19:30", "Total"});
    row("other tables after, by name", {"08_12_2016__21_05_33", "Total", "noid", "евро-финал"},
        {"08.12.2016 21:05", "Total", "noid", "евро-финал"});
    row("one minute, two evenings",
        {"08_12_2016__21_05_33", "08_12_2016__21_05_34", "08_12_2016__9_05_33 PM"},
        {"08.12.2016 21:05:34", "08.12.2016 21:05:33", "08.12.2016 21:05:33"});
    row("one minute, three evenings, named tables between",
        {"08_12_2016__21_05_01", "08_12_2016__21_05_02", "08_12_2016__21_05_03",
         "08_12_2016__21_06_00", "Total", "a"},
        {"08.12.2016 21:06", "08.12.2016 21:05:03", "08.12.2016 21:05:02", "08.12.2016 21:05:01",
         "Total", "a"});
    row("a month-first date turns the ambiguous one",
        {"12_13_2016__20_00_00", "12_08_2016__20_00_00", "01_01_2016__20_00_00"},
        {"13.12.2016 20:00", "08.12.2016 20:00", "01.01.2016 20:00"}, {"12_13_2016__20_00_00"});
}

void TestTournamentDates::listedNewestFirst() {
    QFETCH(QStringList, tables);
    QFETCH(QStringList, shown);
    QStringList listed, kept;
    for (const kv::ListedTable& t : kv::listedTables(tables)) {
        listed << t.shown;
        kept << t.table;
    }
    QCOMPARE(listed, shown);
    // Every table is there once, by its own name.
    QCOMPARE(QSet<QString>(kept.begin(), kept.end()), QSet<QString>(tables.begin(), tables.end()));
    QCOMPARE(kept.size(), tables.size());
    const kv::TournamentList whole(tables);
    for (qsizetype row = 0; row < kept.size(); ++row)
        QCOMPARE(whole.rowOf(kept[row]), row);
    QCOMPARE(whole.rowOf(QStringLiteral("08_12_2016__21_05_35")), -1);

    // Each table added to the list of the others, as a write adds it: the same list, and the
    // rows a window must change to show it.
    QFETCH(QStringList, turning);
    for (const QString& table : tables) {
        QStringList others = tables;
        others.removeOne(table);
        kv::TournamentList list(others);
        QStringList rows;
        for (const kv::ListedTable& t : list.listed())
            rows << t.shown;
        const auto added = list.add(table);
        QCOMPARE(!added, turning.contains(table));
        if (!added)
            continue;
        QCOMPARE(list.listed().value(added->row).table, table);
        rows.insert(added->row, list.listed()[added->row].shown);
        for (qsizetype row : added->relabeled)
            rows[row] = list.listed()[row].shown;
        QCOMPARE(rows, shown);
    }
}

QTEST_MAIN(TestTournamentDates)
#include "test_tournamentdates.moc"
