// A tournament write and the tournament list on a database of 5,000 stored tournaments and
// 1,000 players, and on households' histories of 50 to 5,000 evenings, against the same
// statements through SQLite's C API (the floor).

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/services.h"
#include "fakes.h"
#include "history/historystore.h"
#include "household.h"
#include "results/tform9.h"

#include "benchsql.h"
#include "goals.h"
#include "programfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kTournaments = 5000;
constexpr int kPlayers = 1000;

void check(int rc, sqlite3* db, int expected = SQLITE_OK) {
    if (rc != expected)
        throw std::runtime_error(sqlite3_errmsg(db));
}

using kvbench::runSql;

QString playerName(int i) {
    return QStringLiteral("Игрок %1").arg(i);
}

// The big database, built once per run in a temporary folder; each benchmark works on a copy.
class BigDatabase {
public:
    static BigDatabase& instance() {
        static BigDatabase db;
        return db;
    }
    // A fresh copy as base.db in a folder of its own, made the working folder.
    void enterCopy(const QString& name) {
        const QString folder = dir_.filePath(name);
        QDir().mkpath(folder);
        QFile::remove(folder + QStringLiteral("/base.db"));
        if (!QFile::copy(master(), folder + QStringLiteral("/base.db")))
            throw std::runtime_error("cannot copy the database");
        QDir::setCurrent(folder);
    }

private:
    QString master() const { return dir_.filePath(QStringLiteral("master.db")); }

    BigDatabase() {
        QFile script(kvbench::programFiles().defaultsDir() + QStringLiteral("base.sql"));
        if (!dir_.isValid() || !script.open(QIODevice::ReadOnly))
            throw std::runtime_error("no temporary folder or no base.sql");
        sqlite3* db = nullptr;
        check(sqlite3_open(master().toUtf8().constData(), &db), db);
        runSql(db, QStringLiteral("BEGIN"));
        runSql(db, QString::fromUtf8(script.readAll()));
        for (int i = 0; i < kPlayers; ++i)
            runSql(db, QStringLiteral("INSERT INTO Total (Игрок, Побед, Очки, Первый) "
                                      "VALUES ('%1', %2, %3, 1)")
                           .arg(playerName(i))
                           .arg(i % 7)
                           .arg(i % 23));
        const QDateTime start(QDate(2010, 1, 1), QTime(20, 0, 0));
        for (int t = 0; t < kTournaments; ++t) {
            const QString name = kv::quoteIdentifier(
                start.addSecs(t * 3600LL).toString(QStringLiteral("dd_MM_yyyy__H_mm_ss")));
            runSql(db, kv::createTournamentStatement(name.mid(1, name.size() - 2)));
            for (int r = 1; r <= 3; ++r)
                runSql(db, QStringLiteral("INSERT INTO %1 VALUES (%2, '%3', 'Команда %4', '-', "
                                          "'1''-''0', '2''-''2', '3''-''2', '4', '%2')")
                               .arg(name)
                               .arg(r)
                               .arg(playerName((t + r) % kPlayers))
                               .arg(t));
            runSql(db, QStringLiteral("CREATE INDEX %1 ON %2 (id)")
                           .arg(kv::quoteIdentifier(
                                    kv::tournamentIndexName(name.mid(1, name.size() - 2))),
                                name));
        }
        runSql(db, QStringLiteral("COMMIT"));
        sqlite3_close(db);
    }

    QTemporaryDir dir_;
};

// A household's history of N evenings, written once per run; each benchmark works on a copy,
// made the working folder.
void enterHouseholdCopy(int evenings, const QString& name) {
    static QTemporaryDir dir;
    const QString master = dir.filePath(QStringLiteral("household-%1.db").arg(evenings));
    if (!QFileInfo::exists(master))
        kvtest::writeHousehold({.evenings = evenings}, master);
    const QString folder = dir.filePath(QStringLiteral("%1-%2").arg(name).arg(evenings));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    if (!QFile::copy(master, folder + QStringLiteral("/base.db")))
        throw std::runtime_error("cannot copy the household's database");
    QDir::setCurrent(folder);
}

const int kEvenings[] = {50, 300, 1000, 5000};

void evenings(benchmark::internal::Benchmark* b) {
    for (int n : kEvenings)
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

kv::TournamentEntry entry() {
    kv::TournamentEntry e;
    e.boxes = {"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
    const int places[] = {1, 3, 2};
    for (int i = 0; i < 3; ++i)
        e.players[i] = {playerName(10 * i),
                        QStringLiteral("Команда"),
                        {2, 1, 1, 7, 4, 3, 7, kv::placeCounters(places[i])}};
    return e;
}

QString nextName(int& n) {
    const QDateTime at(QDate(2030, 1, 1), QTime(0, 0, 0));
    return at.addSecs(n++).toString(QStringLiteral("dd_MM_yyyy__H_mm_ss"));
}

// The statements of one press, through the C API, in one transaction.
void floorPress(sqlite3* db, const QString& table, const kv::TournamentEntry& e) {
    runSql(db, QStringLiteral("BEGIN"));
    runSql(db, kv::createTournamentStatement(table));
    sqlite3_stmt* insert = nullptr;
    const QByteArray insertSql =
        (QStringLiteral("INSERT INTO ") + kv::quoteIdentifier(table) +
         QStringLiteral(" (id, Player, \"-\", Team1, Team2, Team3, Goals, Scores, Rank) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))
            .toUtf8();
    check(sqlite3_prepare_v2(db, insertSql.constData(), -1, &insert, nullptr), db);
    for (const kv::TournamentRow& row : kv::tournamentRows(e)) {
        const QByteArray texts[] = {
            row.player.toUtf8(),   row.team.toUtf8(),  row.teams[0].toUtf8(), row.teams[1].toUtf8(),
            row.teams[2].toUtf8(), row.goals.toUtf8(), row.scores.toUtf8(),   row.rank.toUtf8()};
        sqlite3_bind_int(insert, 1, row.id);
        for (int i = 0; i < 8; ++i)
            sqlite3_bind_text(insert, i + 2, texts[i].constData(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(insert), db, SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    runSql(db, QStringLiteral("CREATE INDEX ") +
                   kv::quoteIdentifier(kv::tournamentIndexName(table)) + QStringLiteral(" ON ") +
                   kv::quoteIdentifier(table) + QStringLiteral(" (id)"));

    sqlite3_stmt* lookup = nullptr;
    sqlite3_stmt* update = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT Игрок FROM Total WHERE Игрок=?", -1, &lookup, nullptr),
          db);
    check(sqlite3_prepare_v2(db,
                             "UPDATE Total SET Побед=Побед+?,Ничьих=Ничьих+?,"
                             "Поражений=Поражений+?,Забито=Забито+?,Пропущено=Пропущено+?,"
                             "Разница=Разница+?,Очки=Очки+?,Первый=Первый+?,Второй=Второй+?,"
                             "Третий=Третий+? WHERE Игрок=? COLLATE BINARY",
                             -1, &update, nullptr),
          db);
    for (const kv::PlayerEntry& p : e.players) {
        const QByteArray name = p.name.toUtf8();
        sqlite3_bind_text(lookup, 1, name.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(lookup) == SQLITE_ROW) {
        }
        sqlite3_reset(lookup);
        const kv::Figures& f = p.figures;
        const qint64 figures[] = {f.wins,       f.draws,  f.losses,    f.goalsFor,  f.goalsAgainst,
                                  f.difference, f.points, f.places[0], f.places[1], f.places[2]};
        for (int i = 0; i < 10; ++i)
            sqlite3_bind_int64(update, i + 1, figures[i]);
        sqlite3_bind_text(update, 11, name.constData(), -1, SQLITE_TRANSIENT);
        check(sqlite3_step(update), db, SQLITE_DONE);
        sqlite3_reset(update);
    }
    sqlite3_finalize(lookup);
    sqlite3_finalize(update);
    runSql(db, QStringLiteral("COMMIT"));
}

QStringList floorList(sqlite3* db) {
    sqlite3_stmt* q = nullptr;
    check(sqlite3_prepare_v2(db,
                             "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                             "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                             -1, &q, nullptr),
          db);
    QStringList names;
    while (sqlite3_step(q) == SQLITE_ROW)
        names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))));
    sqlite3_finalize(q);
    std::sort(names.begin(), names.end());
    return names;
}

// The first rows of "Total" by id, as many as the grid reads at first.
int floorGrid(sqlite3* db) {
    sqlite3_stmt* q = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT * FROM Total ORDER BY id", -1, &q, nullptr), db);
    int rows = 0;
    while (rows < 256 && sqlite3_step(q) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(q); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(q, c));
        ++rows;
    }
    sqlite3_finalize(q);
    return rows;
}

sqlite3* openCopy(const char* name) {
    BigDatabase::instance().enterCopy(QString::fromLatin1(name));
    sqlite3* db = nullptr;
    check(sqlite3_open("base.db", &db), db);
    return db;
}

// A consistent copy of the whole database through SQLite's online backup, the engine's own way
// to copy a database in use, the copy from `keep` changes ago removed. The store copies the
// file's bytes instead (measured against that floor below).
void floorSafetyCopy(sqlite3* db, int n, int keep = 20) {
    const auto name = [](int i) { return QStringLiteral("copy-%1.db").arg(i).toUtf8(); };
    sqlite3* target = nullptr;
    check(sqlite3_open(name(n).constData(), &target), target);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", db, "main");
    if (!backup)
        throw std::runtime_error(sqlite3_errmsg(target));
    check(sqlite3_backup_step(backup, -1), target, SQLITE_DONE);
    check(sqlite3_backup_finish(backup), target);
    sqlite3_close(target);
    QFile::remove(QString::fromUtf8(name(n - keep)));
}

// --- a press ---------------------------------------------------------------------------------

void BM_PressFloorCApi(benchmark::State& state) {
    sqlite3* db = openCopy("floor");
    const kv::TournamentEntry e = entry();
    int n = 0;
    for (auto _ : state)
        floorPress(db, nextName(n), e);
    sqlite3_close(db);
}
BENCHMARK(BM_PressFloorCApi)->Unit(benchmark::kMillisecond);

// Every statement a press in the window runs: the write, the tournament list and the first
// rows of the grid's table, as the grid reads them; with the safety copy taken before the write,
// all a press must do.
void pressFloor(benchmark::State& state, const char* folder, bool copy) {
    sqlite3* db = openCopy(folder);
    const kv::TournamentEntry e = entry();
    int n = 0;
    for (auto _ : state) {
        if (copy)
            floorSafetyCopy(db, n);
        floorPress(db, nextName(n), e);
        benchmark::DoNotOptimize(floorList(db));
        benchmark::DoNotOptimize(floorGrid(db));
    }
    sqlite3_close(db);
}
void BM_PressFloorCApiWithListAndGrid(benchmark::State& state) {
    pressFloor(state, "floorall", false);
}
void BM_PressFloorCApiWithCopy(benchmark::State& state) {
    pressFloor(state, "floorcopy", true);
}
BENCHMARK(BM_PressFloorCApiWithListAndGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PressFloorCApiWithCopy)->Unit(benchmark::kMillisecond);

// The safety copy alone, to show its share of a press.
void BM_SafetyCopyCApi(benchmark::State& state) {
    sqlite3* db = openCopy("copyonly");
    int n = 0;
    for (auto _ : state)
        floorSafetyCopy(db, n++);
    sqlite3_close(db);
}
BENCHMARK(BM_SafetyCopyCApi)->Unit(benchmark::kMillisecond);

// The floor of any consistent copy: the database file's bytes copied into a new file.
void BM_SafetyCopyFileBytes(benchmark::State& state) {
    BigDatabase::instance().enterCopy(QStringLiteral("bytesonly"));
    int n = 0;
    for (auto _ : state) {
        const auto name = [](int i) { return QStringLiteral("copy-%1.db").arg(i).toStdString(); };
        std::filesystem::copy_file("base.db", name(n),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(name(n++ - 20));
    }
}
BENCHMARK(BM_SafetyCopyFileBytes)->Unit(benchmark::kMillisecond);

// The copy the store keeps before every change, with its rotation of twenty.
void BM_SafetyCopyStore(benchmark::State& state) {
    BigDatabase::instance().enterCopy(QStringLiteral("storecopy"));
    QDir(QStringLiteral("backups")).removeRecursively();
    kv::HistoryStore db;
    db.open();
    for (auto _ : state)
        db.keepSafetyCopy();
}
BENCHMARK(BM_SafetyCopyStore)->Unit(benchmark::kMillisecond);

void BM_PressTournamentDb(benchmark::State& state) {
    BigDatabase::instance().enterCopy(QStringLiteral("logic"));
    kv::HistoryStore db;
    db.open();
    const kv::TournamentEntry e = entry();
    int n = 0;
    for (auto _ : state)
        db.writeTournament(nextName(n), e);
}
BENCHMARK(BM_PressTournamentDb)->Unit(benchmark::kMillisecond);

// The results window on a copy of the big database, with fake dialogs and a fixed clock.
struct ResultsWindow {
    explicit ResultsWindow(const QString& copy, int evenings = 0) : folder(copy, evenings) {}

    struct Folder { // the copy is made the working folder before anything opens base.db
        Folder(const QString& copy, int evenings) {
            if (evenings > 0)
                enterHouseholdCopy(evenings, copy);
            else
                BigDatabase::instance().enterCopy(copy);
        }
    } folder;
    kv::ScriptedDialogs dialogs;
    kv::FixedClock clock{QDateTime(QDate(2030, 1, 1), QTime(0, 0, 0))};
    kv::Services services{[this] {
        kv::Services s;
        s.dialogs = &dialogs;
        s.clock = &clock;
        return s;
    }()};
    kv::HistoryStore database{kv::kDatabaseFile, &clock};
    TForm9 form{services, database};
};

// The tournament shown is pressed once an iteration, a second later each time.
void pressEachIteration(benchmark::State& state, ResultsWindow& w) {
    w.form.Button6->click(); // nobody scored: the press asks nothing
    w.form.Button2->click();
    w.form.Button1->click(); // figures and places in the labels
    for (auto _ : state) {
        w.clock.advance(1);
        w.form.Button2->click();
        w.form.BitBtn1->click();
    }
    if (!w.dialogs.errors().isEmpty())
        state.SkipWithError(w.dialogs.errors().first().toUtf8().constData());
}

// The whole press in the window: write, list reload with every table, grid reopened on Total.
void BM_PressWindow(benchmark::State& state) {
    ResultsWindow w(QStringLiteral("window"));
    w.form.showTournament({{playerName(0), playerName(10), playerName(20)},
                           {"Команда 1", "Команда 2", "Команда 3"},
                           {}});
    pressEachIteration(state, w);
}
BENCHMARK(BM_PressWindow)->Unit(benchmark::kMillisecond);

// --- the tournament list ---------------------------------------------------------------------

void BM_ListFloorCApi(benchmark::State& state) {
    sqlite3* db = openCopy("listfloor");
    for (auto _ : state)
        benchmark::DoNotOptimize(floorList(db));
    sqlite3_close(db);
}
BENCHMARK(BM_ListFloorCApi)->Unit(benchmark::kMillisecond);

void BM_ListTournamentDb(benchmark::State& state) {
    BigDatabase::instance().enterCopy(QStringLiteral("listlogic"));
    kv::HistoryStore db;
    for (auto _ : state)
        benchmark::DoNotOptimize(db.tableNames());
}
BENCHMARK(BM_ListTournamentDb)->Unit(benchmark::kMillisecond);

// The list as the window fills it at creation (list box included).
void BM_ListWindow(benchmark::State& state) {
    ResultsWindow w(QStringLiteral("listwindow"));
    for (auto _ : state)
        w.form.FormCreate();
    if (w.form.ListBox1->count() != kTournaments + 1)
        state.SkipWithError("wrong list");
}
BENCHMARK(BM_ListWindow)->Unit(benchmark::kMillisecond);

// --- a household's years ---------------------------------------------------------------------

void BM_HouseholdPressFloor(benchmark::State& state) {
    enterHouseholdCopy(int(state.range(0)), QStringLiteral("pressfloor"));
    sqlite3* db = nullptr;
    check(sqlite3_open("base.db", &db), db);
    kv::TournamentEntry e = entry();
    e.players[0].name = QStringLiteral("Зурко");
    e.players[1].name = QStringLiteral("Пенва");
    e.players[2].name = QStringLiteral("Лодыш");
    int n = 0;
    for (auto _ : state) {
        floorSafetyCopy(db, n);
        floorPress(db, nextName(n), e);
        benchmark::DoNotOptimize(floorList(db));
        benchmark::DoNotOptimize(floorGrid(db));
    }
    sqlite3_close(db);
}
BENCHMARK(BM_HouseholdPressFloor)->Apply(evenings);

// The evening's press in the window, as the household makes it after each evening.
void BM_HouseholdPressWindow(benchmark::State& state) {
    ResultsWindow w(QStringLiteral("presswindow"), int(state.range(0)));
    w.form.showTournament({{"Зурко", "Пенва", "Лодыш"}, {"Ajax", "Roma", "Porto"}, {}});
    pressEachIteration(state, w);
}
BENCHMARK(BM_HouseholdPressWindow)->Apply(evenings);

void BM_HouseholdListFloor(benchmark::State& state) {
    enterHouseholdCopy(int(state.range(0)), QStringLiteral("listfloor"));
    sqlite3* db = nullptr;
    check(sqlite3_open("base.db", &db), db);
    for (auto _ : state)
        benchmark::DoNotOptimize(floorList(db));
    sqlite3_close(db);
}
BENCHMARK(BM_HouseholdListFloor)->Apply(evenings);

void BM_HouseholdListWindow(benchmark::State& state) {
    ResultsWindow w(QStringLiteral("listwindow"), int(state.range(0)));
    for (auto _ : state)
        w.form.FormCreate();
    if (w.form.ListBox1->count() != state.range(0) + 1)
        state.SkipWithError("wrong list");
}
BENCHMARK(BM_HouseholdListWindow)->Apply(evenings);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // A press copies the whole database before it writes; no floor can skip that copy.
    kvbench::declare({"BM_PressWindow", "results window press, 5,000 tables",
                      "BM_PressFloorCApiWithCopy", 1.5, 0, ""});
    kvbench::declare({"BM_SafetyCopyCApi", "the engine's online backup, against a press without it",
                      "BM_PressFloorCApiWithListAndGrid", 0, 0, ""});
    kvbench::declare({"BM_SafetyCopyStore", "the safety copy, against copying the file's bytes",
                      "BM_SafetyCopyFileBytes", 2, 0, ""});
    kvbench::declare({"BM_PressTournamentDb", "tournament write alone, 5,000 tables",
                      "BM_PressFloorCApi", 0, 0, ""});
    kvbench::declare({"BM_ListTournamentDb", "listing 5,000 tables", "BM_ListFloorCApi", 0, 0, ""});
    kvbench::declare({"BM_ListWindow", "listing 5,000 tables into the window's list",
                      "BM_ListFloorCApi", 0, 0, ""});
    for (int n : kEvenings) {
        const std::string arg = "/" + std::to_string(n);
        const std::string of = ", " + std::to_string(n) + " evenings";
        kvbench::declare({"BM_HouseholdPressWindow" + arg, "results window press" + of,
                          "BM_HouseholdPressFloor" + arg, 3, 0, ""});
        kvbench::declare({"BM_HouseholdListWindow" + arg, "results window's list" + of,
                          "BM_HouseholdListFloor" + arg, 3, 0, ""});
    }
    try {
        BigDatabase::instance();
    } catch (const std::exception& e) {
        fprintf(stderr, "setup failed: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
