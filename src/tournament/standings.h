#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace kv {

// One player's line of the standings.
struct PlayerStanding {
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;
    qint64 difference = 0;
    int wins = 0;
    int draws = 0;
    int losses = 0;
    int points = 0;
    friend bool operator==(const PlayerStanding&, const PlayerStanding&) = default;
};

struct Standings {
    std::array<PlayerStanding, 3> players;
    // 1, 2 or 3; players level on points, goal difference and goals scored share the better
    // place (1, 1, 3 or 1, 2, 2 or 1, 1, 1), so there is always a first place.
    std::array<int, 3> places{};
    friend bool operator==(const Standings&, const Standings&) = default;
};

// Standings together with the twelve score box texts they were computed from.
struct ComputedStandings {
    QStringList boxes;
    Standings standings;
    friend bool operator==(const ComputedStandings&, const ComputedStandings&) = default;
};

// The figures of a standings line, in the order the window shows them.
enum class StandingField { GoalsFor, GoalsAgainst, Difference, Wins, Draws, Losses, Points, Place };

// Receives every figure as it is decided: player 0..2, the field and its text.
using StandingSink = std::function<void(int player, StandingField field, const QString& text)>;

// The six matches of a tournament: each team meets each other twice, once as the home team.
// Match m is entered in the results table in the row of its home team and the column of its away
// team, in score boxes 2m (home goals) and 2m + 1 (away goals): Edit1 and Edit2 hold match 0.
// The stored tournament keeps the same match in the same row and column.
struct BoxMatch {
    int home; // player slot 0..2
    int away;
};
inline constexpr std::array<BoxMatch, 6> kMatches{{{0, 1}, {1, 0}, {2, 0}, {2, 1}, {0, 2}, {1, 2}}};
inline constexpr int homeBox(int match) {
    return 2 * match;
}
inline constexpr int awayBox(int match) {
    return 2 * match + 1;
}
// The match of the home team in row `home` against the team of column `away`; -1 on the diagonal.
int matchAt(int home, int away);

// The order the six matches were played in, as places in kMatches: the first leg as the schedule
// gives it, then the return leg in the same order with the sides swapped, as the sheet shows them.
using PlayOrder = std::array<int, 6>;
// From the teams of slots 1..3 and the first leg (left and right team of matches 1..3); none when
// the teams are not three different ones or the leg is not a round of them.
std::optional<PlayOrder> playOrderOf(const QStringList& teams, const QStringList& firstLeg);
// Each of the six matches once.
bool isPlayOrder(const PlayOrder& order);

// The own matches of a player as pairs of score boxes (0-based: 0 is Edit1), own goals first:
// his home matches by column, then his away matches by row.
struct OwnMatch {
    int own;
    int opponent;
};
const std::array<OwnMatch, 4>& ownMatches(int player);

// Counts one match into wins, draws or losses of the side that scored `own`.
void countResult(qint64 own, qint64 opponent, PlayerStanding& standing);

// Computes the standings from the twelve score box texts (Edit1 .. Edit12).
// Player by player the figures are handed to sink in this order: goals for, goals against,
// difference, wins, draws, losses, points; then the three places. A box that is not a whole
// number throws "'%s' is not a valid integer value" at the first figure that needs it; the
// figures handed over before stay valid.
Standings computeStandings(const QStringList& boxes, const StandingSink& sink = {});

// Places by points, then goal difference, then goals scored: one plus the number of players
// strictly ahead.
std::array<int, 3> placesFor(const std::array<PlayerStanding, 3>& players);

} // namespace kv
