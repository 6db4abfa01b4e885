// The program's own tournament sheet as a PDF file against the floor of a PDF of the same page
// that holds only the page's texts in one font. Run from the build folder's bin/ (images).
#include "tournament/gui_sheetpage.h"
#include "tournament/tournamentsheet.h"

#include "goals.h"
#include "programfiles.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& outDir() {
    static QTemporaryDir dir;
    return dir;
}

const kv::TournamentSheet& sheet() {
    static const kv::TournamentSheet made = kv::makeTournamentSheet(
        {{QStringLiteral("Зурко"), QStringLiteral("Пенва"), QStringLiteral("Лодыш")},
         {QStringLiteral("Реал Мадрид"), QStringLiteral("Ювентус"), QStringLiteral("Бавария")},
         {QStringLiteral("Ювентус"), QStringLiteral("Бавария"), QStringLiteral("Бавария"),
          QStringLiteral("Реал Мадрид"), QStringLiteral("Реал Мадрид"), QStringLiteral("Ювентус")}},
        {kvbench::programFiles().imagePath(QStringLiteral("team.bmp")),
         kvbench::programFiles().imagePath(QStringLiteral("travma.bmp")), QStringLiteral("Пенва")},
        QStringLiteral("09.03.2024"), kvbench::programFiles());
    return made;
}

// Every text the page shows, one per line of the floor's page.
QStringList pageTexts() {
    namespace t = kv::sheet_text;
    const kv::TournamentSheet& s = sheet();
    QStringList texts{s.title,        s.date,          t::kPlayer,     t::kTeam,
                      t::kPoints,     t::kPlace,       t::kFirstLeg,   t::kSecondLeg,
                      t::kHome,       t::kAway,        t::kScore,      t::kPrizes,
                      t::kFirstPlace, t::kSecondPlace, t::kBestScorer, s.prizes.bestScorer};
    texts += s.players + s.teams;
    for (int i = 0; i < 3; ++i)
        texts << t::kMatch.arg(i + 1) + QLatin1Char(' ') + s.firstLeg[i].home + QLatin1Char(' ') +
                     s.firstLeg[i].away
              << t::kMatch.arg(i + 4) + QLatin1Char(' ') + s.secondLeg[i].home + QLatin1Char(' ') +
                     s.secondLeg[i].away;
    return texts;
}

// The floor: the same page size and texts, no table, no pictures, one font; saved the same
// safe way, through a temporary file that replaces the old one only when it is complete.
void BM_TextOnlyPdf(benchmark::State& state) {
    const QStringList texts = pageTexts();
    const QString to = outDir().filePath(QStringLiteral("text.pdf"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(40);
    for (auto _ : state) {
        QSaveFile file(to);
        if (!file.open(QIODevice::WriteOnly))
            state.SkipWithError("cannot write the PDF");
        {
            QPdfWriter writer(&file);
            writer.setPageLayout(kv::sheetPageLayout());
            QPainter painter(&writer);
            painter.setWindow(0, 0, 2970, 2100);
            painter.setFont(font);
            int y = 100;
            for (const QString& text : texts) {
                painter.drawText(QPointF(130, y), text);
                y += 50;
            }
        }
        if (!file.commit())
            state.SkipWithError("cannot save the PDF");
    }
}
BENCHMARK(BM_TextOnlyPdf)->Unit(benchmark::kMillisecond);

// The sheet as the window's "Сохранить PDF..." writes it: table, pictures, two fonts, saved
// through a temporary file.
void BM_SheetPdf(benchmark::State& state) {
    const QString to = outDir().filePath(QStringLiteral("sheet.pdf"));
    for (auto _ : state)
        kv::saveSheetPdf(sheet(), to);
}
BENCHMARK(BM_SheetPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // fonts and pictures
    benchmark::Initialize(&argc, argv);
    kvbench::declare({"BM_SheetPdf", "tournament sheet as PDF", "BM_TextOnlyPdf", 3, 100, ""});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
