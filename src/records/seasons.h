#pragma once

#include "records/period.h"
#include "records/rating.h"
#include "records/records.h"

#include <QList>
#include <QString>
#include <QStringList>

// Seasons: who won each year and each month, and the book of one period.
namespace kv {

struct SeasonPlayer {
    QString player;
    int tournaments = 0;
    int firstPlaces = 0;
    Tally tally; // over his matches of the season
};

struct Season {
    Period period;
    int tournaments = 0;         // counted
    QList<SeasonPlayer> players; // the champion first, then as they stand
    // Most first places, then most points a match, then best goal difference a match; several
    // when they are equal in all three, none without a tournament.
    QStringList champions;
};
Season computeSeason(const History& history, const Period& period);

struct Seasons {
    QList<Season> years;  // newest first
    int monthsOf = 0;     // the year whose months follow; 0 when none
    QList<Season> months; // newest first
};
// Every year of the history, and the months of the chosen period's year (of its last day for own
// dates; none for all time, which chooses no year).
Seasons computeSeasons(const History& history, const Period& chosen);

// "Зурко", "Зурко и Пенва", "Зурко, Пенва и Лодыш".
QString namesJoined(const QStringList& names);

// Everything the records book of one period shows.
struct PeriodBook {
    Period period;
    History history; // the period's tournaments
    RecordsBook book;
    History rated; // the tournaments up to the period's end, which the rating counts
    Rating ratings;
    Seasons seasons;
};
// The book of `period` from the whole history: runs and records of the period's tournaments
// alone, the rating as it stood at the period's end, the seasons of every year.
PeriodBook computePeriodBook(const History& all, const Period& period, const LevelOf& levelOf,
                             const QStringList& currentPlayers);

} // namespace kv
