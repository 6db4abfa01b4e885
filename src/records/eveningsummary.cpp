#include "records/eveningsummary.h"

#include "common/errors.h"
#include "records/rating.h"
#include "tournament/standings.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

int indexOf(const History& history, const QString& table) {
    for (int i = 0; i < history.tournaments.size(); ++i)
        if (history.tournaments[i].table == table)
            return i;
    return -1;
}

void fillRating(EveningSummary& s, const History& history, int index, const PlayedTournament& t,
                const LevelOf& levelOf) {
    const Rating rating = computeRating(history, levelOf);
    const auto rated =
        std::find_if(rating.tournaments.begin(), rating.tournaments.end(),
                     [&](const RatedTournament& r) { return r.tournament == index; });
    if (rated == rating.tournaments.end())
        return;
    // Matches each player had counted up to and including this evening (the rating goes by the
    // dates), for the "?" of a rating still settling.
    QHash<QString, int> matches;
    for (auto r = rating.tournaments.begin(); r != std::next(rated); ++r)
        for (const QString& p : history.tournaments[r->tournament].players)
            matches[p] += 4;
    for (const EveningSummary::Line& line : s.table3) {
        const int slot =
            int(std::find(t.players.begin(), t.players.end(), line.player) - t.players.begin());
        s.ratings.append({line.player, int(std::lround(rated->before[slot])),
                          int(std::lround(rated->after[slot])),
                          matches.value(line.player) < kSettledAfter});
    }
    if (rated->playerOfEvening >= 0)
        s.playerOfEvening = t.players[rated->playerOfEvening];
}

void fillSeason(EveningSummary& s, const History& history, int index, const PlayedTournament& t) {
    if (!t.played.isValid())
        return;
    s.seasonYear = t.played.date().year();
    for (int i = 0; i <= index; ++i) {
        const PlayedTournament& o = history.tournaments[i];
        if (!o.counted() || !o.played.isValid() || o.played.date().year() != s.seasonYear)
            continue;
        for (int slot = 0; slot < 3; ++slot) {
            auto it = std::find_if(s.season.begin(), s.season.end(),
                                   [&](const auto& p) { return p.player == o.players[slot]; });
            if (it == s.season.end())
                it = s.season.insert(s.season.end(), {o.players[slot], 0});
            it->firstPlaces += o.places[slot] == 1 ? 1 : 0;
        }
    }
    // Equal counts keep the order the players first played that year.
    std::stable_sort(s.season.begin(), s.season.end(),
                     [](const auto& a, const auto& b) { return a.firstPlaces > b.firstPlaces; });
}

} // namespace

EveningSummary eveningSummary(const History& history, const QString& table, const LevelOf& levelOf,
                              const TournamentDate& date) {
    const int index = indexOf(history, table);
    if (index < 0)
        throw Error(QStringLiteral("Турнира «%1» нет в базе: возможно, его удалили. Выберите "
                                   "другой турнир.")
                        .arg(table));
    const PlayedTournament& t = history.tournaments[index];
    if (!t.counted())
        throw Error(QStringLiteral("Турнир «%1» не учтён в итогах (%2), поэтому итоги вечера не "
                                   "составить. Исправьте его в окне результатов.")
                        .arg(table, t.fault.isEmpty()
                                        ? QStringLiteral("повторяет турнир «%1»").arg(t.copyOf)
                                        : t.fault));

    EveningSummary s;
    s.table = table;
    s.date = date(t);
    if (t.played.isValid())
        s.isoDate = t.played.date().toString(QStringLiteral("yyyy-MM-dd"));

    for (int slot = 0; slot < 3; ++slot)
        s.table3.append({t.players[slot], t.teams[slot], levelOrOther(levelOf, t.teams[slot]),
                         t.places[slot], t.points[slot], t.goalsFor[slot], t.goalsAgainst[slot]});
    // A place the table does not name (0) goes last.
    std::stable_sort(s.table3.begin(), s.table3.end(), [](const auto& a, const auto& b) {
        return (a.place == 0 ? 4 : a.place) < (b.place == 0 ? 4 : b.place);
    });

    for (int m : t.matchOrder()) {
        const PlayedMatch& match = t.matches[m];
        s.scores.append(
            {t.players[match.home], t.players[match.away], match.homeGoals, match.awayGoals});
    }
    s.bestScorer = t.bestScorer;

    fillRating(s, history, index, t, levelOf);

    // Records as they stood when the evening was played: the evenings after it do not count.
    History upTo = history;
    upTo.tournaments.resize(index + 1);
    s.records = eveningNews(upTo, {table}, levelOf, date).records;

    fillSeason(s, history, index, t);
    return s;
}

QString tableLineText(const EveningSummary::Line& line) {
    return QStringLiteral("%1. %2 (%3, %4)")
        .arg(line.place)
        .arg(isolated(line.player), isolated(line.club), line.level);
}

QString pointsText(const EveningSummary::Line& line) {
    return QStringLiteral("%1, %2:%3")
        .arg(countOf(line.points, QStringLiteral("очко"), QStringLiteral("очка"),
                     QStringLiteral("очков")))
        .arg(line.goalsFor)
        .arg(line.goalsAgainst);
}

QString scoreText(const EveningSummary::Score& score) {
    return QStringLiteral("%1 – %2 %3:%4")
        .arg(isolated(score.home), isolated(score.away))
        .arg(score.homeGoals)
        .arg(score.awayGoals);
}

QString bestScorerText(const EveningSummary& s) {
    if (!s.bestScorer)
        return {};
    return QStringLiteral("Лучший бомбардир: ") + isolated(*s.bestScorer);
}

QString ratingChangeText(const EveningSummary::RatingChange& c) {
    const int change = c.after - c.before;
    return QStringLiteral("%1 → %2%3 (%4)")
        .arg(c.before)
        .arg(c.after)
        .arg(c.provisional ? QStringLiteral("?") : QString())
        .arg(change > 0 ? QLatin1Char('+') + QString::number(change) : QString::number(change));
}

QString ratingText(const EveningSummary::RatingChange& c) {
    return QStringLiteral("Рейтинг: %1 %2").arg(isolated(c.player), ratingChangeText(c));
}

QString seasonText(const EveningSummary& s) {
    if (s.season.isEmpty())
        return {};
    QStringList places;
    for (const EveningSummary::SeasonPlace& p : s.season)
        places << QStringLiteral("%1 %2").arg(isolated(p.player)).arg(p.firstPlaces);
    return QStringLiteral("Сезон %1, первые места: %2")
        .arg(s.seasonYear)
        .arg(places.join(QStringLiteral(", ")));
}

QString summaryText(const EveningSummary& s) {
    QStringList lines{QStringLiteral("Итоги вечера ") + s.date};
    for (const EveningSummary::Line& line : s.table3)
        lines << tableLineText(line) + QStringLiteral(" — ") + pointsText(line);
    for (int i = 0; i < s.scores.size(); ++i)
        lines << QStringLiteral("Матч %1: ").arg(i + 1) + scoreText(s.scores[i]);
    if (s.bestScorer)
        lines << bestScorerText(s);
    if (s.playerOfEvening)
        lines << QStringLiteral("Игрок вечера: ") + isolated(*s.playerOfEvening);
    for (const EveningSummary::RatingChange& c : s.ratings)
        lines << ratingText(c);
    lines << s.records;
    if (!s.season.isEmpty())
        lines << seasonText(s);
    return lines.join(QLatin1Char('\n'));
}

} // namespace kv
