// The tournament write, its safety copy, the results window's press and its list on households'
// histories of 50 to 5,000 evenings, against the same statements through SQLite's C API and the
// file's bytes copied (the floors).

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

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace kv {
// The store keeps its connection to itself; the benchmark of a write's statements alone runs
// them on it, as the tests reach it to set up faults.
struct HistoryStoreProbe {
    static QSqlDatabase connection(const HistoryStore& store) { return store.database(); }
};
} // namespace kv

namespace {

void check(int rc, sqlite3* db, int expected = SQLITE_OK) {
    if (rc != expected)
        throw std::runtime_error(sqlite3_errmsg(db));
}

using kvbench::runSql;

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

sqlite3* openHouseholdCopy(int evenings, const QString& name) {
    enterHouseholdCopy(evenings, name);
    sqlite3* db = nullptr;
    check(sqlite3_open("base.db", &db), db);
    return db;
}

const int kEvenings[] = {50, 300, 1000, 5000};

void evenings(benchmark::internal::Benchmark* b) {
    for (int n : kEvenings)
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}

const QString kScorer = QStringLiteral("Зурко");

kv::TournamentEntry entry() {
    kv::TournamentEntry e;
    e.boxes = {"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
    const QString names[] = {kScorer, QStringLiteral("Пенва"), QStringLiteral("Лодыш")};
    const int places[] = {1, 3, 2};
    for (int i = 0; i < 3; ++i)
        e.players[i] = {names[i],
                        QStringLiteral("Команда"),
                        {2, 1, 1, 7, 4, 3, 7, kv::placeCounters(places[i])}};
    return e;
}

QString nextName(int& n) {
    const QDateTime at(QDate(2030, 1, 1), QTime(0, 0, 0));
    return at.addSecs(n++).toString(QStringLiteral("dd_MM_yyyy__H_mm_ss"));
}

// The statements of one write, through the C API, in one transaction: the tournament's table,
// its rows and index, the players' lines of "Total", the best scorer.
void floorWrite(sqlite3* db, const QString& table, const kv::TournamentEntry& e) {
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
    runSql(db, QStringLiteral("INSERT OR REPLACE INTO ") + kv::kBestScorerTable +
                   QStringLiteral(" VALUES ('%1', '%2')").arg(table, kScorer));
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

QString copyName(int i) {
    return QStringLiteral("copy-%1.db").arg(i);
}

// The least any safe copy costs: the database file's bytes in a new file, put on the disk, the
// copy from twenty changes ago removed.
void floorCopy(int n) {
    const QString name = copyName(n);
    std::filesystem::copy_file("base.db", name.toStdString(),
                               std::filesystem::copy_options::overwrite_existing);
    QFile copy(name);
    if (!copy.open(QIODevice::ReadOnly) || ::fdatasync(copy.handle()) != 0)
        throw std::runtime_error("cannot put the copy on the disk");
    QFile::remove(copyName(n - 20));
}

// --- the write and its safety copy ------------------------------------------------------------

void BM_HouseholdWriteFloor(benchmark::State& state) {
    sqlite3* db = openHouseholdCopy(int(state.range(0)), QStringLiteral("writefloor"));
    const kv::TournamentEntry e = entry();
    int n = 0;
    for (auto _ : state)
        floorWrite(db, nextName(n), e);
    sqlite3_close(db);
}
BENCHMARK(BM_HouseholdWriteFloor)->Apply(evenings);

// The store's statements of a write, without the safety copy that every change makes first
// (measured below on its own).
void BM_HouseholdWrite(benchmark::State& state) {
    enterHouseholdCopy(int(state.range(0)), QStringLiteral("write"));
    kv::HistoryStore store;
    store.open();
    const kv::TournamentEntry e = entry();
    int n = 0;
    for (auto _ : state) {
        QSqlDatabase db = kv::HistoryStoreProbe::connection(store);
        db.transaction();
        kv::insertTournament(db, nextName(n), e, kScorer);
        db.commit();
    }
}
BENCHMARK(BM_HouseholdWrite)->Apply(evenings);

void BM_HouseholdSafetyCopyFloor(benchmark::State& state) {
    enterHouseholdCopy(int(state.range(0)), QStringLiteral("copyfloor"));
    int n = 0;
    for (auto _ : state)
        floorCopy(n++);
}
BENCHMARK(BM_HouseholdSafetyCopyFloor)->Apply(evenings);

// The copy the store keeps before every change, with its rotation of twenty.
void BM_HouseholdSafetyCopy(benchmark::State& state) {
    enterHouseholdCopy(int(state.range(0)), QStringLiteral("copy"));
    kv::HistoryStore store;
    store.open();
    for (auto _ : state)
        store.keepSafetyCopy();
}
BENCHMARK(BM_HouseholdSafetyCopy)->Apply(evenings);

// The engine's own way to copy a database in use, page by page: why the store copies the bytes.
void BM_HouseholdOnlineBackup(benchmark::State& state) {
    sqlite3* db = openHouseholdCopy(int(state.range(0)), QStringLiteral("backup"));
    int n = 0;
    for (auto _ : state) {
        sqlite3* target = nullptr;
        check(sqlite3_open(copyName(n).toUtf8().constData(), &target), target);
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", db, "main");
        if (!backup)
            throw std::runtime_error(sqlite3_errmsg(target));
        check(sqlite3_backup_step(backup, -1), target, SQLITE_DONE);
        check(sqlite3_backup_finish(backup), target);
        sqlite3_close(target);
        QFile::remove(copyName(n++ - 20));
    }
    sqlite3_close(db);
}
BENCHMARK(BM_HouseholdOnlineBackup)->Arg(5000)->Unit(benchmark::kMillisecond);

// --- the press in the results window ---------------------------------------------------------

// The results window on a household's history, with fake dialogs and a fixed clock.
struct ResultsWindow {
    explicit ResultsWindow(const QString& copy, int evenings) : folder(copy, evenings) {}

    struct Folder { // the copy is made the working folder before anything opens base.db
        Folder(const QString& copy, int evenings) { enterHouseholdCopy(evenings, copy); }
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

// All a press must do: the safety copy, the write, the grid's first rows of "Total" read again.
// The list gains the one item written.
void BM_HouseholdPressFloor(benchmark::State& state) {
    sqlite3* db = openHouseholdCopy(int(state.range(0)), QStringLiteral("pressfloor"));
    const kv::TournamentEntry e = entry();
    int n = 0;
    for (auto _ : state) {
        floorCopy(n);
        floorWrite(db, nextName(n), e);
        benchmark::DoNotOptimize(floorGrid(db));
    }
    sqlite3_close(db);
}
BENCHMARK(BM_HouseholdPressFloor)->Apply(evenings);

// The evening's press in the window, as the household makes it after each evening: until it
// returns and the window can be used again (the records it broke are found beside the window).
void BM_HouseholdPressWindow(benchmark::State& state) {
    ResultsWindow w(QStringLiteral("presswindow"), int(state.range(0)));
    w.form.showTournament({{"Зурко", "Пенва", "Лодыш"}, {"Ajax", "Roma", "Porto"}, {}});
    w.form.Button3->click(); // the best scorer: the press asks nothing
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
BENCHMARK(BM_HouseholdPressWindow)->Apply(evenings);

// --- the tournament list ---------------------------------------------------------------------

void BM_HouseholdListFloor(benchmark::State& state) {
    sqlite3* db = openHouseholdCopy(int(state.range(0)), QStringLiteral("listfloor"));
    for (auto _ : state)
        benchmark::DoNotOptimize(floorList(db));
    sqlite3_close(db);
}
BENCHMARK(BM_HouseholdListFloor)->Apply(evenings);

// The list as the window fills it at creation (list box included).
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
    for (int n : kEvenings) {
        const std::string arg = "/" + std::to_string(n);
        const std::string of = ", " + std::to_string(n) + " evenings";
        kvbench::declare({"BM_HouseholdWrite" + arg, "tournament write alone" + of,
                          "BM_HouseholdWriteFloor" + arg, 1.5, 0, ""});
        kvbench::declare({"BM_HouseholdSafetyCopy" + arg, "the safety copy before it" + of,
                          "BM_HouseholdSafetyCopyFloor" + arg, 1.5, 0, ""});
        kvbench::declare({"BM_HouseholdPressWindow" + arg, "results window press" + of,
                          "BM_HouseholdPressFloor" + arg, 1.5, 0, ""});
        kvbench::declare({"BM_HouseholdListWindow" + arg, "results window's list" + of,
                          "BM_HouseholdListFloor" + arg, 3, 0, ""});
    }
    kvbench::declare({"BM_HouseholdOnlineBackup/5000",
                      "the engine's online backup instead, 5000 evenings",
                      "BM_HouseholdSafetyCopyFloor/5000", 0, 0, ""});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
