#include "records/seasons.h"

#include <QHash>

#include <algorithm>

namespace kv {

Season computeSeason(const History& history, const Period& period) {
    Season season{period, 0, {}, {}};
    QHash<QString, qsizetype> at;
    for (const PlayedTournament& t : history.tournaments) {
        // A table without a date belongs to no season, not even in a history of all time.
        if (!t.counted() || !t.played.isValid() || !period.holds(t.played))
            continue;
        ++season.tournaments;
        std::array<qsizetype, 3> who{};
        for (int s = 0; s < 3; ++s) {
            auto it = at.constFind(t.players[s]);
            if (it == at.constEnd()) {
                it = at.insert(t.players[s], season.players.size());
                season.players.append(SeasonPlayer{t.players[s], 0, 0, {}});
            }
            who[s] = *it;
        }
        for (int s = 0; s < 3; ++s) {
            SeasonPlayer& p = season.players[who[s]];
            ++p.tournaments;
            if (t.places[s] == 1)
                ++p.firstPlaces;
        }
        for (const PlayedMatch& m : t.matches)
            if (m.valid) {
                season.players[who[m.home]].tally.add(m.homeGoals, m.awayGoals);
                season.players[who[m.away]].tally.add(m.awayGoals, m.homeGoals);
            }
    }
    const auto compare = [](const SeasonPlayer& a, const SeasonPlayer& b) {
        if (a.firstPlaces != b.firstPlaces)
            return a.firstPlaces < b.firstPlaces ? -1 : 1;
        return a.tally.compare(b.tally);
    };
    std::stable_sort(
        season.players.begin(), season.players.end(),
        [&](const SeasonPlayer& a, const SeasonPlayer& b) { return compare(a, b) > 0; });
    for (const SeasonPlayer& p : season.players)
        if (compare(p, season.players.first()) == 0)
            season.champions.append(p.player);
    return season;
}

Seasons computeSeasons(const History& history, const Period& chosen) {
    Seasons seasons;
    const QList<HeldYear> years = heldYears(history);
    for (const HeldYear& y : years)
        seasons.years.append(computeSeason(history, Period::ofYear(y.year)));
    seasons.monthsOf = chosen.isAllTime() ? 0 : chosen.last().year();
    for (const HeldYear& y : years)
        if (y.year == seasons.monthsOf)
            for (const int month : y.months)
                seasons.months.append(computeSeason(history, Period::ofMonth(y.year, month)));
    return seasons;
}

QString namesJoined(const QStringList& names) {
    if (names.size() < 2)
        return names.value(0);
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" и ") +
           names.last();
}

PeriodBook computePeriodBook(const History& all, const Period& period, const LevelOf& levelOf,
                             const QStringList& currentPlayers) {
    PeriodBook b;
    b.period = period;
    b.history = inPeriod(all, period);
    b.book = computeRecords(b.history, levelOf);
    markFormerPlayers(b.book, currentPlayers);
    b.rated = period.isAllTime() ? all : upTo(all, period.last());
    b.ratings = computeRating(b.rated, levelOf);
    b.seasons = computeSeasons(all, period);
    return b;
}

} // namespace kv
