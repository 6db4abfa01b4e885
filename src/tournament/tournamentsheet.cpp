#include "tournament/tournamentsheet.h"

#include "common/textfile.h"

namespace kv {

TournamentSheet makeTournamentSheet(const Tournament& input, const PreviousPrizes& prizes,
                                    const QString& date, const ProgramFiles& files) {
    TournamentSheet sheet;
    sheet.title = kSheetTitle;
    sheet.date = date;
    for (int i = 0; i < 3; ++i) {
        sheet.players.append(lineAt(input.players, i));
        sheet.teams.append(lineAt(input.teams, i));
    }
    for (int i = 0; i < 3; ++i) {
        const SheetMatch match{lineAt(input.matches, 2 * i), lineAt(input.matches, 2 * i + 1)};
        sheet.firstLeg.append(match);
        sheet.secondLeg.append({match.away, match.home});
    }
    sheet.prizes = prizes;
    sheet.firstPicture = giftPicture(prizes.firstGift, files);
    sheet.secondPicture = giftPicture(prizes.secondGift, files);
    return sheet;
}

} // namespace kv
