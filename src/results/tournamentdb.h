#pragma once

#include "common/errors.h"
#include "results/standings.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace kv {

class Clock;

// The statement steps both the writes and the corrections take: each throws the database's own
// text on failure.
namespace sql {
Error sqlError(const QSqlError& error);
void prepare(QSqlQuery& query, const QString& statement);
void exec(QSqlQuery& query);
void exec(QSqlQuery& query, const QString& statement);
// A figure of the standings as the whole number its text shows; anything else throws.
qint64 figure(const QString& text);
} // namespace sql

// The database file in the working folder. The program never creates it.
inline const QString kDatabaseFile = QStringLiteral("base.db");
inline const QString kTotalTable = QStringLiteral("Total");

// One player's line of the results window, every value as the text it shows.
struct PlayerEntry {
    QString name;
    QString team;
    QString wins;
    QString draws;
    QString losses;
    QString goalsFor;
    QString goalsAgainst;
    QString difference;
    QString points;
    QString place;
};

// What one press of "Записать в базу" stores: the three players in slot order and the twelve
// score boxes Edit1 .. Edit12.
struct TournamentEntry {
    std::array<PlayerEntry, 3> players;
    QStringList boxes;
};

// One row of a tournament table. A match is stored as own goals, '-' in apostrophes and the
// opponent's goals (3'-'1), "-" in the player's own column.
struct TournamentRow {
    int id = 0;
    QString player;
    QString team;
    std::array<QString, 3> teams; // Team1, Team2, Team3
    QString goals;
    QString scores;
    QString rank;
};
std::array<TournamentRow, 3> tournamentRows(const TournamentEntry& entry);

// What a write stores for the players and teams of slots 1..3: the standings exactly as they
// were computed, with the boxes they were computed from.
TournamentEntry tournamentEntry(const QStringList& names, const QStringList& teams,
                                const ComputedStandings& computed);
// The write of a tournament whose result was never computed.
Error notComputed(const QString& playerName);

// The name of a tournament table from the date and time of the press, for example
// 08_12_2016__21_05_33. From here on the clock writes dates with "." and times with ":".
QString tournamentTableName(Clock& clock);

// An identifier in double quotes, so that names starting with a digit or holding "-" work.
QString quoteIdentifier(const QString& name);
// The name of a tournament table's own index on id. Index names are shared by the whole
// database, so each table's index carries the table's name: "<table>.id".
QString tournamentIndexName(const QString& tableName);
// The statement that creates a tournament table.
QString createTournamentStatement(const QString& tableName);

// The place counters Первый, Второй, Третий for a place text; anything but "1", "2", "3"
// throws before anything is written.
std::array<int, 3> placeCounters(const QString& playerName, const QString& place);

// Adds one player's figures to "Total": the row whose name is exactly the player's gets the
// sums, a player without such a row gets a new one. Throws the database's error text.
void UpdateTotal(const QSqlDatabase& db, const PlayerEntry& player);

// The connection to the tournament database, one per owner.
class TournamentDb {
public:
    using Progress = std::function<void(int percent)>;

    explicit TournamentDb(QString fileName = kDatabaseFile);
    ~TournamentDb();
    TournamentDb(const TournamentDb&) = delete;
    TournamentDb& operator=(const TournamentDb&) = delete;

    // Opens the existing file read-write. A missing file is an error, never created.
    void open();
    bool isOpen() const;
    QSqlDatabase database() const;
    QString connectionName() const { return connectionName_; }
    QString fileName() const { return fileName_; }

    // All ordinary tables and views, without the engine's own sqlite_* tables, sorted.
    QStringList tableNames();

    // Stores a tournament: its table with three rows and its index, then each player's sums in
    // "Total". All or nothing: on any failure the database is left exactly as before and the
    // error is thrown. progress gets 13 when the table stands, then 33, 66, 100 per player.
    void writeTournament(const QString& tableName, const TournamentEntry& entry,
                         const Progress& progress = {});

private:
    QString fileName_;
    QString connectionName_;
};

} // namespace kv
