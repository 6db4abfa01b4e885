#include "tournament/tournamentpress.h"

#include "common/clock.h"
#include "common/programdir.h"
#include "common/services.h"
#include "common/textfile.h"
#include "tournament/spreadsheet.h"
#include "tournament/tournamentsheet.h"

namespace kv {

namespace {

QString at(const QStringList& list, qsizetype i) {
    return lineAt(list, i);
}

} // namespace

void writeLastTournament(const QStringList& teams, const QString& date) {
    writeLines(kLastTournamentFile, {at(teams, 0), at(teams, 1), at(teams, 2), date});
}

PreviousPrizes readPreviousPrizes() {
    PreviousPrizes prizes;
    prizes.firstGift = readFirstLine(kGift1File);
    prizes.secondGift = readFirstLine(kGift2File);
    prizes.bestScorer = readFirstLine(kBestScorerFile);
    return prizes;
}

void fillTournamentSheet(SpreadsheetFactory& spreadsheets, const Tournament& input,
                         const PreviousPrizes& prizes, const ProgramFiles& files,
                         const WorkbookShown& answered) {
    Spreadsheet& sheet = spreadsheets.create();
    sheet.openTemplate(files.sheetTemplate());
    const QStringList playerCells = {QStringLiteral("a2"), QStringLiteral("a3"),
                                     QStringLiteral("a4")};
    const QStringList teamCells = {QStringLiteral("b2"), QStringLiteral("b3"),
                                   QStringLiteral("b4")};
    const QStringList matchCells = {QStringLiteral("b7"), QStringLiteral("c7"),
                                    QStringLiteral("b8"), QStringLiteral("c8"),
                                    QStringLiteral("b9"), QStringLiteral("c9")};
    for (int i = 0; i < 3; ++i)
        sheet.setCell(playerCells[i], at(input.players, i));
    for (int i = 0; i < 3; ++i)
        sheet.setCell(teamCells[i], at(input.teams, i));
    for (int i = 0; i < 6; ++i)
        sheet.setCell(matchCells[i], at(input.matches, i));
    sheet.setCell(QStringLiteral("d15"), prizes.bestScorer);
    sheet.selectCell(QStringLiteral("b15"));
    sheet.insertPicture(giftPicture(prizes.firstGift, files));
    sheet.selectCell(QStringLiteral("c15"));
    sheet.insertPicture(giftPicture(prizes.secondGift, files));
    sheet.makeVisible(answered);
}

namespace {

PreviousPrizes previousPrizes(const PressMemory& memory) {
    if (memory.prizes)
        return *memory.prizes;
    PreviousPrizes prizes = readPreviousPrizes();
    prizes.holders = memory.holders;
    return prizes;
}

} // namespace

void runTournamentPress(const Tournament& input, Services& services, const PressView& view,
                        PressMemory& memory) {
    const QString date = services.clock->shortDate();
    writeLastTournament(input.teams, date);
    const PreviousPrizes prizes = previousPrizes(memory);
    const TournamentSheet sheet = makeTournamentSheet(input, prizes, date, services.files);
    const auto sheetMade = view.sheetMade;
    if (services.spreadsheets) {
        fillTournamentSheet(*services.spreadsheets, input, prizes, services.files,
                            [sheetMade, sheet](bool shown, const QString& file) {
                                if (sheetMade)
                                    sheetMade(sheet, shown, file);
                            });
    } else if (sheetMade) {
        sheetMade(sheet, false, QString());
    }
    view.handOverToResults(input);
    if (!memory.prizes)
        memory.prizes = prizes;
    if (memory.awarded)
        return; // this evening's gifts are drawn already
    awardGifts(*services.random, *services.dialogs, services.files, view.showPrize,
               view.uncoverPrizes, [&] { writePrizeEvening(input, services.clock->now().date()); });
    memory.awarded = true;
}

TournamentSheet eveningSheet(const Tournament& input, const Clock& clock, const PressMemory& memory,
                             const ProgramFiles& files) {
    return makeTournamentSheet(input, previousPrizes(memory), clock.shortDate(), files);
}

} // namespace kv
