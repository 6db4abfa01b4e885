// Start-up of the whole program, up to the main window shown, beside a program that shows one
// empty QMainWindow the same way (offscreen). Time is measured in this process, with the
// QApplication already made; the peak memory of each is measured in a child process of its own
// (this program run again with --kv-child=...), so that neither peak hides in the other.
#include "app/tform1.h"
#include "app/tform6.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/guard.h"
#include "common/gui_theme.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "goals.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "results/tform9.h"
#include "results/tournamentdb.h"
#include "tournament/gui_xlsxspreadsheet.h"
#include "tournament/tform5.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

const char kChildArg[] = "--kv-child=";

QString sourceData() {
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../data"));
}

// A data folder as a new installation has it: the default files, the gift files of a new
// installation, base.db from base.sql and a settings file that asks nothing at start.
void makeDataFolder(const QString& folder) {
    const QDir data(sourceData());
    for (const QString& name : data.entryList({QStringLiteral("*.txt")}, QDir::Files))
        if (!QFile::copy(data.filePath(name), folder + QLatin1Char('/') + name))
            throw std::runtime_error("cannot copy the default data");
    kv::writeLines(folder + QStringLiteral("/gift1.txt"),
                   {QDir::toNativeSeparators(kv::imagePath(QStringLiteral("splayer.bmp")))});
    kv::writeLines(folder + QStringLiteral("/gift2.txt"),
                   {QDir::toNativeSeparators(kv::imagePath(QStringLiteral("yellowcard.bmp")))});
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

void waitExposed(QWidget& window) {
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
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
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm6> form6;
    std::unique_ptr<TForm5> form5;
    std::unique_ptr<TForm7> form7;
    std::unique_ptr<TForm8> form8;
    std::unique_ptr<kv::TournamentDb> database;
    std::unique_ptr<TForm9> form9;

    Program() {
        services.dialogs = &dialogs;
        services.random = &random;
        services.clock = &clock;
        services.opener = &opener;
        services.spreadsheets = &spreadsheets;
        services.endProgram = [] {};
    }

    // Where the time of a start went: milliseconds per step; with peaks, also the peak
    // resident memory reached by the end of each step.
    struct Steps {
        QElapsedTimer timer;
        std::vector<std::pair<const char*, double>> ms;
        std::vector<qint64> peaks;
        bool withPeaks = false;
        void step(const char* name) {
            ms.emplace_back(name, timer.nsecsElapsed() / 1e6);
            if (withPeaks)
                peaks.push_back(peakKb());
            timer.restart();
        }
    };

    // Everything main.cpp does after making the QApplication, up to the main window shown.
    void start(QApplication& app, Steps* steps = nullptr) {
        const auto step = [&](const char* name) {
            if (steps)
                steps->step(name);
        };
        if (steps)
            steps->timer.start();
        kv::nameProgram();
        QApplication::setFont(kv::classicFont(11));
        step("font");
        kv::guarded(dialogs, [&] { kv::applyCarbonTheme(app); });
        step("theme");

        form1 = std::make_unique<TForm1>(services, state);
        step("form1");
        form2 = std::make_unique<TForm2>(services);
        step("form2");
        // The gifts window before the settings dialog, which opens it.
        form5 = std::make_unique<TForm5>();
        step("form5");
        form6 = std::make_unique<TForm6>(services, *form1, *form5);
        step("form6");
        form7 = std::make_unique<TForm7>(services);
        step("form7");
        form8 = std::make_unique<TForm8>(services);
        step("form8");
        database = std::make_unique<kv::TournamentDb>();
        form9 = std::make_unique<TForm9>(services, state, *database);
        step("form9");
        form1->setPeers(
            {form2.get(), form6.get(), form7.get(), form8.get(), form9.get(), database.get()});

        QApplication::setQuitOnLastWindowClosed(false);
        form1->show();
        step("show");
        waitExposed(*form1);
        step("exposed");
    }

    // Destroyed in the reverse order of creation, as main.cpp's locals are.
    ~Program() {
        form9.reset();
        form8.reset();
        form7.reset();
        form6.reset();
        form5.reset();
        form2.reset();
        form1.reset();
        database.reset();
    }
};

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The look of a freshly made QApplication, to go back to between runs of the program.
struct PlainLook {
    QString style;
    QPalette palette;
    QFont font;

    PlainLook()
        : style(QApplication::style()->name()), palette(QApplication::palette()),
          font(QApplication::font()) {}

    void restore(QApplication& app) const {
        app.setStyleSheet(QString());
        QApplication::setStyle(QStyleFactory::create(style));
        QApplication::setPalette(palette);
        QApplication::setFont(font);
    }
};

QApplication* theApp = nullptr;
const PlainLook* plainLook = nullptr;

void BM_ShowEmptyMainWindow(benchmark::State& state) {
    for (auto _ : state) {
        auto window = std::make_unique<QMainWindow>();
        window->show();
        waitExposed(*window);
        state.PauseTiming();
        window.reset();
        flushDeletes();
        state.ResumeTiming();
    }
}

// The least a program that shows text does: the same window with one label, which brings in
// the font system the empty window never touches.
std::unique_ptr<QMainWindow> labelWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setCentralWidget(new QLabel(QStringLiteral("Жеребьёвка команд")));
    return window;
}

void BM_ShowLabelWindow(benchmark::State& state) {
    for (auto _ : state) {
        auto window = labelWindow();
        window->show();
        waitExposed(*window);
        state.PauseTiming();
        window.reset();
        flushDeletes();
        state.ResumeTiming();
    }
}

void BM_ProgramStart(benchmark::State& state) {
    const QString start = QDir::currentPath();
    QStringList errors;
    Program::Steps steps;
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<QTemporaryDir>();
        makeDataFolder(folder->path());
        QDir::setCurrent(folder->path());
        auto program = std::make_unique<Program>();
        state.ResumeTiming();

        program->start(*theApp, &steps);

        state.PauseTiming();
        errors += program->dialogs.texts();
        program.reset();
        flushDeletes();
        plainLook->restore(*theApp);
        QDir::setCurrent(start);
        folder.reset();
        state.ResumeTiming();
    }
    if (!errors.isEmpty())
        state.SkipWithError(errors.first().toUtf8().constData());
    for (const auto& [name, ms] : steps.ms)
        state.counters[std::string(name) + "_ms"] += ms;
    for (auto& [name, counter] : state.counters)
        counter.flags = benchmark::Counter::kAvgIterations;
}

// --- peak memory in a child process ------------------------------------------------------------

// Runs one start in this (child) process and prints "peak_kb ms".
int runChild(int argc, char** argv, const QString& what) {
    QElapsedTimer timer;
    timer.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kv::setProgramDir(QCoreApplication::applicationDirPath());
    if (qEnvironmentVariableIsSet("KV_BENCH_STEPS"))
        fprintf(stderr, "app      %7.2f ms  peak %6lld kB\n", timer.nsecsElapsed() / 1e6,
                static_cast<long long>(peakKb()));
    QStringList errors;
    if (what == QLatin1String("program")) {
        Program program;
        Program::Steps steps;
        steps.withPeaks = true;
        program.start(app, &steps);
        errors = program.dialogs.texts();
        // With KV_BENCH_STEPS set, where this start's time and memory went.
        if (qEnvironmentVariableIsSet("KV_BENCH_STEPS"))
            for (std::size_t i = 0; i < steps.ms.size(); ++i)
                fprintf(stderr, "%-8s %7.2f ms  peak %6lld kB\n", steps.ms[i].first,
                        steps.ms[i].second, static_cast<long long>(steps.peaks[i]));
    } else {
        auto window =
            what == QLatin1String("label") ? labelWindow() : std::make_unique<QMainWindow>();
        window->show();
        waitExposed(*window);
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    flushDeletes();
    if (!errors.isEmpty()) {
        fprintf(stderr, "%s\n", errors.first().toUtf8().constData());
        return 1;
    }
    printf("%lld %.3f\n", static_cast<long long>(peakKb()), ms);
    return 0;
}

// Each iteration starts a new process; its time is the whole process, from exec to exit.
// Counters: the median peak resident memory and the median time from main() to the window shown.
void BM_ProcessStart(benchmark::State& state, const char* what) {
    std::vector<double> peaks, inProcess;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<QTemporaryDir> folder;
        QProcess child;
        if (std::strcmp(what, "program") == 0) {
            folder = std::make_unique<QTemporaryDir>();
            makeDataFolder(folder->path());
            child.setWorkingDirectory(folder->path());
        }
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        state.ResumeTiming();

        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kChildArg) + QLatin1String(what)});
        child.waitForFinished(60000);

        state.PauseTiming();
        const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
            out.size() != 2) {
            state.SkipWithError("the child start failed");
            break;
        }
        peaks.push_back(out[0].toDouble());
        inProcess.push_back(out[1].toDouble());
        state.ResumeTiming();
    }
    const auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    state.counters["peak_kb"] = median(peaks);
    state.counters["main_to_shown_ms"] = median(inProcess);
}

} // namespace

BENCHMARK(BM_ShowEmptyMainWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowLabelWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramStart)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProcessStart, empty, "empty")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_ProcessStart, label, "label")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_ProcessStart, program, "program")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], kChildArg, std::strlen(kChildArg)) == 0)
            return runChild(argc, argv, QString::fromLatin1(argv[i] + std::strlen(kChildArg)));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kv::setProgramDir(QCoreApplication::applicationDirPath());
    const PlainLook look;
    theApp = &app;
    plainLook = &look;

    benchmark::Initialize(&argc, argv);
    kvbench::declare({"BM_ProgramStart", "program start-up to main window shown (in process)",
                      "BM_ShowEmptyMainWindow", 1.5, 0, ""});
    kvbench::declare({"BM_ProcessStart/program/iterations:5",
                      "program start-up, peak memory (own process)",
                      "BM_ProcessStart/empty/iterations:5", 1.5, 0, "peak_kb"});
    kvbench::declare({"BM_ProcessStart/program/iterations:5",
                      "program start-up, new process exec to exit",
                      "BM_ProcessStart/empty/iterations:5", 0, 0, ""});
    // Beside a window with one label: what the font system alone costs is out of the ratio.
    kvbench::declare({"BM_ShowLabelWindow", "main window with one label (in process)",
                      "BM_ShowEmptyMainWindow", 0, 0, ""});
    kvbench::declare({"BM_ProcessStart/label/iterations:5",
                      "main window with one label, peak memory",
                      "BM_ProcessStart/empty/iterations:5", 0, 0, "peak_kb"});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
