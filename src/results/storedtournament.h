#pragma once

#include "results/tournamentdb.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <optional>

namespace kv {

// What one tournament adds to a player's row of "Total".
struct Contribution {
    qint64 wins = 0;
    qint64 draws = 0;
    qint64 losses = 0;
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;
    qint64 difference = 0;
    qint64 points = 0;
    std::array<qint64, 3> places{}; // Первый, Второй, Третий

    Contribution& operator+=(const Contribution& other);
    bool operator==(const Contribution&) const = default;
};

// A player's figures from the results window's texts (what a write adds to "Total").
Contribution contributionOf(const PlayerEntry& player);

// Reads a stored tournament back into what the results window shows: names, teams, the twelve
// score boxes (3'-'1 gives 3 and 1) and each player's figures. Wins, draws and losses are not
// stored, so they come from the stored scores. Throws a message when the table is not a
// tournament of this program.
TournamentEntry readTournament(const QSqlDatabase& db, const QString& table);

// Whether a table has the columns of a tournament table.
bool isTournamentTable(const QSqlDatabase& db, const QString& table);

// Replaces the rows of a stored tournament by the corrected one and moves "Total" by the
// difference: the stored tournament's figures come off each of its players' rows and the
// corrected ones are added, as if the corrected tournament had been written in the first place.
// A player no longer in "Total" gets a row. All or nothing: on failure the database stays as it
// was and the error is thrown.
void correctTournament(const QSqlDatabase& db, const QString& table,
                       const TournamentEntry& corrected);

// One player's line of "Total" as stored and as it would be rebuilt from the tournaments.
struct TotalLine {
    QString player;
    std::optional<Contribution> stored;  // none: no row in "Total"
    std::optional<Contribution> rebuilt; // none: in no tournament table (the row is kept)
};

// Every player of "Total" and of the tournament tables, in the order of "Total" (by id), then
// the players it lacks in the order they first played. Players are matched by exact name.
QList<TotalLine> rebuiltTotal(const QSqlDatabase& db);

// Puts the rebuilt sums in "Total" in one transaction: rows of players of some tournament get
// the sums (new players get a row), rows of other players stay as they are.
void replaceTotal(const QSqlDatabase& db, const QList<TotalLine>& lines);

} // namespace kv
