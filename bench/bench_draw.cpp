// One press of "Заполнить" with every option on: a current pool of 20,000 lines and a log of
// 100,000 lines, beside the floor of reading both files once.
#include "common/random.h"
#include "common/textfile.h"
#include "pools/draw.h"
#include "pools/pools.h"

#include "goals.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kPool = QStringLiteral("teams45.txt");

// logged: the share of the pool's teams that stand in the log (each about three times); the
// rest of the log are teams of other pools.
struct Folder {
    Folder(int poolLines, int logLines, double logged) {
        QDir::setCurrent(dir.path());
        QStringList pool;
        for (int i = 0; i < poolLines; ++i)
            pool.append(QStringLiteral("Клуб 4,5* №") + QString::number(i));
        kv::writeLines(kPool, pool);
        const int loggedTeams = static_cast<int>(poolLines * logged);
        QStringList log;
        for (int i = 0; i < logLines; ++i)
            log.append(loggedTeams > 0 && i % 3 == 0
                           ? pool[(i / 3) % loggedTeams]
                           : QStringLiteral("Другой клуб ") + QString::number(i));
        kv::writeLines(kv::kLogFile, log);
        board.except = {pool[1], pool[2], pool[3]};
        board.lastTeams = {pool[4], pool[5], pool[6]};
    }
    QTemporaryDir dir;
    kv::DrawSlots board;
};

void BM_DrawPress(benchmark::State& state) {
    const double logged = state.range(0) / 100.0;
    Folder folder(20000, 100000, logged);
    kv::Random random(7);
    const int poolTotal = 7 * 20000;
    for (auto _ : state) {
        // Read as the button reads them: the log stays one text.
        const QStringList pool = kv::readLines(kPool);
        const QString log = kv::readText(kv::kLogFile).text;
        const kv::DrawResult r =
            kv::drawTeams(folder.board, {true, true}, pool, log, poolTotal, random);
        if (r.outcome != kv::DrawResult::Outcome::Ok)
            state.SkipWithError("draw did not finish");
        benchmark::DoNotOptimize(r);
    }
}

void BM_DrawReadFloor(benchmark::State& state) {
    Folder folder(20000, 100000, 0.3);
    for (auto _ : state) {
        qsizetype lines = kv::readLines(kPool).size() + kv::readLines(kv::kLogFile).size();
        benchmark::DoNotOptimize(lines);
    }
}

} // namespace

BENCHMARK(BM_DrawReadFloor)->Unit(benchmark::kMillisecond);
// Percent of the pool's teams in the log: a fresh log, a used one, a nearly exhausted pool.
BENCHMARK(BM_DrawPress)->Arg(0)->Arg(30)->Arg(99)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString start = QDir::currentPath();
    benchmark::Initialize(&argc, argv);
    kvbench::declare(
        {"BM_DrawPress/0", "one draw press, fresh log", "BM_DrawReadFloor", 1.5, 0, ""});
    kvbench::declare({"BM_DrawPress/30", "one draw press, 30% of the pool logged",
                      "BM_DrawReadFloor", 1.5, 0, ""});
    kvbench::declare({"BM_DrawPress/99", "one draw press, 99% of the pool logged",
                      "BM_DrawReadFloor", 1.5, 0, ""});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QDir::setCurrent(start);
    return 0;
}
