#pragma once

#include "common/clock.h"
#include "history/history.h"
#include "history/historyfaults.h"
#include "history/playerrename.h"
#include "history/tournamenttables.h"

#include <QObject>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlTableModel>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace kv {

// The tournament database: every read and change of the history goes through here. It opens
// the existing file (never creating it), keeps a safety copy before every change, makes each
// change in one transaction and tells its listeners when the history changed.
class HistoryStore : public QObject {
    Q_OBJECT
public:
    using Progress = std::function<void(int percent)>;

    // The clock names the safety copies; without one the system's is used. busyWaitMs is how
    // long a read or a change waits for another program that holds the file.
    explicit HistoryStore(QString fileName = kDatabaseFile, const Clock* clock = nullptr,
                          int busyWaitMs = kBusyWaitMs, QObject* parent = nullptr);
    ~HistoryStore() override;

    // Opens the existing file read-write. A missing file is an error, never created. A file
    // that is not a readable history throws DamagedHistory, one held by another program longer
    // than the program waits throws its message; a newer format opens read-only.
    void open();
    // Opens it only for reading (a safety copy being looked at).
    void openReadOnly();
    void close();
    bool isOpen() const;
    // Non-empty when the database came from a newer program and was opened read-only.
    QString formatWarning() const { return formatWarning_; }
    // A view of a table for the results window's grid. It reads through the store's connection
    // and never writes: every change of the history is one of the store's operations below.
    QSqlTableModel* newTableView(QObject* parent) const;
    QString fileName() const { return fileName_; }

    // All ordinary tables and views, sorted, without the engine's and the program's own.
    QStringList tableNames();
    // Changes with every table made or dropped, by this program or another one.
    int schemaVersion();
    // Tables with the columns of a tournament table, in the order they were created.
    QStringList tournamentTables();
    // Every stored tournament, read as plain values. The reading is kept until the file changes
    // (by this store or any other connection), so that one tournament read or deleted after it
    // costs its own rows.
    History readHistory();
    // A stored tournament as the results window shows it for a correction: names, teams, the
    // twelve score boxes (3'-'1 gives 3 and 1) and each player's figures. Throws a message when
    // the table is not a tournament that can be corrected.
    TournamentEntry readTournament(const QString& table);
    // "Total" as stored beside "Total" summed from the counted tournaments.
    TotalRebuild rebuiltTotal();

    // Stores a tournament: its table with three rows and its index, each player's sums in
    // "Total" and the best scorer when one was chosen. progress gets 13 when the table stands,
    // then 33, 66, 100 per player. A place other than 1, 2, 3 throws before anything is written.
    // With a bestScorerFile, that file is rewritten with the best scorer (empty when none) inside
    // the same change: when it cannot be written, nothing is stored.
    void writeTournament(const QString& table, const TournamentEntry& entry,
                         const std::optional<QString>& bestScorer = std::nullopt,
                         const Progress& progress = {}, const QString& bestScorerFile = {});
    // Replaces the rows of a stored tournament by the corrected one and moves "Total" by the
    // difference, as if the corrected tournament had been written in the first place. A player
    // no longer in "Total" gets a row. The best scorer stays unless a new one is given; then
    // bestScorerFile (when given) follows it if the tournament is the newest one stored.
    void correctTournament(const QString& table, const TournamentEntry& corrected,
                           const std::optional<QString>& bestScorer = std::nullopt,
                           const QString& bestScorerFile = {});
    // "bomb.txt" beside the database.
    QString bestScorerFile() const;
    // Drops a tournament table with its best scorer; a counted tournament's figures come off
    // "Total", those of a table that no sum counts stay.
    void deleteTournament(const QString& table);
    // Puts the rebuilt sums in "Total": rows of players of some counted tournament get them (new
    // players get a row, a name's second rows go), the rows of other players stay.
    void replaceTotal(const TotalRebuild& rebuild);
    // Every name the history holds: in "Total", in the tournament tables, among the best scorers.
    QSet<QString> playerNames();
    // The names changed from before to after (box by box) that the history holds.
    QList<PlayerRename> heldRenames(const QStringList& before, const QStringList& after);
    // Renames players in the whole history (every tournament table, "Total", the best scorers)
    // in one change; beforeCommit runs last inside it, afterCommit after it and before the
    // listeners are told. A new name the history already holds throws before anything changes:
    // two players would become one. The files that hold the names follow through
    // renamePlayersEverywhere().
    void renamePlayers(const QList<PlayerRename>& renames,
                       const std::function<void()>& beforeCommit = {},
                       const std::function<void()>& afterCommit = {});
    // Keeps the best scorer of a stored tournament.
    void setBestScorer(const QString& table, const QString& player);
    // Any other change with the same copy, transaction and signal. note is kept with the copy
    // and names the change when it cannot be made.
    void change(const std::function<void()>& work, const ChangeNote& note = {});

    // A consistent copy of the database in backups/, before a change; throws when none is made.
    QString keepSafetyCopy(const QString& note = {});
    // Puts a readable safety copy in the place of the database, keeping the current file beside
    // it, and tells the listeners. Returns the kept file's path (empty when there was none).
    QString restoreFromCopy(const QString& copy);

signals:
    // After every change of the database made through the store.
    void historyChanged();

private:
    // Tests reach the connection through this to set faults on it.
    friend struct HistoryStoreProbe;
    QSqlDatabase database() const;
    void openFile(bool readOnly);
    void inTransaction(const std::function<void()>& work);
    // Runs a part of a change: a busy database or a full disk is told as this change not made.
    void asPartOf(const ChangeNote& note, const std::function<void()>& work);
    QHash<QString, QString> bestScorers();
    bool hasTable(const QString& name);
    QHash<QString, PlayOrder> playOrders();
    History readAllTables();
    // What changes whenever anything in the file changes: another connection's commit, a row or
    // a table of this one.
    std::array<qint64, 3> fileState();

    QString fileName_;
    QString connectionName_;
    Clock systemClock_;
    const Clock* clock_;
    int busyWaitMs_;
    bool readOnly_ = false;
    QString formatWarning_;
    std::optional<std::pair<std::array<qint64, 3>, History>> read_;
};

// The program's own table of the best scorers; the lists of tables never show it.
inline const QString kBestScorerTable = QStringLiteral("kickvale_best_scorer");
// The program's own table of the order each tournament's matches were played in.
inline const QString kPlayOrderTable = QStringLiteral("kickvale_play_order");
// Keeps a tournament's play order (inside the caller's change).
void keepPlayOrder(const QSqlDatabase& db, const QString& table, const PlayOrder& order);

// What a write stores, inside a transaction the caller holds: the tournament's table with its
// three rows and its index, each player's sums in "Total" and the best scorer when one was
// chosen (progress gets 13, 33 and 66 on the way). It reads and lists nothing else, so its cost
// does not grow with the history.
void insertTournament(const QSqlDatabase& db, const QString& table, const TournamentEntry& entry,
                      const std::optional<QString>& bestScorer,
                      const std::function<void(int)>& progress = {});

} // namespace kv
