#pragma once

#include "tournament/standings.h"
#include "tournament/tournamentpress.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kv {

// One match on the sheet: the first-named team plays at home.
struct SheetMatch {
    QString home;
    QString away;
    QString chances; // "Зурко 58% · ничья 24% · Пенва 18%", empty when not known
    QString homeGoals; // the score once the evening has been played, empty before
    QString awayGoals;
    friend bool operator==(const SheetMatch&, const SheetMatch&) = default;
};

// What the printed tournament sheet holds, made from the same values the workbook is filled
// with. The program's own sheet window and its PDF draw this; the workbook gets the same texts.
struct TournamentSheet {
    QString title;
    QString date;
    QStringList players; // three, in slot order
    QStringList teams;   // three, in slot order
    QStringList points;  // three, in slot order, once the evening has been computed
    QStringList places;
    QList<SheetMatch> firstLeg;
    QList<SheetMatch> secondLeg; // the first leg with the sides swapped
    PreviousPrizes prizes;       // the previous tournament's gift pictures and best scorer
    QString firstPicture;        // the pictures drawn for the two gifts (see giftPicture)
    QString secondPicture;
    QString firstMeaning; // what the gifts let their holders do, in words
    QString secondMeaning;
    friend bool operator==(const TournamentSheet&, const TournamentSheet&) = default;
};

// Each match of the sheet gets its chances, given in the order of kMatches.
void setSheetChances(TournamentSheet& sheet, const std::array<QString, 6>& chances);
bool hasChances(const TournamentSheet& sheet);
// The evening as played: the scores of its matches, the players' points and places; none for an
// evening not computed yet.
void setSheetResult(TournamentSheet& sheet, const std::optional<ComputedStandings>& result);

inline const QString kSheetTitle = QStringLiteral("Zorvo Kickvale 6: турнир");

TournamentSheet makeTournamentSheet(const Tournament& input, const PreviousPrizes& prizes,
                                    const QString& date, const ProgramFiles& files);

// The headings of the sheet, as the workbook's template has them.
namespace sheet_text {
inline const QString kPlayer = QStringLiteral("Игрок");
inline const QString kTeam = QStringLiteral("Команда");
inline const QString kPoints = QStringLiteral("Очки");
inline const QString kPlace = QStringLiteral("Место");
inline const QString kFirstLeg = QStringLiteral("Первый круг");
inline const QString kSecondLeg = QStringLiteral("Второй круг");
inline const QString kHome = QStringLiteral("Хозяева");
inline const QString kAway = QStringLiteral("Гости");
inline const QString kScore = QStringLiteral("Счёт");
inline const QString kMatch = QStringLiteral("Матч %1");
inline const QString kPrizes = QStringLiteral("Призы прошлого турнира");
inline const QString kFirstPlace = QStringLiteral("Первое место");
inline const QString kSecondPlace = QStringLiteral("Второе место");
inline const QString kBestScorer = QStringLiteral("Лучший бомбардир");
inline const QString kChances = QStringLiteral("Шансы");
} // namespace sheet_text

} // namespace kv
