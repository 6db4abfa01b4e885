#pragma once

#include "common/xlsxtable.h"
#include "history/history.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The records book: what the counted tournaments of the history say about the players, the
// pairs of players, the clubs they were drawn and the group. Figures only, computed afresh each
// time from the history; the window and the CSV of the matches are built on it.
namespace kv {

class Clock;

// A match of the history: the tournament (its place in History::tournaments) and the match
// (its place in PlayedTournament::matches).
struct MatchAt {
    int tournament = -1;
    int match = -1;
};

// Wins, draws, losses and goals of one side over some matches.
struct Tally {
    int matches = 0;
    int wins = 0;
    int draws = 0;
    int losses = 0;
    qint64 goalsFor = 0;
    qint64 goalsAgainst = 0;

    void add(qint64 own, qint64 other);
    Tally& operator+=(const Tally& other);
    int points() const { return 3 * wins + draws; }
    // Compared by points a match, then goal difference a match: -1, 0 or 1.
    int compare(const Tally& other) const;
};

// Points a match with two decimals and a comma ("1,58"), "-" without a match.
QString pointsPerMatch(const Tally& t);

// How two players fared against each other, from the first one's side.
struct HeadToHead {
    QString player;
    QString opponent;
    Tally tally;
    QList<MatchAt> lastFive;            // oldest first
    std::optional<MatchAt> biggestWin;  // the player's
    std::optional<MatchAt> biggestLoss; // the opponent's biggest win
};

// A run of matches or tournaments in a row: its length and where it began and ended.
struct Run {
    int length = 0;
    int firstTournament = -1;
    int lastTournament = -1;
};

struct PlayerRecord {
    QString player;
    int tournaments = 0;
    int firstPlaces = 0;
    // Over the player's matches, in the order played: wins, matches without a loss, losses.
    Run currentWins, longestWins;
    Run currentUnbeaten, longestUnbeaten;
    Run currentLosses, longestLosses;
    // First places in a row over the tournaments he played.
    Run currentFirstPlaces, longestFirstPlaces;
    // The opponent he fared worst against in at least three matches.
    std::optional<QString> nemesis;
    Tally againstNemesis;
    int bestScorer = 0; // times chosen best scorer
    // No longer one of the three who play: his runs are over, none is current.
    bool former = false;
};

// A record of one match: who won (or, for the most goals, the first player) against whom.
struct MatchRecord {
    MatchAt at;
    qint64 value = 0;
};
// A record of one player's tournament.
struct TournamentRecord {
    int tournament = -1;
    int slot = -1;
    qint64 value = 0;
};

struct GroupRecords {
    std::optional<MatchRecord> biggestWin;      // by goal difference
    std::optional<MatchRecord> mostGoals;       // both sides together
    std::optional<TournamentRecord> mostPoints; // in one tournament
    std::optional<TournamentRecord> bestDifference;
};

// A player's record with one club, or with one star level.
struct ClubRecord {
    QString player;
    QString club; // or the level
    int tournaments = 0;
    Tally tally;
};

struct PlayerClubs {
    QString player;
    QList<ClubRecord> clubs; // in the order first drawn
    // Among clubs of at least two tournaments; none when there are none such.
    std::optional<ClubRecord> best;
    std::optional<ClubRecord> worst;
    QList<ClubRecord> levels; // in the order of the levels
};

struct RecordsBook {
    int tournaments = 0; // counted
    QList<HeadToHead> headToHead;
    QList<PlayerRecord> players; // in the order they first played
    GroupRecords group;
    QList<PlayerClubs> clubs;
    int withoutBestScorer = 0; // tournaments written before best scorers were kept
    int withoutPlayOrder = 0;  // counted in the results table's order: written before it was kept
    QList<SkippedTable> leftOut;
};

// The star level of a club: the name of the pool that holds it today ("Клубы 4*", ...,
// "Сборные 5*"), or empty.
using LevelOf = std::function<QString(const QString& club)>;
// The levels in the order the book shows them, the last for a club no pool holds.
const QStringList& starLevels();
inline const QString kOtherLevel = QStringLiteral("Другие");
// The level of a club, kOtherLevel when it is in no pool.
QString levelOrOther(const LevelOf& levelOf, const QString& club);

RecordsBook computeRecords(const History& history, const LevelOf& levelOf = {});

// Marks the players who are not among the current three as former players and ends their current
// runs. Without current players (none known) nobody is marked.
void markFormerPlayers(RecordsBook& book, const QStringList& currentPlayers);

// How a tournament's date is written for the players.
using TournamentDate = std::function<QString(const PlayedTournament&)>;
// As the program shows dates, dd.MM.yyyy under any locale, or the table's name when it names none.
TournamentDate tournamentDate();
inline TournamentDate tournamentDate(const Clock&) {
    return tournamentDate();
}

// "Новый рекорд: ..." for each record of the group that `is` (the book of `history`) holds and
// `was` did not, and each run longer than every run of its kind in `was` (wins, matches without
// a loss, first places in a row; two at least); empty when none, and after the very first
// tournament, which sets them all. A record only tied is no new record.
QStringList newRecords(const RecordsBook& was, const History& history, const RecordsBook& is,
                       const TournamentDate& date);

// What the evenings just written bring to tell, in one message after the write.
struct EveningNews {
    QStringList rating;  // the players' changes and the player of the evening (ratingNews)
    QStringList records; // "Новый рекорд: ..."
    bool isEmpty() const { return rating.isEmpty() && records.isEmpty(); }
    // The ratings first, the records after a blank line.
    QString text() const {
        QStringList parts;
        for (const QStringList* lines : {&rating, &records})
            if (!lines->isEmpty())
                parts << lines->join(QLatin1Char('\n'));
        return parts.join(QStringLiteral("\n\n"));
    }
};
// The news of the evenings `written` (tables of `history`): what they did to the ratings, and
// the records they broke against the same history without them.
EveningNews eveningNews(const History& history, const QStringList& written,
                        const LevelOf& levelOf, const TournamentDate& date);

// "5 матчей": a number with the word's form that Russian gives it.
QString countOf(qint64 n, const QString& one, const QString& few, const QString& many);

// A name as a sentence holds it: one written right to left is isolated in its own direction.
QString isolated(const QString& name);
// A match as the players read it: "Зурко (Реал Мадрид) - Пенва (Ювентус) 3:1, 08.12.2016";
// home first, or `firstSide` first when he played it.
QString describeMatch(const History& history, const MatchAt& at, const TournamentDate& date,
                      const QString& firstSide = {});
// A player's tournament: "Пенва (Ювентус) против Лодыш (Бавария) и Зурко (Реал Мадрид),
// 03.03.2024".
QString describeTournament(const History& history, const TournamentRecord& record,
                           const TournamentDate& date);

// Every match of the counted tournaments, one row per match in the order played: date (empty for
// a table whose name gives none), table, home player, home club, away player, away club, home
// goals, away goals (numbers), the clubs' levels and the tournament's best scorer, so that every
// figure of the book can be computed again from it.
struct MatchesTable {
    QStringList header;
    QList<TableRow> rows;
};
MatchesTable matchesTable(const History& history, const LevelOf& levelOf);
// The table as CSV in UTF-8 with a byte-order mark; `date` writes a tournament's date.
QByteArray matchesCsv(const History& history, const LevelOf& levelOf, const TournamentDate& date);
// The table as a workbook for a spreadsheet program: real numbers and dates, the header frozen
// and filtered. Throws kv::Error when it cannot be written.
void saveMatchesWorkbook(const QString& path, const History& history, const LevelOf& levelOf);

} // namespace kv
