// Correcting a stored tournament and rebuilding "Total" from the tournament tables.
#include "common/errors.h"
#include "history/historystore.h"
#include "historydb.h"
#include "tournament/standings.h"

#include <QSqlQuery>

using kvtest::sqlite3;
using kvtest::sqliteRows;

namespace {

const QStringList& kNames = kvtest::kPlayers;
const QStringList kAllDraws(12, QStringLiteral("0"));
const QStringList kReal{"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
const QStringList kOther{"0", "2", "5", "1", "2", "2", "0", "1", "1", "1", "3", "0"};
const QString kTotal = QStringLiteral(
    "SELECT Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, Первый, Второй, "
    "Третий FROM Total ORDER BY Игрок");

// A tournament as the results window hands it over after computing these scores.
kv::TournamentEntry computed(const QStringList& boxes, const QStringList& names = kNames) {
    return kv::tournamentEntry(names, {"Команда 1", "Команда 2", "Команда 3"},
                               {boxes, kv::computeStandings(boxes)});
}

// "Total" after writing these tournaments into a fresh database of its own.
QStringList totalOf(const QList<QStringList>& evenings) {
    const QString file = QStringLiteral("reference.db");
    QFile::remove(file);
    kvtest::createBaseDb(file);
    kv::HistoryStore db(file);
    int n = 0;
    for (const QStringList& boxes : evenings)
        db.writeTournament(QStringLiteral("0%1_03_2024__20_00_00").arg(++n), computed(boxes));
    return sqliteRows(kTotal, file);
}

} // namespace

class TestStoredTournament : public QObject {
    Q_OBJECT
private slots:
    void correctionCountsOnce_data();
    void correctionCountsOnce();
    void failedCorrectionChangesNothing();
    void rebuildEqualsThePresses();
    void damagedTablesAreLeftOutAndNamed_data();
    void damagedTablesAreLeftOutAndNamed();
};

void TestStoredTournament::correctionCountsOnce_data() {
    QTest::addColumn<bool>("earlier");       // the players have an earlier tournament
    QTest::addColumn<bool>("goneFromTotal"); // their rows were deleted before the correction
    QTest::newRow("first tournament") << false << false;
    QTest::newRow("after an earlier one") << true << false;
    QTest::newRow("players no longer in Total") << true << true;
}

void TestStoredTournament::correctionCountsOnce() {
    QFETCH(bool, earlier);
    QFETCH(bool, goneFromTotal);
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    const QString table = QStringLiteral("09_03_2024__20_15_00");
    {
        kv::HistoryStore db;
        if (earlier)
            db.writeTournament(QStringLiteral("01_03_2024__20_00_00"), computed(kOther));
        db.writeTournament(table, computed(kAllDraws));
        if (goneFromTotal)
            sqlite3(QStringLiteral("DELETE FROM Total;"));
        QCOMPARE(sqliteRows(QStringLiteral("SELECT Rank FROM \"%1\" ORDER BY id").arg(table)),
                 QStringList({"1", "1", "1"}));

        const kv::TournamentEntry stored = db.readTournament(table);
        QCOMPARE(stored.boxes, kAllDraws);
        QCOMPARE(stored.players[1].name, kNames[1]);
        QCOMPARE(stored.players[1].figures.draws, 4);

        db.correctTournament(table, computed(kReal));
        QCOMPARE(db.readTournament(table).boxes, kReal);
    }
    QList<QStringList> asIfWritten{kReal};
    if (earlier && !goneFromTotal)
        asIfWritten.prepend(kOther);
    QCOMPARE(sqliteRows(kTotal), totalOf(asIfWritten));
    QCOMPARE(sqliteRows(QStringLiteral("SELECT Team2 FROM \"%1\" WHERE id=1").arg(table)),
             QStringList{"3'-'1"});
}

void TestStoredTournament::failedCorrectionChangesNothing() {
    // Every write of the correction fails in turn (a temporary trigger counts them); each
    // failure leaves the file as it was, until the correction goes through.
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    const QString table = QStringLiteral("09_03_2024__20_15_00");
    kv::HistoryStore db;
    db.writeTournament(QStringLiteral("01_03_2024__20_00_00"), computed(kOther));
    db.writeTournament(table, computed(kAllDraws));
    const QString before = sqlite3(QStringLiteral(".dump"));

    QSqlQuery q(kvtest::connectionOf(db));
    QVERIFY(q.exec("CREATE TEMP TABLE fault (n INTEGER, at INTEGER)"));
    QVERIFY(q.exec("INSERT INTO fault VALUES (0, 0)"));
    const QString body =
        QStringLiteral("BEGIN UPDATE fault SET n = n + 1; SELECT RAISE(ABORT, 'injected fault') "
                       "WHERE (SELECT n = at FROM fault); END");
    for (const char* op : {"INSERT", "UPDATE", "DELETE"}) {
        QVERIFY(q.exec(QStringLiteral("CREATE TEMP TRIGGER f_total_%1 BEFORE %1 ON main.Total %2")
                           .arg(QLatin1String(op), body)));
        QVERIFY(q.exec(QStringLiteral("CREATE TEMP TRIGGER f_t_%1 BEFORE %1 ON main.\"%2\" %3")
                           .arg(QLatin1String(op), table, body)));
    }
    int failures = 0;
    for (int at = 1;; ++at) {
        QVERIFY(q.exec(QStringLiteral("UPDATE fault SET n = 0, at = %1").arg(at)));
        try {
            db.correctTournament(table, computed(kReal));
            break;
        } catch (const kv::Error& e) {
            QVERIFY2(e.text().contains("injected fault"), qPrintable(e.text()));
            QCOMPARE(sqlite3(QStringLiteral(".dump")), before);
            ++failures;
        }
    }
    // Three stored players off, three rows out, three in, three players on.
    QVERIFY2(failures >= 12, qPrintable(QString::number(failures)));
    QVERIFY(sqlite3(QStringLiteral(".dump")) != before);
}

void TestStoredTournament::rebuildEqualsThePresses() {
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    const QList<QStringList> evenings{kReal, kAllDraws, kOther};
    kv::HistoryStore db;
    int n = 0;
    for (const QStringList& boxes : evenings)
        db.writeTournament(QStringLiteral("0%1_03_2024__20_00_00").arg(++n), computed(boxes));
    const QStringList pressed = sqliteRows(kTotal);
    // "Total" spoiled: one sum wrong, one player gone, one player of no tournament.
    sqlite3(QStringLiteral("UPDATE Total SET Очки = 99 WHERE Игрок='Зурко';"
                           "DELETE FROM Total WHERE Игрок='Пенва';"
                           "INSERT INTO Total (Игрок, Очки) VALUES ('Гость', 7);"));

    const kv::TotalRebuild rebuild = db.rebuiltTotal();
    const QList<kv::TotalLine>& lines = rebuild.lines;
    // In the order of "Total", then the player it lacks.
    QStringList order;
    for (const kv::TotalLine& l : lines)
        order << l.player;
    QCOMPARE(order, QStringList({"Зурко", "Лодыш", "Гость", "Пенва"}));
    QCOMPARE(lines[0].stored->points, 99);
    QVERIFY(!lines[2].rebuilt && !lines[3].stored);
    db.replaceTotal(rebuild);

    QCOMPARE(sqliteRows(QString(kTotal).replace("FROM Total", "FROM Total WHERE Игрок <> 'Гость'")),
             pressed);
    QCOMPARE(sqliteRows("SELECT Очки FROM Total WHERE Игрок='Гость'"), QStringList{"7"});
}

void TestStoredTournament::damagedTablesAreLeftOutAndNamed_data() {
    QTest::addColumn<QString>("damage");    // SQL on a history of two evenings, kReal then kOther
    QTest::addColumn<QString>("leftOut");   // the table named, empty when none
    QTest::addColumn<QString>("reason");    // a part of what is said of it
    QTest::addColumn<bool>("secondCounts"); // the second evening still counts
    const QString second = QStringLiteral("02_03_2024__20_00_00");
    QTest::newRow("a row deleted in the grid") << "DELETE FROM \"" + second + "\" WHERE id = 2;"
                                               << second << "нет строки игрока 2" << false;
    QTest::newRow("a cell that is not a number")
        << "UPDATE \"" + second + "\" SET Goals = 'семь''-''4' WHERE id = 1;" << second
        << "в столбце Goals \"семь'-'4\"" << false;
    QTest::newRow("a score without its join")
        << "UPDATE \"" + second + "\" SET Team3 = '4-0' WHERE id = 1;" << second
        << "в столбце Team3 \"4-0\"" << false;
    QTest::newRow("a foreign table that only mentions the columns")
        << "CREATE TABLE notes (PlayerName TEXT, Goals TEXT, Scores TEXT, Rank TEXT);"
           "INSERT INTO notes VALUES ('x', 'y', 'z', 'w');"
        << ""
        << "" << true;
    QTest::newRow("a foreign table with the columns")
        << "CREATE TABLE other (id, Player, \"-\", Team1, Team2, Team3, Goals, Scores, Rank);"
           "INSERT INTO other (id) VALUES (1), (2), (3), (4);"
        << "other"
        << "лишняя строка с id \"4\"" << true;
    QTest::newRow("a copy under another name")
        << "CREATE TABLE \"03_03_2024__20_00_00\" AS SELECT * FROM \"01_03_2024__20_00_00\";"
        << "03_03_2024__20_00_00"
        << "копия турнира \"01_03_2024__20_00_00\"" << true;
}

void TestStoredTournament::damagedTablesAreLeftOutAndNamed() {
    QFETCH(QString, damage);
    QFETCH(QString, leftOut);
    QFETCH(QString, reason);
    QFETCH(bool, secondCounts);
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    kv::HistoryStore db;
    db.writeTournament(QStringLiteral("01_03_2024__20_00_00"), computed(kReal));
    db.writeTournament(QStringLiteral("02_03_2024__20_00_00"), computed(kOther));
    sqlite3(damage);

    const kv::TotalRebuild rebuild = db.rebuiltTotal();
    QCOMPARE(rebuild.leftOut.size(), leftOut.isEmpty() ? 0 : 1);
    if (!leftOut.isEmpty()) {
        QCOMPARE(rebuild.leftOut[0].table, leftOut);
        QVERIFY2(rebuild.leftOut[0].reason.contains(reason), qPrintable(rebuild.leftOut[0].reason));
    }
    db.replaceTotal(rebuild);
    QCOMPARE(sqliteRows(kTotal),
             totalOf(secondCounts ? QList<QStringList>{kReal, kOther} : QList<QStringList>{kReal}));
    // A table that no sum counts cannot be corrected either.
    if (!leftOut.isEmpty())
        QVERIFY_THROWS_EXCEPTION(kv::Error, db.readTournament(leftOut));
}

QTEST_MAIN(TestStoredTournament)
#include "test_tournamenttables.moc"
