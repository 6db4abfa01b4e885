#include "common/clock.h"
#include "common/errors.h"
#include "common/settings.h"
#include "history/historystore.h"
#include "history/playerrename.h"
#include "history/safetycopy.h"
#include "historydb.h"
#include "household.h"

#include <QSqlQuery>

#include <functional>
#include <optional>

#include <sys/wait.h>
#include <unistd.h>

using namespace kv;
using kvtest::sqlite3;
using kvtest::sqliteRows;

namespace {

const QString kTable = QStringLiteral("08_12_2016__21_05_33");

QString dump(const QString& file = QStringLiteral("base.db")) {
    return sqlite3(QStringLiteral(".dump"), file);
}

QStringList totalRows() {
    return sqliteRows(
        QStringLiteral("SELECT Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, "
                       "Разница, Очки, Первый, Второй, Третий FROM Total ORDER BY id"));
}

// The text of the error a work ends with; one that ends well gives a text no check expects.
QString errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("no error");
}

// A working folder holding the base.db of a new installation, and a store over it that has not
// opened it yet; written: the sample tournament is stored as kTable.
struct OnBase {
    explicit OnBase(bool written = false) {
        kvtest::createBaseDb();
        if (written)
            db.writeTournament(kTable, kvtest::sampleTournament());
    }
    kvtest::WorkFolder folder;
    HistoryStore db;
};

const QStringList kRenamed{"Зурко", "Пенва Второй", "Лодыш"};

} // namespace

using StoreChange = std::function<void(kv::HistoryStore&, const QString& table)>;
Q_DECLARE_METATYPE(StoreChange)

class TestHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void tableNameFromTheClock_data();
    void tableNameFromTheClock();
    void storesTheTournamentRowsAndIndex();
    void updateTotalInsertsThenAdds_data();
    void updateTotalInsertsThenAdds();
    void onlyTheExactNameGetsTheSums();
    void hostileTextsAreStoredUnchanged();
    void anyFailureLeavesTheDatabaseAsItWas_data();
    void anyFailureLeavesTheDatabaseAsItWas();
    void placeOutsideOneToThreeWritesNothing();
    void missingFileIsAnErrorAndNeverCreated();
    void listsTablesAndViewsSortedWithoutSystemTables();
    void copiesKeepTheOrderOfMaking_data();
    void copiesKeepTheOrderOfMaking();
    void renameKilledAtEachStepEndsAllOldOrAllNew_data();
    void renameKilledAtEachStepEndsAllOldOrAllNew();
    void fileNotWrittenAfterTheRenameIsToldAndFinishedLater();
    void changeRefusedForTheRealReason_data();
    void changeRefusedForTheRealReason();
    void restoreListsCopiesAndSetAsideFiles();
    void restoreCutShortIsFinishedAtStart_data();
    void restoreCutShortIsFinishedAtStart();
    void aGeneratedHouseholdReadsBackWhole();
    void playOrderStaysWithItsTournament_data();
    void playOrderStaysWithItsTournament();
    void aKeptReadingFollowsEveryChange_data();
    void aKeptReadingFollowsEveryChange();
};

void TestHistoryStore::tableNameFromTheClock_data() {
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("timeFormat");
    QTest::addColumn<QString>("name");
    const auto row = [](const char* name, int hour, const char* date, const char* time,
                        const QString& table) {
        QTest::newRow(name) << QDateTime(QDate(2016, 12, 8), QTime(hour, 5, 33)) << date << time
                            << table;
    };
    row("evening", 21, "dd.MM.yyyy", "H:mm:ss", kTable);
    row("one-digit hour", 9, "dd.MM.yyyy", "H:mm:ss", "08_12_2016__9_05_33");
    row("other separators are forced", 9, "d/M/yyyy", "HH-mm-ss", "8_12_2016__09_05_33");
    // A name the history could not read a date from: the month and weekday as digits.
    row("month as a word", 21, "d MMM yyyy", "HH:mm:ss", kTable);
    row("weekday as a word", 21, "dddd, d.M.yyyy", "HH:mm:ss", kTable);
    // A time of day names no zone, whatever the locale puts around it.
    row("zone at the end", 21, "dd.MM.yyyy", "HH:mm:ss t", kTable);
    row("zone in front", 21, "d.M.yyyy", "t HH:mm:ss", "8_12_2016__21_05_33");
    row("zone after a long zone name", 9, "dd.MM.yyyy", "h:mm:ss  tttt", "08_12_2016__9_05_33");
    row("quoted t stays", 21, "dd.MM.yyyy", "H:mm:ss 'at' t", "08_12_2016__21_05_33 at");
}

void TestHistoryStore::tableNameFromTheClock() {
    QFETCH(QDateTime, at);
    QFETCH(QString, dateFormat);
    QFETCH(QString, timeFormat);
    QFETCH(QString, name);
    FixedClock clock(at, dateFormat, timeFormat);
    QCOMPARE(tournamentTableName(clock), name);
    QVERIFY(clock.separatorsForced());
}

void TestHistoryStore::storesTheTournamentRowsAndIndex() {
    OnBase f;
    QList<int> progress;
    f.db.writeTournament(kTable, kvtest::sampleTournament(), std::nullopt,
                         [&](int p) { progress << p; });
    f.db.writeTournament(QStringLiteral("09_12_2016__10_00_00"), kvtest::sampleTournament());
    QCOMPARE(progress, QList<int>({13, 33, 66, 100}));

    QCOMPARE(sqliteRows(QStringLiteral("SELECT id, Player, \"-\", Team1, Team2, Team3, Goals, "
                                       "Scores, Rank FROM \"%1\" ORDER BY id")
                            .arg(kTable)),
             QStringList({"1|Зурко|Команда 1|-|3'-'1|4'-'0|7'-'4|7|1",
                          "2|Пенва|Команда 2|0'-'2|-|1'-'3|6'-'7|4|3",
                          "3|Лодыш|Команда 3|1'-'1|2'-'2|-|5'-'7|5|2"}));
    // Every tournament has its own index on id, named after its table.
    QCOMPARE(sqliteRows(QStringLiteral("SELECT name || ' ' || tbl_name FROM sqlite_master "
                                       "WHERE type = 'index' AND sql LIKE '%(id)' ORDER BY 1")),
             QStringList({"08_12_2016__21_05_33.id 08_12_2016__21_05_33",
                          "09_12_2016__10_00_00.id 09_12_2016__10_00_00"}));
}

void TestHistoryStore::updateTotalInsertsThenAdds_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("counters");
    QTest::newRow("first") << "1"
                           << "1|0|0";
    QTest::newRow("second") << "2"
                            << "0|1|0";
    QTest::newRow("third") << "3"
                           << "0|0|1";
}

void TestHistoryStore::updateTotalInsertsThenAdds() {
    QFETCH(QString, place);
    QFETCH(QString, counters);
    OnBase f;
    f.db.open();
    // Every figure distinct, so a value in a wrong column shows.
    const PlayerEntry p{"Зурко", "", {2, 3, 5, 11, 13, -17, 19, placeCounters(place.toInt())}};
    UpdateTotal(kvtest::connectionOf(f.db), p);
    QCOMPARE(totalRows(), QStringList({"Зурко|2|3|5|11|13|-17|19|" + counters}));
    UpdateTotal(kvtest::connectionOf(f.db), p);
    const QString twice = QString(counters).replace('1', '2');
    QCOMPARE(totalRows(), QStringList({"Зурко|4|6|10|22|26|-34|38|" + twice}));
}

void TestHistoryStore::onlyTheExactNameGetsTheSums() {
    OnBase f;
    // A database that compares names without regard to case finds both rows for "Ivan".
    sqlite3("DROP TABLE Total; CREATE TABLE Total (id INTEGER PRIMARY KEY AUTOINCREMENT, "
            "Игрок TEXT COLLATE NOCASE, Побед INT, Ничьих INT, Поражений INT, Забито INT, "
            "Пропущено INT, Разница INT, Очки INT, Первый INT, Второй INT, Третий INT);"
            "INSERT INTO Total VALUES (NULL, 'ivan', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);"
            "INSERT INTO Total VALUES (NULL, 'Ivan', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);");
    f.db.open();
    UpdateTotal(kvtest::connectionOf(f.db), {"Ivan", "", {1, 0, 0, 1, 0, 1, 3, placeCounters(1)}});
    UpdateTotal(kvtest::connectionOf(f.db), {"IVAN", "", {0, 1, 0, 0, 0, 0, 1, placeCounters(2)}});
    QCOMPARE(totalRows(), QStringList({"ivan|0|0|0|0|0|0|0|0|0|0", "Ivan|1|0|0|1|0|1|3|1|0|0",
                                       "IVAN|0|1|0|0|0|0|1|0|1|0"}));
}

void TestHistoryStore::hostileTextsAreStoredUnchanged() {
    OnBase f;
    const QStringList names{"O'Neil", "x'); DROP TABLE Total; --", "\"Q\" :x ? \\"};
    TournamentEntry e = kvtest::sampleTournament(names);
    e.players[0].team = QStringLiteral("Д'Артаньян");
    e.boxes[0] = QStringLiteral("1'); DELETE FROM Total; --");
    f.db.writeTournament(kTable, e);
    f.db.writeTournament(kTable + "x", e);

    QCOMPARE(sqliteRows(QStringLiteral("SELECT Player FROM \"%1\" ORDER BY id").arg(kTable)),
             names);
    QCOMPARE(
        sqliteRows(
            QStringLiteral("SELECT \"-\" || ' ' || Team2 FROM \"%1\" WHERE id = 1").arg(kTable)),
        QStringList{"Д'Артаньян 1'); DELETE FROM Total; --'-'1"});
    QCOMPARE(sqliteRows("SELECT Игрок || ' ' || Первый FROM Total ORDER BY id"),
             QStringList({"O'Neil 2", "x'); DROP TABLE Total; -- 0", "\"Q\" :x ? \\ 0"}));
}

void TestHistoryStore::anyFailureLeavesTheDatabaseAsItWas_data() {
    QTest::addColumn<QString>("breakIt");
    QTest::addColumn<QString>("mendIt");
    QTest::addColumn<bool>("sameSecond");
    QTest::addColumn<QString>("error");
    QTest::newRow("Total without a column") << "ALTER TABLE Total DROP COLUMN Третий"
                                            << "ALTER TABLE Total ADD COLUMN Третий INT "
                                               "NOT NULL DEFAULT 0"
                                            << false << "Третий";
    QTest::newRow("trigger refuses the last player")
        << "CREATE TRIGGER no BEFORE UPDATE ON Total WHEN NEW.Игрок = 'Лодыш' "
           "BEGIN SELECT RAISE(ABORT, 'refused'); END"
        << "DROP TRIGGER no" << false << "refused";
    QTest::newRow("second press in the same second") << ""
                                                     << "" << true << "already exists";
}

void TestHistoryStore::anyFailureLeavesTheDatabaseAsItWas() {
    QFETCH(QString, breakIt);
    QFETCH(QString, mendIt);
    QFETCH(bool, sameSecond);
    QFETCH(QString, error);
    OnBase f(true);
    if (!breakIt.isEmpty())
        sqlite3(breakIt);
    const QString before = dump();

    const QString second = sameSecond ? kTable : QStringLiteral("08_12_2016__21_05_34");
    const QString told = errorOf([&] { f.db.writeTournament(second, kvtest::sampleTournament()); });
    QVERIFY2(told.contains(error), qPrintable(told));
    QCOMPARE(dump(), before);

    // Mended, a new press stores the tournament once.
    if (!mendIt.isEmpty())
        sqlite3(mendIt);
    f.db.writeTournament(QStringLiteral("08_12_2016__21_05_35"), kvtest::sampleTournament());
    QCOMPARE(sqliteRows("SELECT Игрок || ' ' || Очки || ' ' || Первый FROM Total ORDER BY id"),
             QStringList({"Зурко 14 2", "Пенва 8 0", "Лодыш 10 0"}));
    QCOMPARE(sqliteRows("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name LIKE "
                        "'08%'"),
             QStringList{"2"});
}

void TestHistoryStore::placeOutsideOneToThreeWritesNothing() {
    OnBase f;
    const QString before = dump();
    TournamentEntry e = kvtest::sampleTournament();
    e.players[2].figures.places = {};
    QVERIFY(errorOf([&] { f.db.writeTournament(kTable, e); }).contains(QStringLiteral("Лодыш")));
    QCOMPARE(dump(), before);
}

void TestHistoryStore::missingFileIsAnErrorAndNeverCreated() {
    kvtest::WorkFolder folder;
    HistoryStore db;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString told = errorOf([&] { db.tableNames(); });
        QVERIFY2(told.startsWith(QStringLiteral("Cannot open file \"base.db\".")),
                 qPrintable(told));
        QVERIFY(!folder.exists(QStringLiteral("base.db")));
    }
    kvtest::createBaseDb();
    QCOMPARE(db.tableNames(), QStringList{"Total"});
}

void TestHistoryStore::listsTablesAndViewsSortedWithoutSystemTables() {
    OnBase f;
    sqlite3("INSERT INTO Total (Игрок) VALUES ('a'); CREATE TABLE b (x); "
            "CREATE VIEW a_view AS SELECT * FROM b; CREATE TABLE \"15_11_2016__10_00_00\" (x);"
            "ANALYZE;");
    f.db.writeTournament(kTable, kvtest::sampleTournament());
    // sqlite_sequence and sqlite_stat1 exist now, but are the engine's own.
    QCOMPARE(f.db.tableNames(),
             QStringList({kTable, "15_11_2016__10_00_00", "Total", "a_view", "b"}));
}

void TestHistoryStore::copiesKeepTheOrderOfMaking_data() {
    QTest::addColumn<QStringList>("present"); // in backups/ before
    QTest::addColumn<QList<int>>("clock");    // seconds after 09.03.2024 20:15 at each copy
    QTest::addColumn<bool>("wal");
    QTest::addColumn<QStringList>("kept");    // three at most, in the order made
    QTest::addColumn<QStringList>("strange"); // of those present, names left alone
    const auto row = [](const char* name, const QStringList& present, const QList<int>& clock,
                        const QStringList& kept, const QStringList& strange = {},
                        bool wal = false) {
        QTest::newRow(name) << present << clock << wal << kept << strange;
    };
    const QString future = QStringLiteral("base-2031-01-01_00-00-0%1.db");
    const QString at = QStringLiteral("base-2024-03-09_20-%1.db");
    row("copies dated in the future", {future.arg(2), future.arg(0), future.arg(1)}, {0, 60},
        {future.arg(2), at.arg("15-00-1"), at.arg("16-00-2")});
    row("clock set back, then right again", {}, {0, -3600, 3600},
        {at.arg("15-00"), "base-2024-03-09_19-15-00-1.db", "base-2024-03-09_21-15-00-2.db"});
    row("leftovers of a killed copy",
        {at.arg("00-00") + ".part", at.arg("01-00"), at.arg("02-00-7") + ".part"}, {0},
        {at.arg("01-00"), at.arg("15-00")});
    row("old names within a second, then the same second",
        {at.arg("14-00_2"), at.arg("10-00"), at.arg("14-00")}, {0, 0},
        {at.arg("14-00_2"), at.arg("15-00"), at.arg("15-00_2")});
    row("old and ordered names together",
        {future.arg(0), at.arg("00-00-4"), "base-2031-01-01_00-00-00_2.db"}, {0},
        {"base-2031-01-01_00-00-00_2.db", at.arg("00-00-4"), at.arg("15-00-5")});
    // Committed changes still in the write-ahead log are in the copy too.
    row("write-ahead log", {}, {0}, {at.arg("15-00")}, {}, true);
    // Numbers of any length a folder may hold: the program's own go on from the largest, the
    // ones it could never have made stay where they are, and a new copy is always the newest.
    row("orders compared as numbers", {at.arg("00-00-9"), at.arg("00-00-100"), at.arg("00-00-10")},
        {0}, {at.arg("00-00-10"), at.arg("00-00-100"), at.arg("15-00-101")});
    row("a huge order", {at.arg("00-00-999999999")}, {0, 0},
        {at.arg("00-00-999999999"), at.arg("15-00-1000000000"), at.arg("15-00-1000000001")});
    row("the largest order", {at.arg("00-00-999999999999999999")}, {0, 0},
        {at.arg("00-00-999999999999999999"), at.arg("15-00-999999999999999999"),
         at.arg("15-00_2-999999999999999999")});
    row("numbers longer than any copy's",
        {at.arg("00-00-1000000000000000000"), at.arg("00-00_0000000000000000001"), at.arg("10-00")},
        {0}, {at.arg("10-00"), at.arg("15-00")},
        {at.arg("00-00-1000000000000000000"), at.arg("00-00_0000000000000000001")});
    row("the largest number within a second", {at.arg("15-00_999999999999999999")}, {0},
        {at.arg("15-00_999999999999999999"), at.arg("15-00-1")});
}

void TestHistoryStore::copiesKeepTheOrderOfMaking() {
    QFETCH(QStringList, present);
    QFETCH(QList<int>, clock);
    QFETCH(bool, wal);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, strange);
    OnBase f;
    QDir().mkdir(QStringLiteral("backups"));
    for (const QString& name : present)
        f.folder.writeBytes(QStringLiteral("backups/") + name, "an earlier copy");
    f.db.open();
    QSqlQuery query(kvtest::connectionOf(f.db));
    if (wal)
        QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
                query.exec(QStringLiteral("INSERT INTO Total (Игрок) VALUES ('Зурко')")));

    for (const int seconds : clock)
        kv::keepSafetyCopy(kvtest::connectionOf(f.db), kDatabaseFile,
                           QDateTime(QDate(2024, 3, 9), QTime(20, 15)).addSecs(seconds), 3,
                           QStringLiteral("перед записью 09.03.2024"));
    QStringList names;
    for (const QString& path : safetyCopies(kDatabaseFile))
        names.append(QFileInfo(path).fileName());
    QCOMPARE(names, kept);
    // Each new copy has its note, and the notes of the copies removed went with them.
    QCOMPARE(safetyCopyNote(QStringLiteral("backups/") + kept.last()),
             QStringLiteral("перед записью 09.03.2024"));
    QStringList files = names + strange;
    for (const QString& name : kept)
        if (!present.contains(name))
            files.append(name + QStringLiteral(".txt"));
    files.sort();
    QCOMPARE(QDir(QStringLiteral("backups")).entryList(QDir::Files, QDir::Name), files);
    QCOMPARE(dump(QStringLiteral("backups/") + kept.last()), dump());
}

void TestHistoryStore::renameKilledAtEachStepEndsAllOldOrAllNew_data() {
    QTest::addColumn<int>("step"); // where the process dies
    QTest::addColumn<bool>("renamed");
    QTest::newRow("mark written") << int(RenameStep::Marked) << false;
    QTest::newRow("history changed, not committed") << int(RenameStep::RenamedUncommitted) << false;
    QTest::newRow("history committed") << int(RenameStep::Committed) << true;
    QTest::newRow("bomb.txt written") << int(RenameStep::BestScorerFile) << true;
    QTest::newRow("prizes.txt written") << int(RenameStep::PrizeFile) << true;
    QTest::newRow("settings written") << int(RenameStep::Settings) << true;
}

void TestHistoryStore::renameKilledAtEachStepEndsAllOldOrAllNew() {
    QFETCH(int, step);
    QFETCH(bool, renamed);
    OnBase f;
    HistoryStore(kDatabaseFile).writeTournament(kTable, kvtest::sampleTournament(), "Пенва");
    f.folder.write("bomb.txt", {"Пенва"});
    f.folder.write("prizes.txt", QStringList{"2016-12-08"} + kvtest::kPlayers + kvtest::kTeams);
    f.folder.writeSettings({.players = kvtest::kPlayers});
    const QStringList settingsAfter = kvtest::Settings{.players = kRenamed}.lines();

    // The child dies where a kill would land: no destructor, no rollback, no clean-up runs.
    const pid_t child = fork();
    if (child == 0) {
        try {
            HistoryStore db;
            renamePlayersEverywhere(db, {{"Пенва", "Пенва Второй"}}, settingsAfter,
                                    [&](RenameStep reached) {
                                        if (int(reached) == step)
                                            _exit(0);
                                    });
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the rename never reached the step");
    QVERIFY(f.folder.exists(kRenameMarkFile));

    // The next start.
    {
        HistoryStore db;
        QCOMPARE(settleInterruptedRename(db),
                 renamed ? InterruptedRename::Finished : InterruptedRename::Dropped);
        QCOMPARE(settleInterruptedRename(db), InterruptedRename::None);
    }
    QVERIFY(!f.folder.exists(kRenameMarkFile));
    const QStringList names = renamed ? kRenamed : kvtest::kPlayers;
    QCOMPARE(sqliteRows("SELECT Игрок FROM Total ORDER BY id"), names);
    QCOMPARE(sqliteRows("SELECT Player FROM \"" + kTable + "\" ORDER BY id"), names);
    QCOMPARE(sqliteRows("SELECT player FROM " + kBestScorerTable), QStringList{names[1]});
    QCOMPARE(f.folder.lines("bomb.txt"), QStringList{names[1]});
    QCOMPARE(f.folder.lines("prizes.txt").mid(1, 3), names);
    QCOMPARE(f.folder.lines("prizes.txt").mid(4), kvtest::kTeams);
    QCOMPARE(settings::read().players, names);
}

void TestHistoryStore::fileNotWrittenAfterTheRenameIsToldAndFinishedLater() {
    OnBase f(true);
    f.folder.write("bomb.txt", {"Пенва"});
    QDir().mkdir("settings.ini"); // cannot be written over
    const QString told = renamePlayersEverywhere(f.db, {{"Пенва", "Пенва Второй"}},
                                                 kvtest::Settings{.players = kRenamed}.lines());
    QVERIFY2(told.startsWith("Игроки переименованы в истории турниров") &&
                 told.contains("при следующем запуске"),
             qPrintable(told));
    QCOMPARE(sqliteRows("SELECT Игрок FROM Total ORDER BY id"), kRenamed);
    QCOMPARE(f.folder.lines("bomb.txt"), QStringList{"Пенва Второй"});
    QVERIFY(f.folder.exists(kRenameMarkFile));
    // Still in the way at the next start: the mark waits for the one after.
    QVERIFY_THROWS_EXCEPTION(Error, settleInterruptedRename(f.db));
    QVERIFY(f.folder.exists(kRenameMarkFile));
    QDir().rmdir("settings.ini");
    QCOMPARE(settleInterruptedRename(f.db), InterruptedRename::Finished);
    QCOMPARE(settings::read().players, kRenamed);
    QVERIFY(!f.folder.exists(kRenameMarkFile));
}

void TestHistoryStore::changeRefusedForTheRealReason_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("told");
    QTest::newRow("copies folder unreadable") << "unreadable"
                                              << "нет прав на чтение папки";
    QTest::newRow("copies folder a loop") << "loop"
                                          << "ссылка на папку ведёт по кругу";
    QTest::newRow("a file in place of the copies folder") << "file"
                                                          << "на месте папки - файл";
    QTest::newRow("base.db read-only") << "read-only"
                                       << "нельзя записывать: он только для чтения";
}

void TestHistoryStore::changeRefusedForTheRealReason() {
    QFETCH(QString, fault);
    QFETCH(QString, told);
    // Permissions stop an ordinary user only: root runs these as "nobody".
    const bool permission = fault == "unreadable" || fault == "read-only";
    if (const QString why = kvtest::Unprivileged::unavailable(); permission && !why.isEmpty())
        QSKIP(qPrintable(why));
    kvtest::WorkFolder folder(kvtest::Reach::Everyone);
    kvtest::createBaseDb();
    QDir().mkdir(QStringLiteral("backups"));
    folder.writeBytes(QStringLiteral("backups/base-2024-03-09_20-00-00.db"), "an earlier copy");
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions("base.db", fault == "read-only" ? readable
                                                                  : readable | QFile::WriteOwner |
                                                                        QFile::WriteOther));
    if (fault == "unreadable")
        QVERIFY(QFile::setPermissions(QStringLiteral("backups"), {}));
    else if (!permission)
        QVERIFY(QDir(QStringLiteral("backups")).removeRecursively() &&
                (fault == "loop" ? QFile::link("backups", "backups")
                                 : QFile(QStringLiteral("backups")).open(QIODevice::WriteOnly)));
    const QString before = dump();
    {
        std::optional<kvtest::Unprivileged> user;
        if (permission)
            user.emplace();
        QStringList texts{errorOf([] { HistoryStore().change([] {}, writingNote(kTable)); })};
        // The restore window and a damaged base.db tell the same, never that there are no copies.
        if (fault != "read-only")
            texts << errorOf([] { describeSafetyCopies(kDatabaseFile); })
                  << damagedHistory(kDatabaseFile, QStringLiteral("файл пуст")).text();
        for (const QString& text : texts)
            QVERIFY2(text.contains(told), qPrintable(text));
    }
    QCOMPARE(dump(), before);
}

void TestHistoryStore::restoreListsCopiesAndSetAsideFiles() {
    kvtest::WorkFolder folder;
    kvtest::createBaseDb();
    kv::FixedClock clock(QDateTime(QDate(2024, 3, 9), QTime(20, 15)));
    HistoryStore store(kDatabaseFile, &clock);
    store.writeTournament(kTable, kvtest::sampleTournament()); // its copy holds none
    const QString written = safetyCopies(kDatabaseFile).value(0);
    // A copy from a newer program, made earlier; then all of them copied at one moment.
    const QString newer = QStringLiteral("backups/base-2024-03-09_20-10-00.db");
    QVERIFY(QFile::copy(written, newer));
    sqlite3(QStringLiteral("PRAGMA user_version = 7;"), newer);
    for (const QString& path : {written, newer}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime(QDate(2025, 1, 1), QTime(12, 0)),
                                 QFileDevice::FileModificationTime));
    }
    clock.advance(60);
    const QString setAside = store.restoreFromCopy(written); // the wrong one
    QCOMPARE(store.tournamentTables().size(), 0);

    QStringList listed;
    for (const CopySummary& c : describeSafetyCopies(kDatabaseFile))
        listed << QStringLiteral("%1 %2 %3 %4|%5")
                      .arg(QFileInfo(c.path).fileName(), c.made.toString("dd.MM.yyyy HH:mm:ss"))
                      .arg(c.tournaments)
                      .arg(c.newer ? "newer" : "")
                      .arg(c.note);
    QCOMPARE(listed, QStringList({QFileInfo(setAside).fileName() +
                                      " 09.03.2024 20:16:00 1 |заменённая при восстановлении",
                                  "base-2024-03-09_20-15-00.db 09.03.2024 20:15:00 0 |перед "
                                  "записью 08.12.2016",
                                  "base-2024-03-09_20-10-00.db 09.03.2024 20:10:00 0 newer|"}));
    // The wrong restore is undone from the same list.
    clock.advance(60);
    store.restoreFromCopy(setAside);
    QCOMPARE(store.tournamentTables(), QStringList{kTable});
}

void TestHistoryStore::restoreCutShortIsFinishedAtStart_data() {
    QTest::addColumn<int>("cut");         // the steps of the restore done before the kill
    QTest::addColumn<int>("tournaments"); // found at the next start; -1: told, not opened
    QTest::newRow("while the copy was written") << 0 << 1;
    QTest::newRow("copy written, nothing renamed") << 1 << 1;
    QTest::newRow("current file set aside, its journal not yet") << 2 << 0;
    QTest::newRow("current file and its journal set aside") << 3 << 0;
    QTest::newRow("the journal cannot follow") << 4 << -1;
}

void TestHistoryStore::restoreCutShortIsFinishedAtStart() {
    QFETCH(int, cut);
    QFETCH(int, tournaments);
    OnBase f;
    HistoryStore(kDatabaseFile).writeTournament(kTable, kvtest::sampleTournament());
    const QByteArray copy =
        f.folder.bytes("backups/" + QFileInfo(safetyCopies(kDatabaseFile).value(0)).fileName());
    const QString kept = QStringLiteral("base-replaced-2024-03-09_20-16-00.db");
    f.folder.writeBytes(cut == 0 ? "base.db.restoring.part" : "base.db.restoring",
                        cut == 0 ? copy.left(copy.size() / 2) : copy);
    if (cut >= 2) {
        QVERIFY(QFile::rename("base.db", kept));
        f.folder.writeBytes(cut == 3 ? kept + "-journal" : "base.db-journal", "of the kept file");
    }
    if (cut == 4)
        f.folder.writeBytes(kept + "-journal", "another journal");

    HistoryStore store;
    try {
        QCOMPARE(int(store.tournamentTables().size()), tournaments);
    } catch (const DamagedHistory& e) {
        QVERIFY2(tournaments < 0 && e.text().contains("восстановление из копии было прервано"),
                 qPrintable(e.text()));
        return;
    }
    QVERIFY(tournaments >= 0);
    // A journal always stays with the file it was written for.
    QCOMPARE(f.folder.exists("base.db-journal"), false);
    QCOMPARE(f.folder.exists(kept + "-journal"), cut >= 2);
}

// The benchmarks' histories are the program's stored form: every evening counted, "Total" equal
// to its rebuild, clubs that vary, best scorers kept for the newer evenings only.
void TestHistoryStore::aGeneratedHouseholdReadsBackWhole() {
    kvtest::WorkFolder folder;
    kvtest::writeHousehold({.evenings = 300});
    kv::HistoryStore store;
    const kv::History history = store.readHistory();
    QCOMPARE(history.tournaments.size(), 300);
    QCOMPARE(history.leftOut().size(), 0);
    QCOMPARE(history.players, (QStringList{"Зурко", "Пенва", "Лодыш"}));
    const kv::TotalRebuild total = store.rebuiltTotal();
    QCOMPARE(total.lines.size(), 3);
    for (const kv::TotalLine& line : total.lines)
        QVERIFY2(line.stored && line.stored == line.rebuilt, qPrintable(line.player));
    QSet<QString> clubs;
    int draws = 0, scorers = 0, orders = 0;
    for (const kv::PlayedTournament& t : history.tournaments) {
        clubs.insert(t.teams[0]);
        for (const kv::PlayedMatch& m : t.matches)
            draws += m.homeGoals == m.awayGoals;
        scorers += t.bestScorer.has_value();
        orders += t.playOrder.has_value();
    }
    QVERIFY2(clubs.size() > 100, qPrintable(QString::number(clubs.size())));
    QVERIFY2(draws > 300 && draws < 700, qPrintable(QString::number(draws)));
    QCOMPARE(scorers, 120);
    QCOMPARE(orders, 60);
}

void TestHistoryStore::playOrderStaysWithItsTournament_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("stored"); // the order's row afterwards; empty: none
    QTest::addColumn<bool>("read");      // the history reads it back
    const QString order = QStringLiteral("3-2 1-3 2-1 2-3 3-1 1-2");
    QTest::newRow("written") << "" << order << true;
    QTest::newRow("corrected") << "correct" << order << true;
    // Kept by slot: a new name changes nothing in it.
    QTest::newRow("players renamed") << "rename" << order << true;
    QTest::newRow("deleted") << "delete"
                             << "" << false;
    QTest::newRow("not what the program writes") << "damage"
                                                 << "1-2 1-2 2-3 2-1 1-3 3-2" << false;
}

void TestHistoryStore::playOrderStaysWithItsTournament() {
    QFETCH(QString, change);
    QFETCH(QString, stored);
    QFETCH(bool, read);
    OnBase f;
    HistoryStore& db = f.db;
    TournamentEntry entry = kvtest::sampleTournament();
    entry.playOrder = playOrderFromStored(QStringLiteral("3-2 1-3 2-1 2-3 3-1 1-2"));
    QVERIFY(entry.playOrder);
    db.writeTournament(kTable, entry);
    // A tournament written without one has none.
    db.writeTournament(QStringLiteral("09_12_2016__10_00_00"), kvtest::sampleTournament());
    if (change == QLatin1String("correct"))
        db.correctTournament(kTable, kvtest::sampleTournament());
    else if (change == QLatin1String("rename"))
        db.renamePlayers({{"Пенва", "Пенва Второй"}});
    else if (change == QLatin1String("delete"))
        db.deleteTournament(kTable);
    else if (change == QLatin1String("damage"))
        sqlite3(QStringLiteral("UPDATE kickvale_play_order SET matches = '%1'").arg(stored));
    QCOMPARE(sqliteRows(QStringLiteral("SELECT tournament || '|' || matches FROM "
                                       "kickvale_play_order")),
             stored.isEmpty() ? QStringList() : QStringList{kTable + '|' + stored});
    const History history = db.readHistory();
    QCOMPARE(history.tournaments.size(), change == QLatin1String("delete") ? 1 : 2);
    QCOMPARE(history.tournaments.first().playOrder.has_value(), read);
    QVERIFY(!history.tournaments.last().playOrder);
    // The program's own table is never listed as one of the history's.
    QVERIFY(!db.tableNames().contains(kPlayOrderTable));
}

// What a reading says of every tournament: its table, goals, best scorer and why it is left out.
static QStringList readingOf(const kv::History& history) {
    QStringList lines;
    for (const kv::PlayedTournament& t : history.tournaments) {
        QString line = t.table + t.bestScorer.value_or(QStringLiteral("-")) + t.fault;
        for (const kv::PlayedMatch& m : t.matches)
            line += QStringLiteral(" %1:%2").arg(m.homeGoals).arg(m.awayGoals);
        lines << line;
    }
    for (const kv::SkippedTable& s : history.unreadable)
        lines << s.table + s.reason;
    return lines;
}

void TestHistoryStore::aKeptReadingFollowsEveryChange_data() {
    using Change = StoreChange;
    QTest::addColumn<Change>("change");
    const auto elsewhere = [](const char* sql) {
        return Change([sql](kv::HistoryStore&, const QString& table) {
            sqlite3(QString::fromUtf8(sql).arg(table));
        });
    };
    QTest::newRow("another program mends a score")
        << elsewhere("UPDATE \"%1\" SET Scores = '9''-''0' WHERE id = 1");
    QTest::newRow("another program drops a table") << elsewhere("DROP TABLE \"%1\"");
    QTest::newRow("another program removes a row") << elsewhere("DELETE FROM \"%1\" WHERE id = 2");
    QTest::newRow("the store's own connection changes a cell")
        << Change([](kv::HistoryStore& store, const QString& table) {
               QSqlQuery query(kvtest::connectionOf(store));
               QVERIFY(query.exec(QStringLiteral("UPDATE \"%1\" SET Goals = 'x'").arg(table)));
           });
    QTest::newRow("a best scorer is kept") << Change(
        [](kv::HistoryStore& store, const QString& table) { store.setBestScorer(table, "Лодыш"); });
    QTest::newRow("a tournament is deleted") << Change(
        [](kv::HistoryStore& store, const QString& table) { store.deleteTournament(table); });
}

// The store keeps its reading of the history between reads; any change of the file, by it or by
// another program, is read again.
void TestHistoryStore::aKeptReadingFollowsEveryChange() {
    QFETCH(StoreChange, change);
    kvtest::WorkFolder folder;
    kvtest::writeHousehold({.evenings = 12});
    kv::HistoryStore store;
    const QStringList before = readingOf(store.readHistory());
    change(store, store.readHistory().tournaments.at(4).table);
    const QStringList after = readingOf(store.readHistory());
    QVERIFY(after != before);
    kv::HistoryStore fresh;
    QCOMPARE(after, readingOf(fresh.readHistory()));
}

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "test_historystore.moc"
