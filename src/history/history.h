#pragma once

#include "history/tournamenttables.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kv {

// One of the six matches of a stored tournament, in the order of kMatches.
struct PlayedMatch {
    int home = 0; // player slot 0..2
    int away = 0;
    qint64 homeGoals = 0;
    qint64 awayGoals = 0;
    bool valid = false; // the stored cell is a pair of scores; when not, both goals are 0
};

// One stored tournament as plain values.
struct PlayedTournament {
    QString table;
    QDateTime played; // the date and time its name was made from; invalid when it names none
    std::array<QString, 3> players;
    std::array<QString, 3> teams;
    std::array<PlayedMatch, 6> matches;
    std::array<qint64, 3> goalsFor{};
    std::array<qint64, 3> goalsAgainst{};
    std::array<qint64, 3> points{};
    std::array<int, 3> places{}; // 1, 2 or 3; 0 when the stored place is none of them
    // The best scorer chosen in the results window ("Никто!" for nobody); none when the
    // tournament was written before the program kept it.
    std::optional<QString> bestScorer;
    // Why its figures cannot be counted (a cell that is not in the stored form); empty if they can.
    QString fault;
    // The earlier tournament whose rows this one repeats exactly; empty when none.
    QString copyOf;
    // The order its matches were played in; none for a tournament written before the program
    // kept it.
    std::optional<PlayOrder> playOrder;

    bool counted() const { return fault.isEmpty() && copyOf.isEmpty(); }
    // The places in `matches` in the order played; without a kept order, the order of the
    // results table.
    PlayOrder matchOrder() const { return playOrder.value_or(PlayOrder{0, 1, 2, 3, 4, 5}); }
    // What the tournament adds to the row of the player in slot 0..2 of "Total".
    Figures figures(int slot) const;
};

// A table that the history leaves out, and why (in the words shown to the players).
struct SkippedTable {
    QString table;
    QString reason;
};

struct History {
    // Every table with the tournament's columns and its three player rows, in the order played.
    QList<PlayedTournament> tournaments;
    // Tables with the tournament's columns whose rows are not those of a tournament.
    QList<SkippedTable> unreadable;
    // Every name of a counted tournament, in the order it first played.
    QStringList players;

    // The tables no sum counts: the unreadable, the damaged and the copies.
    QList<SkippedTable> leftOut() const;
    const PlayedTournament* find(const QString& table) const;
};

// The left-out tables as lines of text for the players: the first `most` of them, then how many
// more there are.
QStringList describeLeftOut(const QList<SkippedTable>& leftOut, int most = 10);

// One player's line of "Total" as stored and as it would be rebuilt from the tournaments.
struct TotalLine {
    QString player;
    std::optional<Figures> stored;  // none: no row in "Total"
    std::optional<Figures> rebuilt; // none: in no counted tournament (the row is kept)
};

struct TotalRebuild {
    // Every player of "Total" and of the counted tournaments, in the order of "Total" (by id),
    // then the players it lacks in the order they first played. Players match by exact name.
    QList<TotalLine> lines;
    QList<SkippedTable> leftOut;
};

// The reads of the history through the engine, for its store: the tables with every column of a
// tournament table in the order they were made; what changes whenever the file changes (this
// connection's changes, another connection's commits, the schema); the tournament tables as plain
// values, with their best scorers and play orders.
QStringList tournamentTableNames(sqlite3* db);
std::array<qint64, 3> fileStateOf(sqlite3* db);
History readTournamentTables(sqlite3* db, const QStringList& created,
                             const QHash<QString, QString>& scorers,
                             const QHash<QString, PlayOrder>& orders);

} // namespace kv
