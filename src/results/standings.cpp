#include "results/standings.h"

#include "common/errors.h"

namespace kv {

namespace {

// Edit1..Edit12 as indices 0..11. Row i of the results table holds team i's own goals first.
const std::array<std::array<OwnMatch, 4>, 3> kOwnMatches{{
    {{{0, 1}, {8, 9}, {3, 2}, {5, 4}}},   // player 1: Edit1:Edit2, Edit9:Edit10, Edit4:Edit3,
                                          // Edit6:Edit5
    {{{2, 3}, {10, 11}, {1, 0}, {7, 6}}}, // player 2: Edit3:Edit4, Edit11:Edit12, Edit2:Edit1,
                                          // Edit8:Edit7
    {{{4, 5}, {6, 7}, {9, 8}, {11, 10}}}, // player 3: Edit5:Edit6, Edit7:Edit8, Edit10:Edit9,
                                          // Edit12:Edit11
}};

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

        for (int m = 0; m < 4; ++m) {
            if (own[m] > opp[m])
                ++st.wins;
            else if (own[m] == opp[m])
                ++st.draws;
            else
                ++st.losses;
        }
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
