#include "results/storedtournament.h"

#include "common/errors.h"
#include "results/standings.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace kv {

namespace {

const QString kScoreJoin = QStringLiteral("'-'");
const QStringList kTournamentColumns{"id",    "Player", "-",      "Team1", "Team2",
                                     "Team3", "Goals",  "Scores", "Rank"};
const QString kTotalColumns = QStringLiteral(
    "Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, Первый, Второй, Третий");

using sql::exec;
using sql::prepare;
using sql::sqlError;

// "3'-'1" as its two scores; anything else as the whole text and nothing.
std::pair<QString, QString> splitMatch(const QString& stored) {
    const qsizetype at = stored.indexOf(kScoreJoin);
    if (at < 0)
        return {stored, QString()};
    return {stored.left(at), stored.mid(at + kScoreJoin.size())};
}

// Wins, draws and losses from the twelve boxes; a match whose scores are not numbers counts
// as none of them.
void countResults(const QStringList& boxes, int player, PlayerEntry& entry) {
    int wins = 0, draws = 0, losses = 0;
    for (const OwnMatch& m : ownMatches(player)) {
        bool okOwn = false, okOpponent = false;
        const qint64 own = boxes.value(m.own).toLongLong(&okOwn);
        const qint64 opponent = boxes.value(m.opponent).toLongLong(&okOpponent);
        if (!okOwn || !okOpponent)
            continue;
        if (own > opponent)
            ++wins;
        else if (own == opponent)
            ++draws;
        else
            ++losses;
    }
    entry.wins = QString::number(wins);
    entry.draws = QString::number(draws);
    entry.losses = QString::number(losses);
}

Contribution negated(Contribution c) {
    c.wins = -c.wins;
    c.draws = -c.draws;
    c.losses = -c.losses;
    c.goalsFor = -c.goalsFor;
    c.goalsAgainst = -c.goalsAgainst;
    c.difference = -c.difference;
    c.points = -c.points;
    for (qint64& p : c.places)
        p = -p;
    return c;
}

void bindFigures(QSqlQuery& query, const Contribution& c) {
    const qint64 values[] = {c.wins,       c.draws,  c.losses,    c.goalsFor,  c.goalsAgainst,
                             c.difference, c.points, c.places[0], c.places[1], c.places[2]};
    for (qint64 v : values)
        query.addBindValue(v);
}

// Adds figures (negative ones take off) to the rows whose name is exactly the player's.
// Returns whether there was such a row.
bool addToTotal(const QSqlDatabase& db, const QString& player, const Contribution& c) {
    QSqlQuery query(db);
    prepare(query, QStringLiteral("UPDATE Total SET Побед=Побед+?, Ничьих=Ничьих+?, "
                                  "Поражений=Поражений+?, Забито=Забито+?, "
                                  "Пропущено=Пропущено+?, Разница=Разница+?, Очки=Очки+?, "
                                  "Первый=Первый+?, Второй=Второй+?, Третий=Третий+? "
                                  "WHERE Игрок=? COLLATE BINARY"));
    bindFigures(query, c);
    query.addBindValue(player);
    exec(query);
    return query.numRowsAffected() > 0;
}

void insertIntoTotal(const QSqlDatabase& db, const QString& player, const Contribution& c) {
    QSqlQuery query(db);
    prepare(query, QStringLiteral("INSERT INTO Total (Игрок, ") + kTotalColumns +
                       QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(player);
    bindFigures(query, c);
    exec(query);
}

template <typename F> void inTransaction(const QSqlDatabase& constDb, F&& work) {
    QSqlDatabase db = constDb;
    if (!db.transaction())
        throw sqlError(db.lastError());
    try {
        work();
        if (!db.commit())
            throw sqlError(db.lastError());
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

Contribution& Contribution::operator+=(const Contribution& o) {
    wins += o.wins;
    draws += o.draws;
    losses += o.losses;
    goalsFor += o.goalsFor;
    goalsAgainst += o.goalsAgainst;
    difference += o.difference;
    points += o.points;
    for (int i = 0; i < 3; ++i)
        places[i] += o.places[i];
    return *this;
}

Contribution contributionOf(const PlayerEntry& p) {
    Contribution c{sql::figure(p.wins),         sql::figure(p.draws),
                   sql::figure(p.losses),       sql::figure(p.goalsFor),
                   sql::figure(p.goalsAgainst), sql::figure(p.difference),
                   sql::figure(p.points),       {}};
    const std::array<int, 3> places = placeCounters(p.name, p.place);
    for (int i = 0; i < 3; ++i)
        c.places[i] = places[i];
    return c;
}

bool isTournamentTable(const QSqlDatabase& db, const QString& table) {
    const QSqlRecord record = db.record(table);
    for (const QString& column : kTournamentColumns)
        if (record.indexOf(column) < 0)
            return false;
    return true;
}

TournamentEntry readTournament(const QSqlDatabase& db, const QString& table) {
    if (table == kTotalTable || !isTournamentTable(db, table))
        throw Error(QStringLiteral("\"%1\" - не таблица турнира. Выберите в списке турнир "
                                   "(его имя - дата и время записи) и повторите.")
                        .arg(table));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    prepare(query, QStringLiteral("SELECT id, Player, \"-\", Team1, Team2, Team3, Goals, Scores, "
                                  "Rank FROM ") +
                       quoteIdentifier(table) + QStringLiteral(" ORDER BY id"));
    exec(query);
    std::array<bool, 3> seen{};
    TournamentEntry entry;
    entry.boxes = QStringList(12, QString());
    // Team i's match against team j is boxes (own, opponent) as the write put them.
    static const int kBoxes[3][3][2] = {
        {{-1, -1}, {0, 1}, {8, 9}}, {{2, 3}, {-1, -1}, {10, 11}}, {{4, 5}, {6, 7}, {-1, -1}}};
    while (query.next()) {
        const int id = query.value(0).toInt();
        if (id < 1 || id > 3 || seen[id - 1])
            continue;
        const int i = id - 1;
        seen[i] = true;
        PlayerEntry& p = entry.players[i];
        p.name = query.value(1).toString();
        p.team = query.value(2).toString();
        for (int j = 0; j < 3; ++j) {
            if (j == i)
                continue;
            const auto [own, opponent] = splitMatch(query.value(3 + j).toString());
            entry.boxes[kBoxes[i][j][0]] = own;
            entry.boxes[kBoxes[i][j][1]] = opponent;
        }
        const auto [goalsFor, goalsAgainst] = splitMatch(query.value(6).toString());
        p.goalsFor = goalsFor;
        p.goalsAgainst = goalsAgainst;
        bool okFor = false, okAgainst = false;
        const qint64 f = goalsFor.toLongLong(&okFor), a = goalsAgainst.toLongLong(&okAgainst);
        p.difference = okFor && okAgainst ? QString::number(f - a) : QString();
        p.points = query.value(7).toString();
        p.place = query.value(8).toString();
    }
    if (!seen[0] || !seen[1] || !seen[2])
        throw Error(QStringLiteral("В таблице турнира \"%1\" нет всех трёх игроков (строк с id 1, "
                                   "2 и 3), такой турнир нельзя исправить.")
                        .arg(table));
    for (int i = 0; i < 3; ++i)
        countResults(entry.boxes, i, entry.players[i]);
    return entry;
}

void correctTournament(const QSqlDatabase& db, const QString& table,
                       const TournamentEntry& corrected) {
    // The corrected figures are checked before anything is written.
    std::array<Contribution, 3> added;
    for (int i = 0; i < 3; ++i)
        added[i] = contributionOf(corrected.players[i]);

    inTransaction(db, [&] {
        const TournamentEntry stored = readTournament(db, table);
        for (const PlayerEntry& p : stored.players)
            addToTotal(db, p.name, negated(contributionOf(p)));

        QSqlQuery query(db);
        prepare(query, QStringLiteral("DELETE FROM ") + quoteIdentifier(table));
        exec(query);
        prepare(query, QStringLiteral("INSERT INTO ") + quoteIdentifier(table) +
                           QStringLiteral(" (id, Player, \"-\", Team1, Team2, Team3, Goals, "
                                          "Scores, Rank) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const TournamentRow& row : tournamentRows(corrected)) {
            query.addBindValue(row.id);
            query.addBindValue(row.player);
            query.addBindValue(row.team);
            for (const QString& team : row.teams)
                query.addBindValue(team);
            query.addBindValue(row.goals);
            query.addBindValue(row.scores);
            query.addBindValue(row.rank);
            exec(query);
        }
        for (int i = 0; i < 3; ++i)
            UpdateTotal(db, corrected.players[i]);
    });
}

QList<TotalLine> rebuiltTotal(const QSqlDatabase& db) {
    QList<TotalLine> lines;
    QHash<QString, qsizetype> at;
    const auto line = [&](const QString& player) -> TotalLine& {
        auto it = at.constFind(player);
        if (it == at.constEnd()) {
            it = at.insert(player, lines.size());
            lines.append({player, std::nullopt, std::nullopt});
        }
        return lines[*it];
    };

    QSqlQuery query(db);
    query.setForwardOnly(true);
    prepare(query, QStringLiteral("SELECT Игрок, ") + kTotalColumns +
                       QStringLiteral(" FROM Total ORDER BY id"));
    exec(query);
    while (query.next()) {
        Contribution c{query.value(1).toLongLong(), query.value(2).toLongLong(),
                       query.value(3).toLongLong(), query.value(4).toLongLong(),
                       query.value(5).toLongLong(), query.value(6).toLongLong(),
                       query.value(7).toLongLong(), {}};
        for (int i = 0; i < 3; ++i)
            c.places[i] = query.value(8 + i).toLongLong();
        TotalLine& l = line(query.value(0).toString());
        // A name stored twice counts once with both rows' sums: that is what "Total" holds.
        if (l.stored)
            *l.stored += c;
        else
            l.stored = c;
    }
    query.finish();

    const QStringList tables = db.tables(QSql::Tables);
    QList<QString> tournaments;
    // The order of creation, which is the order the players first played.
    prepare(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY "
                                  "rowid"));
    exec(query);
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (name != kTotalTable && tables.contains(name) && isTournamentTable(db, name))
            tournaments.append(name);
    }
    query.finish();
    for (const QString& table : tournaments) {
        const TournamentEntry entry = readTournament(db, table);
        for (const PlayerEntry& p : entry.players) {
            TotalLine& l = line(p.name);
            const Contribution c = contributionOf(p);
            if (l.rebuilt)
                *l.rebuilt += c;
            else
                l.rebuilt = c;
        }
    }
    return lines;
}

void replaceTotal(const QSqlDatabase& db, const QList<TotalLine>& lines) {
    inTransaction(db, [&] {
        for (const TotalLine& l : lines) {
            if (!l.rebuilt)
                continue;
            QSqlQuery query(db);
            // One row per player: the first keeps the sums, others of the same name go.
            prepare(query, QStringLiteral("DELETE FROM Total WHERE Игрок=? COLLATE BINARY AND "
                                          "id <> (SELECT min(id) FROM Total WHERE Игрок=? "
                                          "COLLATE BINARY)"));
            query.addBindValue(l.player);
            query.addBindValue(l.player);
            exec(query);
            prepare(query, QStringLiteral("UPDATE Total SET Побед=?, Ничьих=?, Поражений=?, "
                                          "Забито=?, Пропущено=?, Разница=?, Очки=?, Первый=?, "
                                          "Второй=?, Третий=? WHERE Игрок=? COLLATE BINARY"));
            bindFigures(query, *l.rebuilt);
            query.addBindValue(l.player);
            exec(query);
            if (query.numRowsAffected() == 0)
                insertIntoTotal(db, l.player, *l.rebuilt);
        }
    });
}

} // namespace kv
