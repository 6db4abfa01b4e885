#pragma once

#include "history/history.h"
#include "records/records.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The players' rating: who did well for the clubs he was drawn. Every player starts at 1500; each
// match moves the two players' ratings by how its result differs from what the ratings and the
// clubs' strengths made likely. Computed afresh from the history, so a mended score mends every
// rating after it.
namespace kv {

inline constexpr double kStartRating = 1500.0;
// Matches counted before a player's rating is taken as settled; until then it shows a "?".
inline constexpr int kSettledAfter = 12;

// The strength a club adds to its player's rating, by its star level (levelOrOther).
int clubStrength(const QString& level);

// The chances of one match, home side first.
struct Chances {
    double homeWins = 0;
    double draw = 0;
    double awayWins = 0;
    // What the home side is expected to score: a win counts 1, a draw 1/2.
    double expectedHome() const { return homeWins + draw / 2; }
};
// From the two sides' ratings with their clubs' strengths added, and the draw factor k.
Chances matchChances(double home, double away, double drawFactor);
// The chances as whole percents that add up to 100 (largest remainders).
std::array<int, 3> wholePercents(const Chances& c);
// "Зурко 58% · ничья 24% · Пенва 18%".
QString describeChances(const QString& home, const QString& away, const Chances& c);

// The draw factor k from the draws among the matches counted so far.
double drawFactor(int draws, int matches);
// How much the goal margin weighs: 1 up to one goal, 1.5 for two, (11 + N) / 8 from three.
double marginWeight(qint64 margin);

struct PlayerRating {
    QString player;
    double rating = kStartRating;
    int matches = 0; // counted
    double best = kStartRating;
    int bestTournament = -1; // its place in History::tournaments, -1 before any
    int playerOfEvening = 0; // times
    bool provisional() const { return matches < kSettledAfter; }
};

// One counted tournament as the rating saw it. Slots are those of the tournament.
struct RatedTournament {
    int tournament = -1; // its place in History::tournaments
    std::array<double, 3> before{};
    std::array<double, 3> after{};
    std::array<int, 3> strength{};  // the clubs' strengths
    std::array<double, 3> surprise{}; // the sum of (result - expected) over the player's matches
    std::array<Chances, 6> chances;   // of the matches, in the order of PlayedTournament::matches
    int playerOfEvening = -1;         // slot
    double drawFactor = 0;
};

struct Rating {
    QList<PlayerRating> players;          // in the order they first played
    QList<RatedTournament> tournaments;   // the counted ones, in the order of their dates
    QList<SkippedTable> leftOut;          // undated, unreadable, damaged, copies
    QStringList clubsInNoPool;            // clubs counted with the strength of "Другие"
    int matches = 0;
    int draws = 0;

    const PlayerRating* find(const QString& player) const;
    // A player's rating now, kStartRating for one who has not played.
    double of(const QString& player) const;
    // The draw factor for the next tournament.
    double nextDrawFactor() const { return drawFactor(draws, matches); }
};

Rating computeRating(const History& history, const LevelOf& levelOf);

// What the evenings `written` (tables of `history`) did to the ratings, evening by evening: each
// player's "Зурко 1512 → 1527 (+15)", then "Игрок вечера: Зурко".
QStringList ratingNews(const History& history, const QStringList& written, const LevelOf& levelOf);

// A rating as the players read it: a whole number, with "?" while provisional.
QString showRating(const PlayerRating& r);

// The chances of each of a coming evening's six matches (home and away player slots as in
// kMatches order of the tournament), from the ratings now.
struct ComingMatch {
    QString homePlayer, homeClub, awayPlayer, awayClub;
};
Chances comingChances(const Rating& rating, const ComingMatch& match, const LevelOf& levelOf);

} // namespace kv
