#pragma once

#include "common/errors.h"
#include "tournament/standings.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

struct sqlite3;

namespace kv {

class Clock;

// The statement steps of every read and change of the database: each throws the database's own
// text on failure.
namespace sql {
// Throws the engine's error as the players read it (see throwEngineError).
[[noreturn]] void fail(const QSqlError& error);
void prepare(QSqlQuery& query, const QString& statement);
void exec(QSqlQuery& query);
void exec(QSqlQuery& query, const QString& statement);
// The engine under an open connection, for the reads and copies its driver would slow down;
// throws when there is none.
sqlite3* handle(const QSqlDatabase& db);
} // namespace sql

// The database file in the working folder. The program never creates it.
inline const QString kDatabaseFile = QStringLiteral("base.db");
inline const QString kTotalTable = QStringLiteral("Total");

// A player's figures of one tournament, or their sums over many, as "Total" keeps them.
struct Figures {
    qint64 wins = 0;
    qint64 draws = 0;
    qint64 losses = 0;
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;
    qint64 difference = 0;
    qint64 points = 0;
    std::array<qint64, 3> places{}; // Первый, Второй, Третий

    // The ten figures in the order of the columns of "Total" (kTotalFigureColumns), and back.
    std::array<qint64, 10> inTotalOrder() const;
    static Figures fromTotalOrder(const std::array<qint64, 10>& values);
    // The place of one tournament: 1, 2 or 3, or 0 when the counters name none or several.
    int place() const;
    Figures& operator+=(const Figures& other);
    Figures operator-() const;
    bool operator==(const Figures&) const = default;
};

// The counters of one tournament's place: 1 in the column of the place.
std::array<qint64, 3> placeCounters(int place);

// One player's line of a tournament: name, team and figures.
struct PlayerEntry {
    QString name;
    QString team;
    Figures figures;
};

// What one press of "Записать в базу" stores: the three players in slot order and the twelve
// score boxes Edit1 .. Edit12 as typed.
struct TournamentEntry {
    std::array<PlayerEntry, 3> players;
    QStringList boxes;
    // The order its matches were played in, kept with a new tournament; none when not known.
    std::optional<PlayOrder> playOrder;
};

// What a write stores for the players and teams of slots 1..3: the standings exactly as they
// were computed, with the boxes they were computed from.
TournamentEntry tournamentEntry(const QStringList& names, const QStringList& teams,
                                const ComputedStandings& computed);
// The write of a tournament whose result was never computed.
Error notComputed(const QString& playerName);
// A place that is not 1, 2 or 3: nothing may be written.
Error wrongPlace(const QString& playerName, const QString& place);

// The tournament table: its columns in their order, and the statement that creates it.
inline const QStringList kTournamentColumns{"id",    "Player", "-",      "Team1", "Team2",
                                            "Team3", "Goals",  "Scores", "Rank"};
QString createTournamentStatement(const QString& tableName);
// How the grid shows a stored table: Russian headings for the tournament table's columns, and a
// pair of scores as "4:1". Anything else is shown as stored.
QString columnHeading(const QString& column);
QString shownCell(const QString& column, const QString& stored);

// The columns of "Total" that hold figures, in the order of Figures.
inline const QStringList kTotalFigureColumns{"Побед",     "Ничьих",  "Поражений", "Забито",
                                             "Пропущено", "Разница", "Очки",      "Первый",
                                             "Второй",    "Третий"};

// One row of a tournament table as stored. A match is stored as own goals, '-' in apostrophes
// and the opponent's goals (3'-'1), "-" in the player's own column; the goals as for'-'against.
struct TournamentRow {
    int id = 0;
    QString player;
    QString team;
    std::array<QString, 3> teams; // Team1, Team2, Team3
    QString goals;
    QString scores;
    QString rank;
    bool operator==(const TournamentRow&) const = default;
};
std::array<TournamentRow, 3> tournamentRows(const TournamentEntry& entry);

// A stored pair of scores ("3'-'1") as its two texts; a text without the join is the first.
std::pair<QString, QString> splitScores(const QString& stored);
// A stored whole number as the window accepts it: leading blanks, a sign, decimal digits.
std::optional<qint64> storedNumber(QStringView text);
// Both scores of a stored pair as numbers, or nothing when the cell is not in that form.
std::optional<std::pair<qint64, qint64>> storedScores(const QString& stored);

// A play order as the database keeps it, by player slot so that no rename touches it: the home and
// away slot of each match in the order played, "1-2 3-1 2-3 2-1 1-3 3-2". Anything else reads
// as no order.
QString storedPlayOrder(const PlayOrder& order);
std::optional<PlayOrder> playOrderFromStored(const QString& stored);

// The name of a tournament table from the date and time of the press, for example
// 08_12_2016__21_05_33. From here on the clock writes dates with "." and times with ":".
QString tournamentTableName(Clock& clock);

// An identifier in double quotes, so that names starting with a digit or holding "-" work.
QString quoteIdentifier(const QString& name);
// The name of a tournament table's own index on id. Index names are shared by the whole
// database, so each table's index carries the table's name: "<table>.id".
QString tournamentIndexName(const QString& tableName);

// Adds figures (negative ones take off) to every row of "Total" whose name is exactly the
// player's. Returns whether there was such a row.
bool addToTotal(const QSqlDatabase& db, const QString& player, const Figures& figures);
// Puts figures in place of the sums of the rows whose name is exactly the player's. Returns
// whether there was such a row.
bool setTotal(const QSqlDatabase& db, const QString& player, const Figures& figures);
// A new row of "Total".
void insertIntoTotal(const QSqlDatabase& db, const QString& player, const Figures& figures);

// Adds one player's figures to "Total": the row whose name is exactly the player's gets the
// sums, a player without such a row gets a new one. Throws the database's error text.
void UpdateTotal(const QSqlDatabase& db, const PlayerEntry& player);

} // namespace kv
