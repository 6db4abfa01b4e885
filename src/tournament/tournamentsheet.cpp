#include "tournament/tournamentsheet.h"

#include "common/textfile.h"
#include "tournament/standings.h"

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
        const SheetMatch match{lineAt(input.matches, 2 * i), lineAt(input.matches, 2 * i + 1), {}};
        sheet.firstLeg.append(match);
        sheet.secondLeg.append({match.away, match.home, {}});
    }
    sheet.prizes = prizes;
    sheet.firstPicture = giftPicture(prizes.firstGift, files);
    sheet.secondPicture = giftPicture(prizes.secondGift, files);
    return sheet;
}

void setSheetChances(TournamentSheet& sheet, const std::array<QString, 6>& chances) {
    for (QList<SheetMatch>* leg : {&sheet.firstLeg, &sheet.secondLeg})
        for (SheetMatch& match : *leg) {
            const int m = matchAt(sheet.teams.indexOf(match.home), sheet.teams.indexOf(match.away));
            match.chances = m >= 0 ? chances[m] : QString();
        }
}

bool hasChances(const TournamentSheet& sheet) {
    for (const QList<SheetMatch>* leg : {&sheet.firstLeg, &sheet.secondLeg})
        for (const SheetMatch& match : *leg)
            if (!match.chances.isEmpty())
                return true;
    return false;
}

} // namespace kv
