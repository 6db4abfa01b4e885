#include "records/rating.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace kv {

int clubStrength(const QString& level) {
    static const QHash<QString, int> strengths{
        {QStringLiteral("Клубы 4*"), 0},     {QStringLiteral("Сборные 4*"), 0},
        {QStringLiteral("Клубы 4,5*"), 50},  {QStringLiteral("Сборные 4,5*"), 50},
        {QStringLiteral("Клубы 5*"), 100},   {QStringLiteral("Сборные 5*"), 100},
        {QStringLiteral("Суперклубы"), 150}};
    // A club in no pool, or in a pool the players made themselves: taken as an average club.
    return strengths.value(level, 50);
}

Chances matchChances(double home, double away, double drawFactor) {
    // Far beyond any real gap; keeps 10^(D/400) finite so the chances stay numbers.
    const double d = std::clamp(home - away, -20000.0, 20000.0);
    const double q = std::pow(10.0, d / 400.0);
    const double sum = q + 1 / q + drawFactor;
    return {q / sum, drawFactor / sum, (1 / q) / sum};
}

std::array<int, 3> wholePercents(const Chances& c) {
    const std::array<double, 3> exact{c.homeWins * 100, c.draw * 100, c.awayWins * 100};
    std::array<int, 3> whole{};
    int sum = 0;
    for (int i = 0; i < 3; ++i) {
        whole[i] = int(std::floor(exact[i]));
        sum += whole[i];
    }
    // The points left go to the largest remainders; on a tie, to the earlier of the three.
    std::array<int, 3> order{0, 1, 2};
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return exact[a] - whole[a] > exact[b] - whole[b];
    });
    for (int i = 0; sum < 100 && i < 3; ++i, ++sum)
        ++whole[order[i]];
    return whole;
}

QString describeChances(const QString& home, const QString& away, const Chances& c) {
    const std::array<int, 3> p = wholePercents(c);
    return QStringLiteral("%1 %2% · ничья %3% · %4 %5%")
        .arg(isolated(home))
        .arg(p[0])
        .arg(p[1])
        .arg(isolated(away))
        .arg(p[2]);
}

double drawFactor(int draws, int matches) {
    // Too few matches say little about how often the group draws.
    if (matches < 30)
        return 0.67;
    const double d = double(draws) / matches;
    if (d >= 1)
        return 1.5;
    return std::clamp(2 * d / (1 - d), 0.3, 1.5);
}

double marginWeight(qint64 margin) {
    // A margin beyond any real match (a damaged cell) counts as a thousand goals: the ratings
    // after it stay numbers that can be rounded and shown.
    constexpr qint64 widest = 1000;
    const qint64 n = margin >= widest || margin <= -widest ? widest : margin < 0 ? -margin : margin;
    if (n <= 1)
        return 1;
    if (n == 2)
        return 1.5;
    return (11.0 + double(n)) / 8.0;
}

const PlayerRating* Rating::find(const QString& player) const {
    for (const PlayerRating& p : players)
        if (p.player == player)
            return &p;
    return nullptr;
}

double Rating::of(const QString& player) const {
    const PlayerRating* p = find(player);
    return p ? p->rating : kStartRating;
}

namespace {

// Why a counted tournament cannot be rated; empty when it can.
QString whyNotRated(const PlayedTournament& t) {
    if (!t.played.isValid())
        return QStringLiteral("без даты в имени таблицы: рейтинг не знает, когда турнир сыгран");
    for (int i = 0; i < 3; ++i) {
        if (t.players[i].trimmed().isEmpty())
            return QStringLiteral("у игрока в строке %1 нет имени").arg(i + 1);
        for (int j = 0; j < i; ++j)
            if (t.players[i] == t.players[j])
                return QStringLiteral("игрок \"%1\" записан в турнире дважды").arg(t.players[i]);
    }
    return {};
}

class RatingWalk {
public:
    RatingWalk(Rating& rating, const LevelOf& levelOf) : rating_(rating), levelOf_(levelOf) {}

    void tournament(const History& history, int index) {
        const PlayedTournament& t = history.tournaments[index];
        RatedTournament r;
        r.tournament = index;
        r.drawFactor = drawFactor(rating_.draws, rating_.matches);
        std::array<int, 3> at{};
        std::array<double, 3> k{};
        for (int s = 0; s < 3; ++s) {
            at[s] = player(t.players[s]);
            const PlayerRating& p = rating_.players[at[s]];
            r.before[s] = p.rating;
            k[s] = p.matches < kSettledAfter ? 32 : 20;
            r.strength[s] = strength(t.teams[s]);
        }
        std::array<double, 3> change{};
        std::array<int, 3> played{};
        for (int m = 0; m < int(t.matches.size()); ++m) {
            const PlayedMatch& pm = t.matches[m];
            const int a = pm.home, b = pm.away;
            r.chances[m] = matchChances(r.before[a] + r.strength[a], r.before[b] + r.strength[b],
                                        r.drawFactor);
            if (!pm.valid)
                continue; // a score that cannot be read moves nobody
            const double expected = r.chances[m].expectedHome();
            const double result = pm.homeGoals > pm.awayGoals    ? 1.0
                                  : pm.homeGoals == pm.awayGoals ? 0.5
                                                                 : 0.0;
            const double weight = marginWeight(pm.homeGoals - pm.awayGoals);
            change[a] += k[a] * weight * (result - expected);
            change[b] += k[b] * weight * (expected - result);
            r.surprise[a] += result - expected;
            r.surprise[b] += expected - result;
            ++played[a];
            ++played[b];
            ++rating_.matches;
            if (pm.homeGoals == pm.awayGoals)
                ++rating_.draws;
        }
        for (int s = 0; s < 3; ++s) {
            PlayerRating& p = rating_.players[at[s]];
            r.after[s] = p.rating = r.before[s] + change[s];
            p.matches += played[s];
            // The first time reached keeps a best rating that is only equalled later.
            if (p.bestTournament < 0 || p.rating > p.best) {
                p.best = p.rating;
                p.bestTournament = index;
            }
        }
        r.playerOfEvening = playerOfEvening(r);
        ++rating_.players[at[r.playerOfEvening]].playerOfEvening;
        rating_.tournaments.append(r);
    }

private:
    int player(const QString& name) {
        const auto it = index_.constFind(name);
        if (it != index_.constEnd())
            return *it;
        PlayerRating p;
        p.player = name;
        rating_.players.append(p);
        index_.insert(name, int(rating_.players.size() - 1));
        return int(rating_.players.size() - 1);
    }

    int strength(const QString& club) {
        auto it = strengths_.constFind(club);
        if (it == strengths_.constEnd()) {
            const QString level = levelOrOther(levelOf_, club);
            if (level == kOtherLevel)
                rating_.clubsInNoPool.append(club);
            it = strengths_.insert(club, clubStrength(level));
        }
        return *it;
    }

    static int playerOfEvening(const RatedTournament& r) {
        // Sums of differences of fractions: ones equal by hand may differ in the last bits.
        const double same = 1e-9;
        int best = 0;
        for (int s = 1; s < 3; ++s) {
            const double by = r.surprise[s] - r.surprise[best];
            const double gain = (r.after[s] - r.before[s]) - (r.after[best] - r.before[best]);
            if (by > same || (by >= -same && gain > same))
                best = s;
        }
        return best;
    }

    Rating& rating_;
    const LevelOf& levelOf_;
    QHash<QString, int> index_;
    QHash<QString, int> strengths_;
};

} // namespace

Rating computeRating(const History& history, const LevelOf& levelOf) {
    Rating rating;
    rating.leftOut = history.leftOut();
    QList<int> rated;
    for (int i = 0; i < int(history.tournaments.size()); ++i) {
        const PlayedTournament& t = history.tournaments[i];
        if (!t.counted())
            continue;
        if (const QString why = whyNotRated(t); !why.isEmpty())
            rating.leftOut.append({t.table, why});
        else
            rated.append(i);
    }
    std::stable_sort(rated.begin(), rated.end(), [&](int a, int b) {
        return history.tournaments[a].played < history.tournaments[b].played;
    });
    RatingWalk walk(rating, levelOf);
    for (int i : rated)
        walk.tournament(history, i);
    return rating;
}

QStringList ratingNews(const History& history, const QStringList& written,
                       const LevelOf& levelOf) {
    QStringList lines;
    for (const RatedTournament& r : computeRating(history, levelOf).tournaments) {
        const PlayedTournament& t = history.tournaments[r.tournament];
        if (!written.contains(t.table))
            continue;
        for (int s = 0; s < 3; ++s) {
            // The change of the whole numbers shown, so that the line adds up as read.
            const qint64 was = qRound64(r.before[s]), is = qRound64(r.after[s]);
            lines << QStringLiteral("%1 %2 → %3 (%4%5)")
                         .arg(isolated(t.players[s]))
                         .arg(was)
                         .arg(is)
                         .arg(is < was ? QLatin1Char('-') : QLatin1Char('+'))
                         .arg(std::abs(is - was));
        }
        lines << QStringLiteral("Игрок вечера: ") + isolated(t.players[r.playerOfEvening]);
    }
    return lines;
}

QString showRating(const PlayerRating& r) {
    return QString::number(qRound64(r.rating)) + (r.provisional() ? QStringLiteral("?") : QString());
}

Chances comingChances(const Rating& rating, const ComingMatch& match, const LevelOf& levelOf) {
    return matchChances(
        rating.of(match.homePlayer) + clubStrength(levelOrOther(levelOf, match.homeClub)),
        rating.of(match.awayPlayer) + clubStrength(levelOrOther(levelOf, match.awayClub)),
        rating.nextDrawFactor());
}

} // namespace kv
