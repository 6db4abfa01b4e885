// Start of a run on realistic and on large data, beside the floor of reading the same files once.
#include "app/startup.h"
#include "common/dialogs.h"
#include "common/random.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "fakes.h"
#include "pools/pools.h"

#include "goals.h"
#include "programfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A working folder with seven pools of `perPool` teams and a log of `logLines` lines, a third
// of which are teams of the pools (so the exhaustion tests and the candidate list have work).
class DataFolder {
public:
    DataFolder(int perPool, int logLines) {
        QDir::setCurrent(dir_.path());
        QStringList all;
        for (const kv::PoolInfo& info : kv::pools()) {
            QStringList lines;
            lines.reserve(perPool);
            for (int i = 0; i < perPool; ++i)
                lines.append(info.label + QStringLiteral(" команда №") + QString::number(i));
            kv::writeLines(info.file, lines);
            all += lines;
        }
        QStringList log;
        log.reserve(logLines);
        for (int i = 0; i < logLines; ++i)
            log.append(i % 3 == 0 ? all[(i * 7919) % all.size()]
                                  : QStringLiteral("Старая команда ") + QString::number(i));
        kv::writeLines(kv::kLogFile, log);
        kv::writeLines(kv::kBestScorerFile, {QStringLiteral("Пенва")});
        kv::writeLines(kv::kGift1File,
                       {kvbench::programFiles().imagePath(QStringLiteral("team.bmp"))});
        kv::writeLines(kv::kGift2File,
                       {kvbench::programFiles().imagePath(QStringLiteral("unteam.bmp"))});
        kv::writeLines(kv::kLastTournamentFile, {"Милан", "Интер", "Рома", "01.02.2024"});
        QStringList s = kv::settings::defaultLines();
        s[0] = QStringLiteral("0");
        s[1] = QStringLiteral("random");
        kv::writeLines(kv::settings::kFileName, s);
    }

private:
    QTemporaryDir dir_;
};

std::unique_ptr<DataFolder> folder;
int folderPerPool = -1;

void useFolder(int perPool, int logLines) {
    if (folderPerPool == perPool)
        return;
    folder.reset();
    folder = std::make_unique<DataFolder>(perPool, logLines);
    folderPerPool = perPool;
}

void BM_Startup(benchmark::State& state) {
    const int perPool = static_cast<int>(state.range(0));
    const int logLines = static_cast<int>(state.range(1));
    useFolder(perPool, logLines);
    kv::ScriptedDialogs dialogs;
    kv::Random random(1);
    for (auto _ : state) {
        kv::StartupResult r;
        kv::runStartup(r, dialogs, random);
        if (!r.logAll)
            state.SkipWithError("start-up did not finish");
        benchmark::DoNotOptimize(r);
    }
    state.SetComplexityN(perPool * 7 + logLines);
}

// Reading every file the start-up reads, once.
void BM_ReadFloor(benchmark::State& state) {
    const int perPool = static_cast<int>(state.range(0));
    const int logLines = static_cast<int>(state.range(1));
    useFolder(perPool, logLines);
    const QStringList files{kv::kBestScorerFile,    "teams4.txt",
                            "teams45.txt",          "teams5.txt",
                            "natteams4.txt",        "natteams45.txt",
                            "natteams5.txt",        "superteams.txt",
                            kv::kLogFile,           kv::settings::kFileName,
                            kv::kGift1File,         kv::kGift2File,
                            kv::kLastTournamentFile};
    for (auto _ : state) {
        qsizetype lines = 0;
        for (const QString& f : files)
            lines += kv::readLines(f).size();
        benchmark::DoNotOptimize(lines);
    }
    state.SetComplexityN(perPool * 7 + logLines);
}

// Realistic (60 a pool, 300 logged) and growing to large (20,000 a pool, 100,000 logged).
void sizes(benchmark::internal::Benchmark* b) {
    b->Args({60, 300})->Args({5000, 25000})->Args({10000, 50000})->Args({20000, 100000});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_ReadFloor)->Apply(sizes);
BENCHMARK(BM_Startup)->Apply(sizes);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString start = QDir::currentPath();
    benchmark::Initialize(&argc, argv);
    kvbench::declare({"BM_Startup/60/300", "start-up logic, realistic (60 a pool, 300 logged)",
                      "BM_ReadFloor/60/300", 0, 5, ""});
    kvbench::declare({"BM_Startup/5000/25000", "start-up logic, 5,000 a pool, 25,000 logged",
                      "BM_ReadFloor/5000/25000", 0, 0, ""});
    kvbench::declare({"BM_Startup/10000/50000", "start-up logic, 10,000 a pool, 50,000 logged",
                      "BM_ReadFloor/10000/50000", 0, 0, ""});
    kvbench::declare({"BM_Startup/20000/100000",
                      "start-up logic, large (20,000 a pool, 100,000 logged)",
                      "BM_ReadFloor/20000/100000", 3, 0, ""});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    folder.reset();
    QDir::setCurrent(start);
    return 0;
}
