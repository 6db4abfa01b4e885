// Filling the tournament sheet against the floor of copying the template unchanged through the
// same zip library. Run from the build folder's bin/ (the template and images are there).
#include "common/opener.h"
#include "fakes.h"
#include "tournament/gui_xlsxspreadsheet.h"
#include "tournament/tournamentpress.h"
#include "tournament/xlsxworkbook.h"
#include "common/zipparts.h"

#include "goals.h"
#include "programfiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& outDir() {
    static QTemporaryDir dir;
    return dir;
}

const kv::Tournament& input() {
    static const kv::Tournament in{
        {QStringLiteral("Зурко"), QStringLiteral("Пенва"), QStringLiteral("Лодыш")},
        {QStringLiteral("Реал Мадрид"), QStringLiteral("Ювентус"), QStringLiteral("Бавария")},
        {QStringLiteral("Реал Мадрид"), QStringLiteral("Ювентус"), QStringLiteral("Бавария"),
         QStringLiteral("Реал Мадрид"), QStringLiteral("Ювентус"), QStringLiteral("Бавария")}};
    return in;
}

// The floor: every part read and written again, nothing parsed.
void BM_CopyTemplateZip(benchmark::State& state) {
    const QString from = kvbench::programFiles().sheetTemplate();
    const QString to = outDir().filePath(QStringLiteral("copy.xlsx"));
    for (auto _ : state) {
        std::vector<kv::ZipPart> parts;
        QString why;
        if (!kv::readZipParts(from, parts, why))
            state.SkipWithError("template unreadable");
        kv::writeZipParts(to, parts);
    }
}
BENCHMARK(BM_CopyTemplateZip)->Unit(benchmark::kMillisecond);

// The same copy into a new file each time, as a press must make one (the workbook of an earlier
// press may still be open): the floor of a press's sheet, which pays for a new file too.
void BM_CopyTemplateZipNewFile(benchmark::State& state) {
    const QString from = kvbench::programFiles().sheetTemplate();
    const QDir to(outDir().filePath(QStringLiteral("copies")));
    QDir().mkpath(to.path());
    int n = 0;
    for (auto _ : state) {
        std::vector<kv::ZipPart> parts;
        QString why;
        if (!kv::readZipParts(from, parts, why))
            state.SkipWithError("template unreadable");
        kv::writeZipParts(to.filePath(QStringLiteral("copy-%1.xlsx").arg(n++)), parts);
    }
    QDir(to).removeRecursively();
}
BENCHMARK(BM_CopyTemplateZipNewFile)->Unit(benchmark::kMillisecond);

// Thirteen texts and two pictures (already PNG) into a copy of the template.
void BM_FillTemplate(benchmark::State& state) {
    QSize size1, size2;
    const QByteArray png1 =
        kv::pictureAsPng(kvbench::programFiles().imagePath(QStringLiteral("team.bmp")), &size1);
    const QByteArray png2 =
        kv::pictureAsPng(kvbench::programFiles().imagePath(QStringLiteral("travma.bmp")), &size2);
    const char* cells[] = {"a2", "a3", "a4", "b2", "b3", "b4", "b7",
                           "c7", "b8", "c8", "b9", "c9", "d15"};
    QStringList texts = input().players + input().teams + input().matches;
    texts << QStringLiteral("Пенва");
    const QString to = outDir().filePath(QStringLiteral("filled.xlsx"));
    for (auto _ : state) {
        kv::XlsxWorkbook book(kvbench::programFiles().sheetTemplate());
        for (int i = 0; i < 13; ++i)
            book.setCell(*kv::parseCellName(QLatin1String(cells[i])), texts[i]);
        book.addPicture({1, 15}, png1, size1.width(), size1.height());
        book.addPicture({2, 15}, png2, size2.width(), size2.height());
        book.save(to);
    }
}
BENCHMARK(BM_FillTemplate)->Unit(benchmark::kMillisecond);

// The whole spreadsheet part of a press, bitmaps converted and a new file made each time.
void BM_PressSpreadsheet(benchmark::State& state) {
    kv::RecordingOpener opener;
    kv::XlsxSpreadsheetFactory factory(opener, outDir().filePath(QStringLiteral("press")));
    const kv::PreviousPrizes prizes{kvbench::programFiles().imagePath(QStringLiteral("team.bmp")),
                                    kvbench::programFiles().imagePath(QStringLiteral("travma.bmp")),
                                    QStringLiteral("Пенва")};
    for (auto _ : state)
        kv::fillTournamentSheet(factory, input(), prizes, kvbench::programFiles());
    QDir(outDir().filePath(QStringLiteral("press"))).removeRecursively();
}
BENCHMARK(BM_PressSpreadsheet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // QImage reads the bitmaps
    benchmark::Initialize(&argc, argv);
    kvbench::declare({"BM_FillTemplate", "filling the sheet", "BM_CopyTemplateZip", 2, 50, ""});
    kvbench::declare({"BM_PressSpreadsheet", "sheet part of a press (pictures converted)",
                      "BM_CopyTemplateZipNewFile", 3, 50, ""});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
