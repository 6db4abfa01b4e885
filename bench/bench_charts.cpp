// Opening the charts and the records windows on a database of 5,000 stored tournaments, against
// reading the same rows through SQLite's C API (the floor).

#include "fakes.h"
#include "results/gui_charts.h"
#include "results/gui_records.h"
#include "results/historystore.h"

#include "benchsql.h"
#include "goals.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdexcept>

namespace {

constexpr int kTournaments = 5000;

using kvbench::runSql;

QString tableName(int i) {
    const QDateTime at = QDateTime(QDate(2010, 1, 1), QTime(20, 0)).addSecs(qint64(i) * 86400 + i);
    return at.toString(QStringLiteral("dd_MM_yyyy__H_mm_ss"));
}

// base.db with "Total" and 5,000 tournament tables of six players taking turns.
struct Database {
    Database() {
        QDir::setCurrent(dir.path());
        sqlite3* db = nullptr;
        if (sqlite3_open("base.db", &db) != SQLITE_OK)
            throw std::runtime_error("cannot create base.db");
        runSql(db,
               QStringLiteral("BEGIN; CREATE TABLE Total (id INTEGER PRIMARY KEY, Игрок TEXT);"));
        for (int i = 0; i < kTournaments; ++i) {
            const QString t = kv::quoteIdentifier(tableName(i));
            QString sql = kv::createTournamentStatement(tableName(i)) + QLatin1Char(';');
            for (int p = 0; p < 3; ++p)
                sql += QStringLiteral("INSERT INTO %1 VALUES (%2, 'Игрок %3', 'Команда %7', '-', "
                                      "'1''-''0', '2''-''2', '%4''-''3', '%5', '%6');")
                           .arg(t)
                           .arg(p + 1)
                           .arg((i + p) % 6)
                           .arg(i % 7)
                           .arg((i + p) % 9)
                           .arg(p + 1)
                           .arg(3 * i + p);
            runSql(db, sql);
        }
        runSql(db, QStringLiteral("COMMIT"));
        sqlite3_close(db);
    }
    QTemporaryDir dir;
};

Database& database() {
    static Database d;
    return d;
}

// The same rows the window reads, by the same statements, straight through the C API.
void BM_ChartsFloorCApi(benchmark::State& state) {
    database();
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
BENCHMARK(BM_ChartsFloorCApi)->Unit(benchmark::kMillisecond);

// The whole history as plain values, as the charts and the records read it.
void BM_ReadHistory(benchmark::State& state) {
    database();
    kv::HistoryStore store;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.readHistory());
}
BENCHMARK(BM_ReadHistory)->Unit(benchmark::kMillisecond);

// The window read afresh, drawn and shown once, as "Графики..." does it.
void BM_ChartsWindow(benchmark::State& state) {
    database();
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
BENCHMARK(BM_ChartsWindow)->Unit(benchmark::kMillisecond);

// "Рекорды...": the window read afresh, the book computed and written, shown once.
void BM_RecordsWindow(benchmark::State& state) {
    database();
    kv::Clock clock;
    kv::ScriptedDialogs dialogs;
    for (auto _ : state) {
        kv::HistoryStore store;
        kv::RecordsWindow window(store, dialogs, clock, {});
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_RecordsWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    kvbench::declare(
        {"BM_ChartsWindow", "charts window, 5,000 tables", "BM_ChartsFloorCApi", 3, 300, ""});
    kvbench::declare(
        {"BM_RecordsWindow", "records window, 5,000 tables", "BM_ChartsFloorCApi", 3, 300, ""});
    // No limit of its own in milliseconds: the engine alone needs about a tenth of a second or
    // more to read 5,001 table definitions and visit 5,000 tables here (the floor), so a limit
    // of 100 ms would ask for no work beyond it; the windows above that read the history have
    // their limits.
    kvbench::declare({"BM_ReadHistory", "the history read as values, 5,000 tables",
                      "BM_ChartsFloorCApi", 2, 0, ""});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
