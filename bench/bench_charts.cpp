// Opening the charts and the records windows, and rating the players, on households' histories
// of 50, 300, 1,000 and 5,000 evenings, against reading the same rows through SQLite's C API (the
// floor), so that a cost growing faster than the history shows.

#include "fakes.h"
#include "history/historystore.h"
#include "household.h"
#include "records/gui_charts.h"
#include "records/gui_period.h"
#include "records/gui_records.h"
#include "records/rating.h"

#include "goals.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>

namespace {

const int kEvenings[] = {50, 300, 1000, 5000};

// base.db of a household's N evenings, written once per run, made the working folder.
void enterHistory(int evenings) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    auto& dir = made[evenings];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(dir->path());
        kvtest::writeHousehold({.evenings = evenings});
    }
    QDir::setCurrent(dir->path());
}

// The same rows the windows read, by the same statements, straight through the C API.
void BM_ChartsFloorCApi(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2("base.db", &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid",
                           -1, &q, nullptr);
        QStringList names;
        while (sqlite3_step(q) == SQLITE_ROW)
            names.append(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))));
        sqlite3_finalize(q);
        names.removeAll(kv::kTotalTable);
        names.removeAll(kv::kBestScorerTable);
        for (qsizetype from = 0; from < names.size(); from += 400) {
            QStringList parts;
            for (qsizetype i = from; i < std::min(names.size(), from + 400); ++i)
                parts.append(QStringLiteral("SELECT %1, id, Player, \"-\", Team1, Team2, Team3, "
                                            "Goals, Scores, Rank FROM %2")
                                 .arg(i)
                                 .arg(kv::quoteIdentifier(names[i])));
            const QByteArray sql = parts.join(QStringLiteral(" UNION ALL ")).toUtf8();
            sqlite3_prepare_v2(db, sql.constData(), -1, &q, nullptr);
            while (sqlite3_step(q) == SQLITE_ROW)
                for (int c = 0; c < 10; ++c)
                    benchmark::DoNotOptimize(sqlite3_column_text(q, c));
            sqlite3_finalize(q);
        }
        sqlite3_close(db);
    }
}

// The whole history as plain values, as the charts and the records read it.
void BM_ReadHistory(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    kv::HistoryStore store;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.readHistory());
}

// Every rating computed from the history as values. The store keeps what it read while the file
// is unchanged, so this is the rating's own cost, compared with reading the file's rows.
void BM_Rating(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    kv::HistoryStore store;
    const QHash<QString, QString> labels; // the clubs' levels looked up as the program does
    const kv::LevelOf levelOf = [&labels](const QString& club) { return labels.value(club); };
    for (auto _ : state)
        benchmark::DoNotOptimize(kv::computeRating(store.readHistory(), levelOf));
}

// The window read afresh, drawn and shown once, as "Графики..." does it.
void BM_ChartsWindow(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    for (auto _ : state) {
        kv::HistoryStore store;
        kv::ScriptedDialogs dialogs;
        kv::TournamentCharts window(store, dialogs);
        window.load();
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
}

// Until the book computed beside the window is shown, then the window painted.
void waitForBook(kv::RecordsWindow& window) {
    while (window.isComputing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    benchmark::DoNotOptimize(window.grab());
}

// "Рекорды...": the window made, the history read, the book computed and shown, painted once.
void BM_RecordsWindow(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    kv::Clock clock;
    kv::ScriptedDialogs dialogs;
    for (auto _ : state) {
        kv::HistoryStore store;
        kv::RecordsWindow window(store, dialogs, clock, {});
        window.show();
        waitForBook(window);
    }
}

// The open window after a change of the history, until the new book is shown.
void BM_RecordsRefresh(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    kv::Clock clock;
    kv::ScriptedDialogs dialogs;
    kv::HistoryStore store;
    kv::RecordsWindow window(store, dialogs, clock, {});
    window.show();
    waitForBook(window);
    for (auto _ : state) {
        emit store.historyChanged();
        waitForBook(window);
    }
}

// The open window, from choosing the newest year to its book shown; all time again between the
// turns, untimed.
void BM_RecordsYear(benchmark::State& state) {
    enterHistory(int(state.range(0)));
    kv::Clock clock;
    kv::ScriptedDialogs dialogs;
    kv::HistoryStore store;
    const int year = kv::heldYears(store.readHistory()).value(0).year;
    kv::RecordsWindow window(store, dialogs, clock, {});
    window.show();
    waitForBook(window);
    for (auto _ : state) {
        window.periodChoice()->choose(kv::Period::ofYear(year));
        waitForBook(window);
        state.PauseTiming();
        window.periodChoice()->choose(kv::Period());
        waitForBook(window);
        state.ResumeTiming();
    }
}

void evenings(benchmark::internal::Benchmark* b) {
    for (int n : kEvenings)
        b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ChartsFloorCApi)->Apply(evenings);
BENCHMARK(BM_ReadHistory)->Apply(evenings);
BENCHMARK(BM_Rating)->Apply(evenings);
BENCHMARK(BM_ChartsWindow)->Apply(evenings);
BENCHMARK(BM_RecordsWindow)->Apply(evenings);
BENCHMARK(BM_RecordsRefresh)->Apply(evenings);
BENCHMARK(BM_RecordsYear)->Apply(evenings);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Within three times the floor at every length; and the times a household waits for at most.
    const std::map<int, double> maxMs{{300, 300}, {5000, 2000}};
    for (int n : kEvenings) {
        const std::string arg = "/" + std::to_string(n);
        const std::string of = ", " + std::to_string(n) + " evenings";
        const std::string floor = "BM_ChartsFloorCApi" + arg;
        const double most = maxMs.count(n) ? maxMs.at(n) : 0;
        kvbench::declare({"BM_RecordsWindow" + arg, "records window" + of, floor, 3, most, ""});
        kvbench::declare(
            {"BM_RecordsRefresh" + arg, "records after a change" + of, floor, 3, most, ""});
        kvbench::declare(
            {"BM_RecordsYear" + arg, "the book for one year" + of, floor, 3, most, ""});
        kvbench::declare({"BM_ChartsWindow" + arg, "charts window" + of, floor, 3, most, ""});
        kvbench::declare(
            {"BM_ReadHistory" + arg, "the history read as values" + of, floor, 2, 0, ""});
        kvbench::declare({"BM_Rating" + arg, "the ratings from the history" + of, floor, 2, 0, ""});
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
