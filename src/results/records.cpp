#include "results/records.h"

#include "common/clock.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cstdlib>

namespace kv {

namespace {

const PlayedMatch& matchAt(const History& history, const MatchAt& at) {
    return history.tournaments[at.tournament].matches[at.match];
}

// A run that goes on with each step of `extend` and ends with each step that does not.
void step(Run& current, Run& longest, bool extend, int tournament) {
    if (!extend) {
        current = {};
        return;
    }
    if (current.length == 0)
        current.firstTournament = tournament;
    ++current.length;
    current.lastTournament = tournament;
    // Only a longer run takes the record: the first to reach a length keeps it.
    if (current.length > longest.length)
        longest = current;
}

struct PairKey {
    int a, b;
    friend bool operator==(const PairKey&, const PairKey&) = default;
};
size_t qHash(const PairKey& key, size_t seed = 0) {
    return ::qHash(qint64(key.a) << 32 | quint32(key.b), seed);
}

// Everything the book counts for one player while it walks the history.
struct Walker {
    PlayerRecord record;
    QHash<int, Tally> against; // by opponent
    QHash<QString, int> clubAt;
    QList<ClubRecord> clubs;
    QHash<QString, ClubRecord> levels;
};

} // namespace

void Tally::add(qint64 own, qint64 other) {
    ++matches;
    goalsFor += own;
    goalsAgainst += other;
    if (own > other)
        ++wins;
    else if (own == other)
        ++draws;
    else
        ++losses;
}

int Tally::compare(const Tally& o) const {
    // Cross-multiplied, so that no rounding decides.
    const qint64 mine = qint64(points()) * o.matches, theirs = qint64(o.points()) * matches;
    if (mine != theirs)
        return mine < theirs ? -1 : 1;
    const qint64 d = (goalsFor - goalsAgainst) * o.matches,
                 od = (o.goalsFor - o.goalsAgainst) * matches;
    return d < od ? -1 : (d > od ? 1 : 0);
}

const QStringList& starLevels() {
    static const QStringList levels{QStringLiteral("Клубы 4*"),   QStringLiteral("Клубы 4,5*"),
                                    QStringLiteral("Клубы 5*"),   QStringLiteral("Суперклубы"),
                                    QStringLiteral("Сборные 4*"), QStringLiteral("Сборные 4,5*"),
                                    QStringLiteral("Сборные 5*"), kOtherLevel};
    return levels;
}

RecordsBook computeRecords(const History& history, const LevelOf& levelOf) {
    RecordsBook book;
    book.leftOut = history.leftOut();

    QHash<QString, int> index;
    QList<Walker> walkers;
    const auto walker = [&](const QString& name) -> int {
        auto it = index.constFind(name);
        if (it == index.constEnd()) {
            it = index.insert(name, int(walkers.size()));
            walkers.append(Walker{});
            walkers.last().record.player = name;
        }
        return *it;
    };
    QHash<PairKey, HeadToHead> pairs;
    QList<PairKey> pairOrder;
    const auto pair = [&](int a, int b) -> HeadToHead& {
        auto it = pairs.find({a, b});
        if (it == pairs.end()) {
            it = pairs.insert(
                {a, b},
                HeadToHead{walkers[a].record.player, walkers[b].record.player, {}, {}, {}, {}});
            pairOrder.append({a, b});
        }
        return *it;
    };
    QHash<QString, QString> levelCache;
    const auto level = [&](const QString& club) {
        auto it = levelCache.constFind(club);
        if (it == levelCache.constEnd()) {
            QString found = levelOf ? levelOf(club) : QString();
            it = levelCache.insert(club, found.isEmpty() ? kOtherLevel : found);
        }
        return *it;
    };

    GroupRecords& group = book.group;
    for (int t = 0; t < history.tournaments.size(); ++t) {
        const PlayedTournament& played = history.tournaments[t];
        if (!played.counted())
            continue;
        ++book.tournaments;
        if (!played.bestScorer)
            ++book.withoutBestScorer;
        std::array<int, 3> who{};
        std::array<Tally, 3> evening{};
        for (int s = 0; s < 3; ++s)
            who[s] = walker(played.players[s]);

        for (int m = 0; m < int(played.matches.size()); ++m) {
            const PlayedMatch& match = played.matches[m];
            if (!match.valid)
                continue;
            const MatchAt at{t, m};
            const int home = who[match.home], away = who[match.away];
            const qint64 hg = match.homeGoals, ag = match.awayGoals;
            evening[match.home].add(hg, ag);
            evening[match.away].add(ag, hg);
            for (const auto& [me, other, own, theirs] :
                 {std::tuple{home, away, hg, ag}, std::tuple{away, home, ag, hg}}) {
                PlayerRecord& r = walkers[me].record;
                step(r.currentWins, r.longestWins, own > theirs, t);
                step(r.currentUnbeaten, r.longestUnbeaten, own >= theirs, t);
                step(r.currentLosses, r.longestLosses, own < theirs, t);
                walkers[me].against[other].add(own, theirs);
                // Each pair once, from the side of the one who played first.
                if (me < other) {
                    HeadToHead& h = pair(me, other);
                    h.tally.add(own, theirs);
                    h.lastFive.append(at);
                    if (h.lastFive.size() > 5)
                        h.lastFive.removeFirst();
                    const auto bigger = [&](const std::optional<MatchAt>& held, qint64 margin) {
                        if (!held)
                            return true;
                        const PlayedMatch& before = matchAt(history, *held);
                        return margin > std::abs(before.homeGoals - before.awayGoals);
                    };
                    if (own > theirs && bigger(h.biggestWin, own - theirs))
                        h.biggestWin = at;
                    if (own < theirs && bigger(h.biggestLoss, theirs - own))
                        h.biggestLoss = at;
                }
            }
            if (hg != ag && (!group.biggestWin || std::abs(hg - ag) > group.biggestWin->value))
                group.biggestWin = MatchRecord{at, std::abs(hg - ag)};
            if (!group.mostGoals || hg + ag > group.mostGoals->value)
                group.mostGoals = MatchRecord{at, hg + ag};
        }

        for (int s = 0; s < 3; ++s) {
            Walker& w = walkers[who[s]];
            PlayerRecord& r = w.record;
            ++r.tournaments;
            const bool first = played.places[s] == 1;
            if (first)
                ++r.firstPlaces;
            step(r.currentFirstPlaces, r.longestFirstPlaces, first, t);
            if (played.bestScorer && *played.bestScorer == r.player)
                ++r.bestScorer;
            const qint64 points = played.points[s];
            if (!group.mostPoints || points > group.mostPoints->value)
                group.mostPoints = TournamentRecord{t, s, points};
            const qint64 difference = played.goalsFor[s] - played.goalsAgainst[s];
            if (!group.bestDifference || difference > group.bestDifference->value)
                group.bestDifference = TournamentRecord{t, s, difference};

            const QString& club = played.teams[s];
            auto at = w.clubAt.constFind(club);
            if (at == w.clubAt.constEnd()) {
                at = w.clubAt.insert(club, int(w.clubs.size()));
                w.clubs.append(ClubRecord{r.player, club, 0, {}});
            }
            for (ClubRecord* c : {&w.clubs[*at], &w.levels[level(club)]}) {
                ++c->tournaments;
                c->tally.matches += evening[s].matches;
                c->tally.wins += evening[s].wins;
                c->tally.draws += evening[s].draws;
                c->tally.losses += evening[s].losses;
                c->tally.goalsFor += evening[s].goalsFor;
                c->tally.goalsAgainst += evening[s].goalsAgainst;
            }
        }
    }

    for (const PairKey& key : pairOrder)
        book.headToHead.append(pairs.value(key));
    for (Walker& w : walkers) {
        PlayerRecord& r = w.record;
        // The opponents in the order they were first met.
        for (int other = 0; other < walkers.size(); ++other) {
            const auto it = w.against.constFind(other);
            if (it == w.against.constEnd() || it->matches < 3)
                continue;
            if (!r.nemesis || it->compare(r.againstNemesis) < 0) {
                r.nemesis = walkers[other].record.player;
                r.againstNemesis = *it;
            }
        }
        book.players.append(r);

        PlayerClubs clubs{r.player, w.clubs, {}, {}, {}};
        for (const ClubRecord& c : w.clubs) {
            if (c.tournaments < 2)
                continue;
            if (!clubs.best || c.tally.compare(clubs.best->tally) > 0)
                clubs.best = c;
            if (!clubs.worst || c.tally.compare(clubs.worst->tally) < 0)
                clubs.worst = c;
        }
        // The known levels in their order, then any other a pool may be named by.
        QStringList names = starLevels();
        for (auto it = w.levels.cbegin(); it != w.levels.cend(); ++it)
            if (!names.contains(it.key()))
                names.insert(names.size() - 1, it.key());
        for (const QString& name : names)
            if (const auto it = w.levels.constFind(name); it != w.levels.constEnd()) {
                ClubRecord c = *it;
                c.player = r.player;
                c.club = name;
                clubs.levels.append(c);
            }
        book.clubs.append(clubs);
    }
    return book;
}

QString describeMatch(const History& history, const MatchAt& at, const TournamentDate& date) {
    const PlayedTournament& t = history.tournaments[at.tournament];
    const PlayedMatch& m = t.matches[at.match];
    return QStringLiteral("%1 (%2) - %3 (%4) %5:%6, %7")
        .arg(t.players[m.home], t.teams[m.home], t.players[m.away], t.teams[m.away])
        .arg(m.homeGoals)
        .arg(m.awayGoals)
        .arg(date(t));
}

QString describeTournament(const History& history, const TournamentRecord& r,
                           const TournamentDate& date) {
    const PlayedTournament& t = history.tournaments[r.tournament];
    const int a = (r.slot + 1) % 3, b = (r.slot + 2) % 3;
    return QStringLiteral("%1 (%2) против %3 (%4) и %5 (%6), %7")
        .arg(t.players[r.slot], t.teams[r.slot], t.players[a], t.teams[a], t.players[b], t.teams[b],
             date(t));
}

TournamentDate tournamentDate(const Clock& clock) {
    const QLocale locale = clock.locale();
    const QString format = clock.shortDateFormat();
    return [locale, format](const PlayedTournament& t) {
        return t.played.isValid() ? locale.toString(t.played.date(), format) : t.table;
    };
}

QString countOf(qint64 n, const QString& one, const QString& few, const QString& many) {
    const qint64 tens = n % 100, units = n % 10;
    const QString& word = tens >= 11 && tens <= 14
                              ? many
                              : (units == 1 ? one : (units >= 2 && units <= 4 ? few : many));
    return QString::number(n) + QLatin1Char(' ') + word;
}

QStringList newRecords(const RecordsBook& was, const History& history, const RecordsBook& is,
                       const TournamentDate& date) {
    QStringList news;
    // The first evening sets every record: nothing to tell yet.
    if (was.tournaments == 0)
        return news;
    const auto beats = [](const auto& now, const auto& before) {
        return now && (!before || now->value > before->value);
    };
    const GroupRecords& a = was.group;
    const GroupRecords& b = is.group;
    const QString kNew = QStringLiteral("Новый рекорд: ");
    if (beats(b.biggestWin, a.biggestWin))
        news << kNew + QStringLiteral("самая крупная победа - ") +
                    describeMatch(history, b.biggestWin->at, date);
    if (beats(b.mostGoals, a.mostGoals))
        news << kNew +
                    QStringLiteral("больше всего голов в матче (%1) - ").arg(b.mostGoals->value) +
                    describeMatch(history, b.mostGoals->at, date);
    if (beats(b.mostPoints, a.mostPoints))
        news
            << kNew +
                   QStringLiteral("больше всего очков за турнир (%1) - ").arg(b.mostPoints->value) +
                   describeTournament(history, *b.mostPoints, date);
    if (beats(b.bestDifference, a.bestDifference))
        news << kNew +
                    QStringLiteral("лучшая разница мячей за турнир (%1) - ")
                        .arg(b.bestDifference->value) +
                    describeTournament(history, *b.bestDifference, date);
    // The longest runs of the group: a run longer than every earlier one of its kind, by anyone.
    // A run is news from two on: a first win is no run yet.
    const auto matches = [](int n) {
        return countOf(n, QStringLiteral("матч"), QStringLiteral("матча"),
                       QStringLiteral("матчей"));
    };
    const auto tournaments = [](int n) {
        return countOf(n, QStringLiteral("турнир"), QStringLiteral("турнира"),
                       QStringLiteral("турниров"));
    };
    const struct {
        Run PlayerRecord::*run;
        const char* text;
        std::function<QString(int)> count;
    } kinds[] = {{&PlayerRecord::longestWins, "%1 выиграл %2 подряд", matches},
                 {&PlayerRecord::longestUnbeaten, "%1 не проиграл %2 подряд", matches},
                 {&PlayerRecord::longestFirstPlaces, "%1 выиграл %2 подряд", tournaments}};
    for (const auto& kind : kinds) {
        int longest = 1;
        for (const PlayerRecord& p : was.players)
            longest = std::max(longest, (p.*kind.run).length);
        for (const PlayerRecord& p : is.players)
            if ((p.*kind.run).length > longest)
                news << kNew + QString::fromUtf8(kind.text).arg(p.player,
                                                                kind.count((p.*kind.run).length));
    }
    return news;
}

namespace {

QString csvField(QString text) {
    // A cell a spreadsheet program would take for a formula is kept as text.
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
        text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' ')))
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    return text;
}

} // namespace

QByteArray matchesCsv(const History& history, const LevelOf& levelOf, const TournamentDate& date) {
    const auto level = [&](const QString& club) {
        const QString found = levelOf ? levelOf(club) : QString();
        return found.isEmpty() ? kOtherLevel : found;
    };
    QString out = QStringLiteral("Дата,Турнир,Хозяева,Команда хозяев,Гости,Команда гостей,"
                                 "Голы хозяев,Голы гостей,Уровень команды хозяев,"
                                 "Уровень команды гостей,Лучший бомбардир турнира\r\n");
    for (const PlayedTournament& t : history.tournaments) {
        if (!t.counted())
            continue;
        for (const PlayedMatch& m : t.matches) {
            if (!m.valid)
                continue;
            const QStringList row{date(t),
                                  t.table,
                                  t.players[m.home],
                                  t.teams[m.home],
                                  t.players[m.away],
                                  t.teams[m.away],
                                  QString::number(m.homeGoals),
                                  QString::number(m.awayGoals),
                                  level(t.teams[m.home]),
                                  level(t.teams[m.away]),
                                  t.bestScorer.value_or(QString())};
            for (int i = 0; i < row.size(); ++i) {
                if (i)
                    out += QLatin1Char(',');
                out += csvField(row[i]);
            }
            out += QStringLiteral("\r\n");
        }
    }
    return "\xEF\xBB\xBF" + out.toUtf8();
}

} // namespace kv
