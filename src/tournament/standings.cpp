#include "tournament/standings.h"

#include "common/errors.h"

#include <tuple>

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

} // namespace

int matchAt(int home, int away) {
    for (int m = 0; m < int(kMatches.size()); ++m)
        if (kMatches[m].home == home && kMatches[m].away == away)
            return m;
    return -1;
}

std::optional<PlayOrder> playOrderOf(const QStringList& teams, const QStringList& firstLeg) {
    const QStringList three{teams.value(0), teams.value(1), teams.value(2)};
    if (three[0] == three[1] || three[0] == three[2] || three[1] == three[2])
        return std::nullopt;
    PlayOrder order{};
    for (int m = 0; m < 3; ++m) {
        const qsizetype home = three.indexOf(firstLeg.value(2 * m)),
                        away = three.indexOf(firstLeg.value(2 * m + 1));
        if (home < 0 || away < 0 || home == away)
            return std::nullopt;
        order[m] = matchAt(int(home), int(away));
        order[m + 3] = matchAt(int(away), int(home));
    }
    if (!isPlayOrder(order))
        return std::nullopt;
    return order;
}

bool isPlayOrder(const PlayOrder& order) {
    std::array<bool, 6> seen{};
    for (const int m : order) {
        if (m < 0 || m >= 6 || seen[m])
            return false;
        seen[m] = true;
    }
    return true;
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

std::array<int, 3> placesFor(const std::array<PlayerStanding, 3>& players) {
    const auto key = [](const PlayerStanding& p) {
        return std::tuple(qint64(p.points), p.difference, p.goalsFor);
    };
    std::array<int, 3> places{};
    for (int i = 0; i < 3; ++i) {
        places[i] = 1;
        for (int j = 0; j < 3; ++j)
            if (key(players[j]) > key(players[i]))
                ++places[i];
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

    s.places = placesFor(s.players);
    for (int p = 0; p < 3; ++p)
        put(p, StandingField::Place, s.places[p]);
    return s;
}

} // namespace kv
