#include "results/standings.h"

#include "common/errors.h"

namespace kv {

namespace {

// Player 1: Edit1:Edit2, Edit9:Edit10, Edit4:Edit3, Edit6:Edit5, and so on for the others.
std::array<std::array<OwnMatch, 4>, 3> makeOwnMatches() {
    std::array<std::array<OwnMatch, 4>, 3> own{};
    for (int p = 0; p < 3; ++p) {
        int n = 0;
        for (int other = 0; other < 3; ++other)
            if (const int m = matchAt(p, other); m >= 0)
                own[p][n++] = {homeBox(m), awayBox(m)};
        for (int other = 0; other < 3; ++other)
            if (const int m = matchAt(other, p); m >= 0)
                own[p][n++] = {awayBox(m), homeBox(m)};
    }
    return own;
}

const std::array<std::array<OwnMatch, 4>, 3> kOwnMatches = makeOwnMatches();

// Adjusts the ranking of two players level on it by their goal difference.
void breakTie(std::array<int, 3>& r, const std::array<qint64, 3>& diff, int a, int b) {
    if (r[a] != r[b])
        return;
    if (diff[a] > diff[b])
        ++r[a];
    else if (diff[a] < diff[b])
        ++r[b];
}

} // namespace

int matchAt(int home, int away) {
    for (int m = 0; m < int(kMatches.size()); ++m)
        if (kMatches[m].home == home && kMatches[m].away == away)
            return m;
    return -1;
}

void countResult(qint64 own, qint64 opponent, PlayerStanding& standing) {
    if (own > opponent)
        ++standing.wins;
    else if (own == opponent)
        ++standing.draws;
    else
        ++standing.losses;
}

const std::array<OwnMatch, 4>& ownMatches(int player) {
    return kOwnMatches.at(player);
}

std::array<int, 3> rankingValues(const std::array<int, 3>& points,
                                 const std::array<qint64, 3>& differences) {
    // Deliberately a single pass: a player raised by one check meets the next check raised.
    std::array<int, 3> r = points;
    breakTie(r, differences, 0, 1);
    breakTie(r, differences, 0, 2);
    breakTie(r, differences, 1, 2);
    return r;
}

std::array<int, 3> placesFor(const std::array<int, 3>& r) {
    std::array<int, 3> places{};
    for (int i = 0; i < 3; ++i) {
        const int a = r[(i + 1) % 3];
        const int b = r[(i + 2) % 3];
        places[i] = (r[i] > a && r[i] > b) ? 1 : (r[i] < a && r[i] < b) ? 3 : 2;
    }
    return places;
}

Standings computeStandings(const QStringList& boxes, const StandingSink& sink) {
    const auto box = [&](int i) { return strToInt(boxes.value(i)); };
    const auto put = [&](int player, StandingField field, qint64 value) {
        if (sink)
            sink(player, field, QString::number(value));
    };

    Standings s;
    for (int p = 0; p < 3; ++p) {
        PlayerStanding& st = s.players[p];
        const auto& matches = kOwnMatches[p];
        // Own boxes are all read before any opponent box, so a bad opponent box still
        // leaves the goals for shown.
        std::array<int, 4> own{};
        std::array<int, 4> opp{};
        for (int m = 0; m < 4; ++m) {
            own[m] = box(matches[m].own);
            st.goalsFor += own[m];
        }
        put(p, StandingField::GoalsFor, st.goalsFor);
        for (int m = 0; m < 4; ++m) {
            opp[m] = box(matches[m].opponent);
            st.goalsAgainst += opp[m];
        }
        put(p, StandingField::GoalsAgainst, st.goalsAgainst);
        st.difference = st.goalsFor - st.goalsAgainst;
        put(p, StandingField::Difference, st.difference);

        for (int m = 0; m < 4; ++m)
            countResult(own[m], opp[m], st);
        put(p, StandingField::Wins, st.wins);
        put(p, StandingField::Draws, st.draws);
        put(p, StandingField::Losses, st.losses);
        st.points = 3 * st.wins + st.draws;
        put(p, StandingField::Points, st.points);
    }

    s.ranking =
        rankingValues({s.players[0].points, s.players[1].points, s.players[2].points},
                      {s.players[0].difference, s.players[1].difference, s.players[2].difference});
    s.places = placesFor(s.ranking);
    for (int p = 0; p < 3; ++p)
        put(p, StandingField::Place, s.places[p]);
    return s;
}

} // namespace kv
