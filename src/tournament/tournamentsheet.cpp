#include "tournament/tournamentsheet.h"

#include "common/textfile.h"
#include "tournament/gifts.h"

#include <utility>

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
        SheetMatch match;
        match.home = lineAt(input.matches, 2 * i);
        match.away = lineAt(input.matches, 2 * i + 1);
        sheet.firstLeg.append(match);
        std::swap(match.home, match.away);
        sheet.secondLeg.append(match);
    }
    sheet.prizes = prizes;
    sheet.firstPicture = giftPicture(prizes.firstGift, files);
    sheet.secondPicture = giftPicture(prizes.secondGift, files);
    sheet.firstMeaning = giftMeaning(prizes.firstGift);
    sheet.secondMeaning = giftMeaning(prizes.secondGift);
    return sheet;
}

void setSheetChances(TournamentSheet& sheet, const std::array<QString, 6>& chances) {
    for (QList<SheetMatch>* leg : {&sheet.firstLeg, &sheet.secondLeg})
        for (SheetMatch& match : *leg) {
            const int m = matchAt(sheet.teams.indexOf(match.home), sheet.teams.indexOf(match.away));
            match.chances = m >= 0 ? chances[m] : QString();
        }
}

void setSheetResult(TournamentSheet& sheet, const std::optional<ComputedStandings>& result) {
    sheet.points.clear();
    sheet.places.clear();
    for (int i = 0; i < 3 && result; ++i) {
        sheet.points.append(QString::number(result->standings.players[i].points));
        sheet.places.append(QString::number(result->standings.places[i]));
    }
    for (QList<SheetMatch>* leg : {&sheet.firstLeg, &sheet.secondLeg})
        for (SheetMatch& match : *leg) {
            const int m = matchAt(sheet.teams.indexOf(match.home), sheet.teams.indexOf(match.away));
            const bool known = result && m >= 0;
            match.homeGoals = known ? result->boxes.value(homeBox(m)).trimmed() : QString();
            match.awayGoals = known ? result->boxes.value(awayBox(m)).trimmed() : QString();
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
