// Start-up of the whole program as a new process, from exec to the main window shown, beside a
// process that shows one empty QMainWindow the same way (offscreen): time and peak memory. Each
// start is this program run again with --kv-child=...; the child reports the moment its window
// is shown, so that neither the parent nor the child's exit is in the figure.
#include "app/gui_program.h"
#include "app/instancelock.h"
#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "fakes.h"
#include "goals.h"
#include "programfiles.h"
#include "tournament/gui_xlsxspreadsheet.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {
const char kChildArg[] = "--kv-child=";

// A data folder as a new installation has it: the default files, the gift files of a new
// installation, base.db from base.sql and a settings file that asks nothing at start.
void makeDataFolder(const QString& folder) {
    const QDir data(kvbench::programFiles().defaultsDir());
    for (const QString& name : data.entryList({QStringLiteral("*.txt")}, QDir::Files))
        if (!QFile::copy(data.filePath(name), folder + QLatin1Char('/') + name))
            throw std::runtime_error("cannot copy the default data");
    kv::writeLines(folder + QStringLiteral("/gift1.txt"),
                   {QDir::toNativeSeparators(
                       kvbench::programFiles().imagePath(QStringLiteral("splayer.bmp")))});
    kv::writeLines(folder + QStringLiteral("/gift2.txt"),
                   {QDir::toNativeSeparators(
                       kvbench::programFiles().imagePath(QStringLiteral("yellowcard.bmp")))});
    QStringList settings = kv::settings::defaultLines();
    settings[0] = QStringLiteral("0");
    kv::writeLines(folder + QLatin1Char('/') + kv::settings::kFileName, settings);

    QFile script(data.filePath(QStringLiteral("base.sql")));
    if (!script.open(QIODevice::ReadOnly))
        throw std::runtime_error("no base.sql");
    sqlite3* db = nullptr;
    const QByteArray path = (folder + QStringLiteral("/base.db")).toUtf8();
    char* message = nullptr;
    const bool ok =
        sqlite3_open(path.constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, script.readAll().constData(), nullptr, nullptr, &message) == SQLITE_OK;
    const std::string why = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    sqlite3_close(db);
    if (!ok)
        throw std::runtime_error("base.db: " + why);
}

qint64 peakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// User and system time this process has used so far.
double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The least a program that shows text does: the same window with one label, which brings in
// the font system the empty window never touches.
std::unique_ptr<QMainWindow> labelWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setCentralWidget(new QLabel(QStringLiteral("Жеребьёвка команд")));
    return window;
}

// The program as main.cpp makes it, minus the real message boxes and desktop (nothing may wait
// for a click here) and minus the event loop.
struct Program {
    kv::ScriptedDialogs dialogs;
    kv::Random random;
    kv::Clock clock;
    kv::RecordingOpener opener;
    kv::Services services;
    kv::XlsxSpreadsheetFactory spreadsheets{opener};
    kv::RunState state;
    kv::EveningOwner evening;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<ProgramWindows> windows;

    Program() {
        services.dialogs = &dialogs;
        services.random = &random;
        services.clock = &clock;
        services.opener = &opener;
        services.spreadsheets = &spreadsheets;
        services.endProgram = [] {};
        services.files = kvbench::programFiles();
    }

    void start(QApplication& app) {
        kv::nameProgram();
        kv::dressApplication(app, dialogs);
        step("dress");
        lock = kv::lockDataFolder(dialogs);
        windows = std::make_unique<ProgramWindows>(services, state, evening);
        step("main");
        QApplication::setQuitOnLastWindowClosed(false);
        windows->showMainWindow();
    }

    // With KV_BENCH_STEPS set, where the time and memory of a start went.
    static void step(const char* name) {
        static const bool on = qEnvironmentVariableIsSet("KV_BENCH_STEPS");
        static QElapsedTimer timer;
        if (!on)
            return;
        if (!timer.isValid())
            timer.start();
        fprintf(stderr, "%-8s %7.2f ms  cpu %7.2f ms  peak %6lld kB\n", name,
                timer.nsecsElapsed() / 1e6, cpuMs(), static_cast<long long>(peakKb()));
        timer.restart();
    }
};

// One start in this (child) process. As soon as the window is shown it prints "shown PEAK_KB
// CPU_MS" and flushes it: the parent stops its clock there. The program goes on making its other
// windows after its main window is on the screen; "ready" follows when it has.
int runChild(int argc, char** argv, const QString& what) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Program::step("app");
    std::unique_ptr<Program> program;
    std::unique_ptr<QMainWindow> window;
    QWidget* shown = nullptr;
    if (what == QLatin1String("program")) {
        program = std::make_unique<Program>();
        program->start(app);
        shown = &program->windows->main();
    } else {
        window = what == QLatin1String("label") ? labelWindow() : std::make_unique<QMainWindow>();
        window->show();
        shown = window.get();
    }
    // One pass of the event loop at a time, as the program's own loop runs them: what the program
    // leaves for the pass after the first paint is not in the figure.
    while (!shown->windowHandle() || !shown->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Program::step("shown");
    printf("shown %lld %.3f\n", static_cast<long long>(peakKb()), cpuMs());
    fflush(stdout);
    while (program && !program->windows->complete())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Program::step("ready");
    printf("ready\n");
    fflush(stdout);
    if (program && !program->dialogs.texts().isEmpty()) {
        fprintf(stderr, "%s\n", program->dialogs.texts().first().toUtf8().constData());
        return 1;
    }
    return 0;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Each iteration starts a new process; its time runs from the start to the line "shown".
// Counters: the median peak resident memory and CPU time up to the window shown.
void BM_ProcessStart(benchmark::State& state, const char* what) {
    std::vector<double> peaks, cpu, ready;
    for (auto _ : state) {
        std::unique_ptr<QTemporaryDir> folder;
        QProcess child;
        if (std::strcmp(what, "program") == 0) {
            folder = std::make_unique<QTemporaryDir>();
            makeDataFolder(folder->path());
            child.setWorkingDirectory(folder->path());
        }
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kChildArg) + QLatin1String(what)});
        QByteArray out;
        while (!out.contains('\n') && child.waitForReadyRead(60000))
            out += child.readAllStandardOutput();
        const double seconds = timer.nsecsElapsed() / 1e9;
        while (!out.contains("ready\n") && child.waitForReadyRead(60000))
            out += child.readAllStandardOutput();
        ready.push_back(timer.nsecsElapsed() / 1e6);
        child.waitForFinished(60000);
        const QList<QByteArray> shown = out.left(out.indexOf('\n')).trimmed().split(' ');
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
            shown.size() != 3 || shown[0] != "shown") {
            state.SkipWithError("the child start failed");
            break;
        }
        state.SetIterationTime(seconds);
        peaks.push_back(shown[1].toDouble());
        cpu.push_back(shown[2].toDouble());
    }
    state.counters["peak_kb"] = median(peaks);
    state.counters["cpu_ms"] = median(cpu);
    state.counters["ready_ms"] = median(ready);
}

} // namespace

// A start makes a new data folder first: manual time keeps that out of the figure.
BENCHMARK_CAPTURE(BM_ProcessStart, empty, "empty")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);
BENCHMARK_CAPTURE(BM_ProcessStart, label, "label")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);
BENCHMARK_CAPTURE(BM_ProcessStart, program, "program")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], kChildArg, std::strlen(kChildArg)) == 0)
            return runChild(argc, argv, QString::fromLatin1(argv[i] + std::strlen(kChildArg)));

    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const std::string empty = "BM_ProcessStart/empty/iterations:7/manual_time";
    const std::string label = "BM_ProcessStart/label/iterations:7/manual_time";
    const std::string program = "BM_ProcessStart/program/iterations:7/manual_time";
    // The goal is against the window with one label: a process that shows text at all pays
    // for the fonts, which the program cannot avoid.
    kvbench::declare(
        {program, "program start-up, new process to main window shown", label, 1.6, 0, ""});
    kvbench::declare({program, "program start-up, peak memory", empty, 1.5, 0, "peak_kb"});
    kvbench::declare(
        {program, "program start-up, new process to every window made", label, 0, 0, "ready_ms"});
    // Beside a window with one label: what the font system alone costs.
    kvbench::declare({label, "main window with one label, new process to shown", empty, 0, 0, ""});
    kvbench::declare({label, "main window with one label, peak memory", empty, 0, 0, "peak_kb"});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
