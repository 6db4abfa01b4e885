#include "records/records.h"

#include "common/clock.h"
#include "records/rating.h"

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

Tally& Tally::operator+=(const Tally& o) {
    matches += o.matches;
    wins += o.wins;
    draws += o.draws;
    losses += o.losses;
    goalsFor += o.goalsFor;
    goalsAgainst += o.goalsAgainst;
    return *this;
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

QString pointsPerMatch(const Tally& t) {
    if (!t.matches)
        return QStringLiteral("-");
    // Rounded half up from the exact fraction, as anyone recomputing it by hand would.
    const qint64 hundredths = (200 * qint64(t.points()) + t.matches) / (2 * qint64(t.matches));
    return QStringLiteral("%1,%2")
        .arg(hundredths / 100)
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

const QStringList& starLevels() {
    static const QStringList levels{QStringLiteral("Клубы 4*"),   QStringLiteral("Клубы 4,5*"),
                                    QStringLiteral("Клубы 5*"),   QStringLiteral("Суперклубы"),
                                    QStringLiteral("Сборные 4*"), QStringLiteral("Сборные 4,5*"),
                                    QStringLiteral("Сборные 5*"), kOtherLevel};
    return levels;
}

namespace {

// One walk through the history, tournament by tournament and match by match, filling the book.
class RecordsWalk {
public:
    RecordsWalk(const History& history, const LevelOf& levelOf)
        : history_(history), levelOf_(levelOf) {}
    void tournament(int t);
    RecordsBook finish();

private:
    int walker(const QString& name);
    HeadToHead& pair(int a, int b);
    QString level(const QString& club);
    void match(const MatchAt& at, const std::array<int, 3>& who, std::array<Tally, 3>& evening);
    void headToHead(int me, int other, qint64 own, qint64 theirs, const MatchAt& at);
    void placing(int t, int slot, Walker& w, const Tally& evening);
    void nemesis(Walker& w) const;
    PlayerClubs clubsOf(const Walker& w) const;

    const History& history_;
    const LevelOf& levelOf_;
    RecordsBook book_;
    QHash<QString, int> index_;
    QList<Walker> walkers_;
    QHash<PairKey, HeadToHead> pairs_;
    QList<PairKey> pairOrder_;
    QHash<QString, QString> levelCache_;
};

int RecordsWalk::walker(const QString& name) {
    auto it = index_.constFind(name);
    if (it == index_.constEnd()) {
        it = index_.insert(name, int(walkers_.size()));
        walkers_.append(Walker{});
        walkers_.last().record.player = name;
    }
    return *it;
}

HeadToHead& RecordsWalk::pair(int a, int b) {
    auto it = pairs_.find({a, b});
    if (it == pairs_.end()) {
        it = pairs_.insert(
            {a, b},
            HeadToHead{walkers_[a].record.player, walkers_[b].record.player, {}, {}, {}, {}});
        pairOrder_.append({a, b});
    }
    return *it;
}

QString RecordsWalk::level(const QString& club) {
    auto it = levelCache_.constFind(club);
    if (it == levelCache_.constEnd()) {
        it = levelCache_.insert(club, levelOrOther(levelOf_, club));
    }
    return *it;
}

void RecordsWalk::tournament(int t) {
    const PlayedTournament& played = history_.tournaments[t];
    if (!played.counted())
        return;
    ++book_.tournaments;
    if (!played.bestScorer)
        ++book_.withoutBestScorer;
    std::array<int, 3> who{};
    std::array<Tally, 3> evening{};
    for (int s = 0; s < 3; ++s)
        who[s] = walker(played.players[s]);
    if (!played.playOrder)
        ++book_.withoutPlayOrder;
    for (const int m : played.matchOrder())
        if (played.matches[m].valid)
            match(MatchAt{t, m}, who, evening);
    for (int s = 0; s < 3; ++s)
        placing(t, s, walkers_[who[s]], evening[s]);
}

void RecordsWalk::match(const MatchAt& at, const std::array<int, 3>& who,
                        std::array<Tally, 3>& evening) {
    const PlayedMatch& match = matchAt(history_, at);
    const int home = who[match.home], away = who[match.away];
    const qint64 hg = match.homeGoals, ag = match.awayGoals;
    evening[match.home].add(hg, ag);
    evening[match.away].add(ag, hg);
    for (const auto& [me, other, own, theirs] :
         {std::tuple{home, away, hg, ag}, std::tuple{away, home, ag, hg}}) {
        PlayerRecord& r = walkers_[me].record;
        step(r.currentWins, r.longestWins, own > theirs, at.tournament);
        step(r.currentUnbeaten, r.longestUnbeaten, own >= theirs, at.tournament);
        step(r.currentLosses, r.longestLosses, own < theirs, at.tournament);
        walkers_[me].against[other].add(own, theirs);
        // Each pair once, from the side of the one who played first.
        if (me < other)
            headToHead(me, other, own, theirs, at);
    }
    GroupRecords& group = book_.group;
    if (hg != ag && (!group.biggestWin || std::abs(hg - ag) > group.biggestWin->value))
        group.biggestWin = MatchRecord{at, std::abs(hg - ag)};
    // A record needs something to hold: a 0:0 is no record of goals.
    if (hg + ag > 0 && (!group.mostGoals || hg + ag > group.mostGoals->value))
        group.mostGoals = MatchRecord{at, hg + ag};
}

void RecordsWalk::headToHead(int me, int other, qint64 own, qint64 theirs, const MatchAt& at) {
    HeadToHead& h = pair(me, other);
    h.tally.add(own, theirs);
    h.lastFive.append(at);
    if (h.lastFive.size() > 5)
        h.lastFive.removeFirst();
    const auto bigger = [&](const std::optional<MatchAt>& held, qint64 margin) {
        if (!held)
            return true;
        const PlayedMatch& before = matchAt(history_, *held);
        return margin > std::abs(before.homeGoals - before.awayGoals);
    };
    if (own > theirs && bigger(h.biggestWin, own - theirs))
        h.biggestWin = at;
    if (own < theirs && bigger(h.biggestLoss, theirs - own))
        h.biggestLoss = at;
}

// One player's evening: his place, his points and difference, his club and its level.
void RecordsWalk::placing(int t, int slot, Walker& w, const Tally& evening) {
    const PlayedTournament& played = history_.tournaments[t];
    GroupRecords& group = book_.group;
    PlayerRecord& r = w.record;
    ++r.tournaments;
    const bool first = played.places[slot] == 1;
    if (first)
        ++r.firstPlaces;
    step(r.currentFirstPlaces, r.longestFirstPlaces, first, t);
    if (played.bestScorer && *played.bestScorer == r.player)
        ++r.bestScorer;
    const qint64 points = played.points[slot];
    if (!group.mostPoints || points > group.mostPoints->value)
        group.mostPoints = TournamentRecord{t, slot, points};
    const qint64 difference = played.goalsFor[slot] - played.goalsAgainst[slot];
    if (difference > 0 && (!group.bestDifference || difference > group.bestDifference->value))
        group.bestDifference = TournamentRecord{t, slot, difference};

    const QString& club = played.teams[slot];
    auto at = w.clubAt.constFind(club);
    if (at == w.clubAt.constEnd()) {
        at = w.clubAt.insert(club, int(w.clubs.size()));
        w.clubs.append(ClubRecord{r.player, club, 0, {}});
    }
    for (ClubRecord* c : {&w.clubs[*at], &w.levels[level(club)]}) {
        ++c->tournaments;
        c->tally += evening;
    }
}

void RecordsWalk::nemesis(Walker& w) const {
    PlayerRecord& r = w.record;
    // The opponents in the order they were first met.
    for (int other = 0; other < walkers_.size(); ++other) {
        const auto it = w.against.constFind(other);
        // Only an opponent he lost to more often than he beat is a nemesis.
        if (it == w.against.constEnd() || it->matches < 3 || it->losses <= it->wins)
            continue;
        if (!r.nemesis || it->compare(r.againstNemesis) < 0) {
            r.nemesis = walkers_[other].record.player;
            r.againstNemesis = *it;
        }
    }
}

PlayerClubs RecordsWalk::clubsOf(const Walker& w) const {
    PlayerClubs clubs{w.record.player, w.clubs, {}, {}, {}};
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
            c.player = w.record.player;
            c.club = name;
            clubs.levels.append(c);
        }
    return clubs;
}

RecordsBook RecordsWalk::finish() {
    for (const PairKey& key : pairOrder_)
        book_.headToHead.append(pairs_.value(key));
    for (Walker& w : walkers_) {
        nemesis(w);
        book_.players.append(w.record);
        book_.clubs.append(clubsOf(w));
    }
    return std::move(book_);
}

} // namespace

RecordsBook computeRecords(const History& history, const LevelOf& levelOf) {
    RecordsWalk walk(history, levelOf);
    for (int t = 0; t < history.tournaments.size(); ++t)
        walk.tournament(t);
    RecordsBook book = walk.finish();
    book.leftOut = history.leftOut();
    return book;
}

void markFormerPlayers(RecordsBook& book, const QStringList& currentPlayers) {
    if (currentPlayers.isEmpty())
        return;
    for (PlayerRecord& p : book.players) {
        p.former = !currentPlayers.contains(p.player);
        if (p.former)
            p.currentWins = p.currentUnbeaten = p.currentLosses = p.currentFirstPlaces = {};
    }
}

QString isolated(const QString& name) {
    // A right-to-left name keeps its direction to itself, so that the sentence around it still
    // reads from left to right.
    return name.isRightToLeft() ? QChar(0x2068) + name + QChar(0x2069) : name;
}

QString describeMatch(const History& history, const MatchAt& at, const TournamentDate& date,
                      const QString& firstSide) {
    const PlayedTournament& t = history.tournaments[at.tournament];
    const PlayedMatch& m = t.matches[at.match];
    const bool swap = !firstSide.isEmpty() && t.players[m.away] == firstSide;
    const int a = swap ? m.away : m.home, b = swap ? m.home : m.away;
    return QStringLiteral("%1 (%2) - %3 (%4) %5:%6, %7")
        .arg(isolated(t.players[a]), isolated(t.teams[a]), isolated(t.players[b]),
             isolated(t.teams[b]))
        .arg(swap ? m.awayGoals : m.homeGoals)
        .arg(swap ? m.homeGoals : m.awayGoals)
        .arg(date(t));
}

QString describeTournament(const History& history, const TournamentRecord& r,
                           const TournamentDate& date) {
    const PlayedTournament& t = history.tournaments[r.tournament];
    const int a = (r.slot + 1) % 3, b = (r.slot + 2) % 3;
    return QStringLiteral("%1 (%2) против %3 (%4) и %5 (%6), %7")
        .arg(isolated(t.players[r.slot]), isolated(t.teams[r.slot]), isolated(t.players[a]),
             isolated(t.teams[a]), isolated(t.players[b]), isolated(t.teams[b]), date(t));
}

TournamentDate tournamentDate() {
    // The program speaks Russian: its dates read the same whatever the system's language.
    return [](const PlayedTournament& t) {
        return t.played.isValid() ? t.played.date().toString(QStringLiteral("dd.MM.yyyy"))
                                  : t.table;
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

EveningNews eveningNews(const History& history, const QStringList& written,
                        const LevelOf& levelOf, const TournamentDate& date) {
    History before = history;
    before.tournaments.removeIf(
        [&](const PlayedTournament& t) { return written.contains(t.table); });
    return {ratingNews(history, written, levelOf),
            newRecords(computeRecords(before), history, computeRecords(history), date)};
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

QString levelOrOther(const LevelOf& levelOf, const QString& club) {
    const QString found = levelOf ? levelOf(club) : QString();
    return found.isEmpty() ? kOtherLevel : found;
}

MatchesTable matchesTable(const History& history, const LevelOf& levelOf) {
    const auto level = [&](const QString& club) { return levelOrOther(levelOf, club); };
    MatchesTable table;
    table.header = QStringList{
        QStringLiteral("Дата"),          QStringLiteral("Турнир"),
        QStringLiteral("Хозяева"),       QStringLiteral("Команда хозяев"),
        QStringLiteral("Гости"),         QStringLiteral("Команда гостей"),
        QStringLiteral("Голы хозяев"),   QStringLiteral("Голы гостей"),
        QStringLiteral("Уровень команды хозяев"), QStringLiteral("Уровень команды гостей"),
        QStringLiteral("Лучший бомбардир турнира")};
    for (const PlayedTournament& t : history.tournaments) {
        if (!t.counted())
            continue;
        for (const int at : t.matchOrder()) {
            const PlayedMatch& m = t.matches[at];
            if (!m.valid)
                continue;
            // A table whose name gives no date has an empty date: its name has its own column.
            table.rows.append(TableRow{t.played.isValid() ? t.played.date() : QDate(),
                                       t.table,
                                       t.players[m.home],
                                       t.teams[m.home],
                                       t.players[m.away],
                                       t.teams[m.away],
                                       m.homeGoals,
                                       m.awayGoals,
                                       level(t.teams[m.home]),
                                       level(t.teams[m.away]),
                                       t.bestScorer.value_or(QString())});
        }
    }
    return table;
}

QByteArray matchesCsv(const History& history, const LevelOf& levelOf, const TournamentDate& date) {
    const MatchesTable table = matchesTable(history, levelOf);
    const auto dateOf = [&](const QDate& day) {
        PlayedTournament t;
        t.played = day.startOfDay();
        return date(t);
    };
    QString out = table.header.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const TableRow& row : table.rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (i)
                out += QLatin1Char(',');
            if (const QString* text = std::get_if<QString>(&row[i]))
                out += csvField(*text);
            else if (const qint64* number = std::get_if<qint64>(&row[i]))
                out += QString::number(*number);
            else if (const QDate day = std::get<QDate>(row[i]); day.isValid())
                out += csvField(dateOf(day));
        }
        out += QStringLiteral("\r\n");
    }
    return "\xEF\xBB\xBF" + out.toUtf8();
}

void saveMatchesWorkbook(const QString& path, const History& history, const LevelOf& levelOf) {
    const MatchesTable table = matchesTable(history, levelOf);
    writeTableWorkbook(path, QStringLiteral("Матчи"), table.header, table.rows);
}

} // namespace kv
