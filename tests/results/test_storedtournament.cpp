// Correcting a stored tournament and rebuilding "Total" from the tournament tables.
#include "common/errors.h"
#include "results/standings.h"
#include "results/storedtournament.h"
#include "resultsdb.h"

#include <QSqlQuery>

using kvtest::sqlite3;
using kvtest::sqliteRows;

namespace {

const QStringList kNames{"Зурко", "Пенва", "Лодыш"};
const QStringList kAllDraws(12, QStringLiteral("0"));
const QStringList kReal{"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
const QStringList kOther{"0", "2", "5", "1", "2", "2", "0", "1", "1", "1", "3", "0"};
const QString kTotal = QStringLiteral(
    "SELECT Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, Первый, Второй, "
    "Третий FROM Total ORDER BY Игрок");

// A tournament as the results window hands it over after computing these scores.
kv::TournamentEntry computed(const QStringList& boxes, const QStringList& names = kNames) {
    kv::TournamentEntry e;
    e.boxes = boxes;
    const kv::Standings s = kv::computeStandings(boxes);
    for (int i = 0; i < 3; ++i) {
        const kv::PlayerStanding& p = s.players[i];
        e.players[i] = {names[i],
                        QStringLiteral("Команда %1").arg(i + 1),
                        QString::number(p.wins),
                        QString::number(p.draws),
                        QString::number(p.losses),
                        QString::number(p.goalsFor),
                        QString::number(p.goalsAgainst),
                        QString::number(p.difference),
                        QString::number(p.points),
                        QString::number(s.places[i])};
    }
    return e;
}

// "Total" after writing these tournaments into a fresh database of its own.
QStringList totalOf(const QList<QStringList>& evenings) {
    const QString file = QStringLiteral("reference.db");
    QFile::remove(file);
    kvtest::createBaseDb(file);
    kv::TournamentDb db(file);
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
        kv::TournamentDb db;
        if (earlier)
            db.writeTournament(QStringLiteral("01_03_2024__20_00_00"), computed(kOther));
        db.writeTournament(table, computed(kAllDraws));
        if (goneFromTotal)
            sqlite3(QStringLiteral("DELETE FROM Total;"));
        QCOMPARE(sqliteRows(QStringLiteral("SELECT Rank FROM \"%1\" ORDER BY id").arg(table)),
                 QStringList({"2", "2", "2"}));

        const kv::TournamentEntry stored = kv::readTournament(db.database(), table);
        QCOMPARE(stored.boxes, kAllDraws);
        QCOMPARE(stored.players[1].name, kNames[1]);
        QCOMPARE(stored.players[1].draws, QStringLiteral("4"));

        kv::correctTournament(db.database(), table, computed(kReal));
        QCOMPARE(kv::readTournament(db.database(), table).boxes, kReal);
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
    kv::TournamentDb db;
    db.writeTournament(QStringLiteral("01_03_2024__20_00_00"), computed(kOther));
    db.writeTournament(table, computed(kAllDraws));
    const QString before = sqlite3(QStringLiteral(".dump"));

    QSqlQuery q(db.database());
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
            kv::correctTournament(db.database(), table, computed(kReal));
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
    kv::TournamentDb db;
    int n = 0;
    for (const QStringList& boxes : evenings)
        db.writeTournament(QStringLiteral("0%1_03_2024__20_00_00").arg(++n), computed(boxes));
    const QStringList pressed = sqliteRows(kTotal);
    // "Total" spoiled: one sum wrong, one player gone, one player of no tournament.
    sqlite3(QStringLiteral("UPDATE Total SET Очки = 99 WHERE Игрок='Зурко';"
                           "DELETE FROM Total WHERE Игрок='Пенва';"
                           "INSERT INTO Total (Игрок, Очки) VALUES ('Гость', 7);"));

    const QList<kv::TotalLine> lines = kv::rebuiltTotal(db.database());
    // In the order of "Total", then the player it lacks.
    QStringList order;
    for (const kv::TotalLine& l : lines)
        order << l.player;
    QCOMPARE(order, QStringList({"Зурко", "Лодыш", "Гость", "Пенва"}));
    QCOMPARE(lines[0].stored->points, 99);
    QVERIFY(!lines[2].rebuilt && !lines[3].stored);
    kv::replaceTotal(db.database(), lines);

    QCOMPARE(sqliteRows(QString(kTotal).replace("FROM Total", "FROM Total WHERE Игрок <> 'Гость'")),
             pressed);
    QCOMPARE(sqliteRows("SELECT Очки FROM Total WHERE Игрок='Гость'"), QStringList{"7"});
}

QTEST_MAIN(TestStoredTournament)
#include "test_storedtournament.moc"
