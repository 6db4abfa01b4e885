#include "history/historystore.h"

#include "common/datafiles.h"
#include "common/errors.h"
#include "common/textfile.h"
#include "history/historyfaults.h"
#include "history/safetycopy.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

#include <sqlite3.h>

namespace kv {

namespace {

using sql::exec;
using sql::fail;
using sql::prepare;

Error notATournament(const QString& table) {
    return Error(QStringLiteral("\"%1\" - не таблица турнира. Выберите в списке турнир "
                                "(его имя - дата и время записи) и повторите.")
                     .arg(table));
}

void insertRows(const QSqlDatabase& db, const QString& table, const TournamentEntry& entry) {
    QSqlQuery query(db);
    prepare(query, QStringLiteral("INSERT INTO ") + quoteIdentifier(table) +
                       QStringLiteral(" (id, Player, \"-\", Team1, Team2, Team3, Goals, Scores, "
                                      "Rank) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const TournamentRow& row : tournamentRows(entry)) {
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
}

// Inside a change: a file that cannot be written undoes the change with it.
void writeBestScorerFile(const QString& file, const std::optional<QString>& bestScorer,
                         const QString& notDone) {
    try {
        writeLines(file, bestScorer ? QStringList{*bestScorer} : QStringList{});
    } catch (const Error& e) {
        throw Error(QStringLiteral("%1: не удалось записать файл лучшего бомбардира \"%2\". %3\n"
                                   "База не изменилась. Освободите файл (или уберите папку с его "
                                   "именем) и запишите ещё раз.")
                        .arg(notDone, QFileInfo(file).fileName(), e.text()));
    }
}

void checkPlaces(const TournamentEntry& entry) {
    for (const PlayerEntry& p : entry.players)
        if (p.figures.place() == 0)
            throw wrongPlace(p.name, QString::number(p.figures.place()));
}

void keepBestScorer(const QSqlDatabase& db, const QString& table, const QString& player) {
    QSqlQuery query(db);
    exec(query, QStringLiteral("CREATE TABLE IF NOT EXISTS ") + kBestScorerTable +
                    QStringLiteral(" (tournament TEXT PRIMARY KEY, player TEXT)"));
    prepare(query, QStringLiteral("INSERT OR REPLACE INTO ") + kBestScorerTable +
                       QStringLiteral(" VALUES (?, ?)"));
    query.addBindValue(table);
    query.addBindValue(player);
    exec(query);
}

} // namespace

HistoryStore::HistoryStore(QString fileName, const Clock* clock, int busyWaitMs, QObject* parent)
    : QObject(parent), fileName_(std::move(fileName)), clock_(clock ? clock : &systemClock_),
      busyWaitMs_(busyWaitMs) {
    static QAtomicInt counter;
    connectionName_ = QStringLiteral("kickvale-base-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
}

HistoryStore::~HistoryStore() {
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase HistoryStore::database() const {
    return QSqlDatabase::database(connectionName_, false);
}

namespace {

// The grid's table: rows are read, and any attempt to write them is refused.
class ReadOnlyTable : public QSqlTableModel {
public:
    using QSqlTableModel::QSqlTableModel;
    bool setData(const QModelIndex&, const QVariant&, int) override { return false; }

protected:
    bool updateRowInTable(int, const QSqlRecord&) override { return false; }
    bool insertRowIntoTable(const QSqlRecord&) override { return false; }
    bool deleteRowFromTable(int) override { return false; }
};

} // namespace

QSqlTableModel* HistoryStore::newTableView(QObject* parent) const {
    return new ReadOnlyTable(parent, database());
}

bool HistoryStore::isOpen() const {
    return database().isOpen();
}

void HistoryStore::open() {
    if (!isOpen())
        openFile(false);
}

void HistoryStore::openReadOnly() {
    if (!isOpen())
        openFile(true);
}

void HistoryStore::close() {
    read_.reset();
    QSqlDatabase db = database();
    db.close();
    readOnly_ = false;
    formatWarning_.clear();
}

void HistoryStore::openFile(bool readOnly) {
    QSqlDatabase db = database();
    // A restore cut short between its renames is finished first: the file is there again.
    finishCutRestore(fileName_);
    const QFileInfo file(fileName_);
    if (!file.exists()) {
        if (!file.isSymLink() && QFileInfo(fileName_ + QStringLiteral(".restoring")).isFile())
            throw unfinishedRestore(fileName_);
        // Gone, with its copies at hand: one of them can take its place.
        if (!file.isSymLink() && !safetyCopies(fileName_).isEmpty())
            throw missingHistory(fileName_);
        throw cannotOpen(fileName_, QStringLiteral("No such file or directory"));
    }
    if (!file.isFile())
        throw damagedHistory(fileName_, file.isDir() ? QStringLiteral("на месте файла - папка")
                                                     : QStringLiteral("это не обычный файл"));
    const auto connect = [&](bool ro) {
        // mode=rw: the engine itself refuses to create the file, should it vanish meanwhile.
        db.setDatabaseName(
            QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            (ro ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
        db.setConnectOptions(
            QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMs_));
        if (!db.open()) {
            const QString reason = db.lastError().text().trimmed();
            db.close();
            throw cannotOpen(fileName_, reason);
        }
    };
    // The engine reads nothing at opening: the first statements tell a damaged, empty, busy or
    // newer file, before any window shows a half of it.
    const auto value = [&](const QString& statement) {
        QSqlQuery query(db);
        if (!query.exec(statement) || !query.next()) {
            const QSqlError e = query.lastError();
            query.finish();
            db.close();
            throwEngineError(e.nativeErrorCode().toInt(), e.text().trimmed(), fileName_);
        }
        return query.value(0).toInt();
    };
    connect(readOnly);
    const int format = value(QStringLiteral("PRAGMA user_version"));
    if (value(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'Total'")) == 0) {
        db.close();
        throw damagedHistory(fileName_, file.size() == 0
                                            ? QStringLiteral("файл пуст")
                                            : QStringLiteral("в ней нет таблицы \"Total\""));
    }
    formatWarning_.clear();
    if (format > kHistoryFormat) {
        if (!readOnly) {
            db.close();
            connect(true);
        }
        readOnly = true;
        formatWarning_ = newerFormatWarning(fileName_, format);
    }
    readOnly_ = readOnly;
}

QStringList HistoryStore::tableNames() {
    open();
    QSqlQuery query(database());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                               "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                               "AND substr(name, 1, 9) <> 'kickvale_'"));
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    std::sort(names.begin(), names.end());
    return names;
}

int HistoryStore::schemaVersion() {
    open();
    QSqlQuery query(database());
    exec(query, QStringLiteral("PRAGMA schema_version"));
    return query.next() ? query.value(0).toInt() : -1;
}

void HistoryStore::inTransaction(const std::function<void()>& work) {
    QSqlDatabase db = database();
    if (!db.transaction())
        fail(db.lastError());
    try {
        work();
        // The driver's error of a failed commit has no code: the engine still has it.
        if (!db.commit())
            throwEngineError(sqlite3_extended_errcode(sql::handle(db)),
                             db.lastError().text().trimmed(), fileName_);
    } catch (...) {
        db.rollback();
        throw;
    }
}

void HistoryStore::asPartOf(const ChangeNote& note, const std::function<void()>& work) {
    try {
        work();
    } catch (const BusyHistory&) {
        throw busyChange(fileName_, note.notDone);
    } catch (const DiskFault& e) {
        throw diskFault(fileName_, note.notDone, e);
    }
}

QString HistoryStore::keepSafetyCopy(const QString& note) {
    open();
    if (readOnly_)
        throw readOnlyHistory(fileName_);
    // Another program holding the file is named as such, not taken for a copy that could not be
    // written.
    QSqlQuery probe(database());
    exec(probe, QStringLiteral("SELECT 1 FROM sqlite_master LIMIT 1"));
    probe.finish();
    // A file this user may not write opens read-only: that is what refuses the change, not the
    // folder of the copies.
    if (sqlite3_db_readonly(sql::handle(database()), "main") == 1)
        throw readOnlyFile(fileName_);
    return kv::keepSafetyCopy(database(), fileName_, clock_->now(), kSafetyCopiesKept, note);
}

QString HistoryStore::restoreFromCopy(const QString& copy) {
    {
        // A copy that cannot be read is never put in place.
        HistoryStore check(copy);
        check.openReadOnly();
    }
    close();
    const QString kept = replaceWithCopy(fileName_, copy, clock_->now());
    emit historyChanged();
    return kept;
}

void HistoryStore::change(const std::function<void()>& work, const ChangeNote& note) {
    asPartOf(note, [&] {
        open();
        keepSafetyCopy(note.before);
        inTransaction(work);
    });
    emit historyChanged();
}

QString HistoryStore::bestScorerFile() const {
    return QFileInfo(fileName_).absoluteDir().filePath(kBestScorerFile);
}

void insertTournament(const QSqlDatabase& db, const QString& table, const TournamentEntry& entry,
                      const std::optional<QString>& bestScorer,
                      const std::function<void(int)>& progress) {
    const auto step = [&](int percent) {
        if (progress)
            progress(percent);
    };
    QSqlQuery query(db);
    exec(query, createTournamentStatement(table));
    insertRows(db, table, entry);
    exec(query, QStringLiteral("CREATE INDEX ") + quoteIdentifier(tournamentIndexName(table)) +
                    QStringLiteral(" ON ") + quoteIdentifier(table) + QStringLiteral(" (id)"));
    if (entry.playOrder)
        keepPlayOrder(db, table, *entry.playOrder);
    step(13);
    for (int i = 0; i < 3; ++i) {
        UpdateTotal(db, entry.players[i]);
        if (i < 2)
            step(i == 0 ? 33 : 66);
    }
    if (bestScorer)
        keepBestScorer(db, table, *bestScorer);
}

void HistoryStore::writeTournament(const QString& table, const TournamentEntry& entry,
                                   const std::optional<QString>& bestScorer,
                                   const Progress& progress, const QString& bestScorerFile) {
    checkPlaces(entry);
    change([&] {
        insertTournament(database(), table, entry, bestScorer, progress);
        if (!bestScorerFile.isEmpty())
            writeBestScorerFile(bestScorerFile, bestScorer, QStringLiteral("Турнир не записан"));
        if (progress)
            progress(100);
    }, writingNote(table));
}

void HistoryStore::setBestScorer(const QString& table, const QString& player) {
    change([&] { keepBestScorer(database(), table, player); });
}

bool HistoryStore::hasTable(const QString& name) {
    QSqlQuery query(database());
    prepare(query, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                  "name = ?"));
    query.addBindValue(name);
    exec(query);
    return query.next() && query.value(0).toInt() > 0;
}

QHash<QString, QString> HistoryStore::bestScorers() {
    QHash<QString, QString> scorers;
    if (!hasTable(kBestScorerTable))
        return scorers;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT tournament, player FROM ") + kBestScorerTable);
    while (query.next())
        scorers.insert(query.value(0).toString(), query.value(1).toString());
    return scorers;
}

void keepPlayOrder(const QSqlDatabase& db, const QString& table, const PlayOrder& order) {
    QSqlQuery query(db);
    exec(query, QStringLiteral("CREATE TABLE IF NOT EXISTS ") + kPlayOrderTable +
                    QStringLiteral(" (tournament TEXT PRIMARY KEY, matches TEXT)"));
    prepare(query, QStringLiteral("INSERT OR REPLACE INTO ") + kPlayOrderTable +
                       QStringLiteral(" VALUES (?, ?)"));
    query.addBindValue(table);
    query.addBindValue(storedPlayOrder(order));
    exec(query);
}

QHash<QString, PlayOrder> HistoryStore::playOrders() {
    QHash<QString, PlayOrder> orders;
    if (!hasTable(kPlayOrderTable))
        return orders;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT tournament, matches FROM ") + kPlayOrderTable);
    // An order that is not one the program writes counts as none: the results table's order.
    while (query.next())
        if (const auto order = playOrderFromStored(query.value(1).toString()))
            orders.insert(query.value(0).toString(), *order);
    return orders;
}

TournamentEntry HistoryStore::readTournament(const QString& table) {
    const History history = readHistory();
    const PlayedTournament* t = history.find(table);
    if (!t) {
        for (const SkippedTable& s : history.unreadable)
            if (s.table == table)
                throw Error(QStringLiteral("В таблице турнира \"%1\" нет всех трёх игроков "
                                           "(строк с id 1, 2 и 3), такой турнир нельзя исправить.")
                                .arg(table));
        throw notATournament(table);
    }
    if (!t->counted())
        throw Error(
            QStringLiteral("Турнир \"%1\" нельзя исправить: %2. Удалите его кнопкой "
                           "\"Удалить турнир\", если он не нужен.")
                .arg(table, t->fault.isEmpty()
                                ? QStringLiteral("он повторяет турнир \"%1\"").arg(t->copyOf)
                                : t->fault));
    TournamentEntry entry;
    entry.boxes = QStringList(12, QString());
    for (int m = 0; m < int(kMatches.size()); ++m) {
        entry.boxes[homeBox(m)] = QString::number(t->matches[m].homeGoals);
        entry.boxes[awayBox(m)] = QString::number(t->matches[m].awayGoals);
    }
    for (int i = 0; i < 3; ++i)
        entry.players[i] = {t->players[i], t->teams[i], t->figures(i)};
    return entry;
}

void HistoryStore::correctTournament(const QString& table, const TournamentEntry& corrected,
                                     const std::optional<QString>& bestScorer,
                                     const QString& bestScorerFile) {
    checkPlaces(corrected);
    TournamentEntry stored;
    // The file names the best scorer of the last evening: an older evening's does not reach it.
    bool newest = false;
    asPartOf(correctionNote(table), [&] {
        stored = readTournament(table);
        if (bestScorer && !bestScorerFile.isEmpty()) {
            const History history = readHistory();
            for (auto t = history.tournaments.crbegin(); t != history.tournaments.crend(); ++t)
                if (t->counted()) {
                    newest = t->table == table;
                    break;
                }
        }
    });
    change([&] {
        const QSqlDatabase db = database();
        for (const PlayerEntry& p : stored.players)
            addToTotal(db, p.name, -p.figures);
        QSqlQuery query(db);
        exec(query, QStringLiteral("DELETE FROM ") + quoteIdentifier(table));
        insertRows(db, table, corrected);
        for (const PlayerEntry& p : corrected.players)
            UpdateTotal(db, p);
        if (bestScorer)
            keepBestScorer(database(), table, *bestScorer);
        if (newest)
            writeBestScorerFile(bestScorerFile, bestScorer,
                                QStringLiteral("Исправление не записано"));
    }, correctionNote(table));
}

void HistoryStore::deleteTournament(const QString& table) {
    History history;
    asPartOf(deletionNote(table), [&] { history = readHistory(); });
    const PlayedTournament* t = history.find(table);
    bool known = t;
    for (const SkippedTable& s : history.unreadable)
        known = known || s.table == table;
    if (!known)
        throw notATournament(table);
    change([&] {
        const QSqlDatabase db = database();
        if (t && t->counted())
            for (int i = 0; i < 3; ++i)
                addToTotal(db, t->players[i], -t->figures(i));
        QSqlQuery query(db);
        exec(query, QStringLiteral("DROP TABLE ") + quoteIdentifier(table));
        for (const QString& own : {kBestScorerTable, kPlayOrderTable})
            if (hasTable(own)) {
                prepare(query, QStringLiteral("DELETE FROM ") + own +
                                   QStringLiteral(" WHERE tournament = ?"));
                query.addBindValue(table);
                exec(query);
            }
    }, deletionNote(table));
}

void HistoryStore::replaceTotal(const TotalRebuild& rebuild) {
    change([&] {
        const QSqlDatabase db = database();
        for (const TotalLine& l : rebuild.lines) {
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
            if (!setTotal(db, l.player, *l.rebuilt))
                insertIntoTotal(db, l.player, *l.rebuilt);
        }
    }, rebuildNote());
}

QStringList HistoryStore::tournamentTables() {
    open();
    return tournamentTableNames(sql::handle(database()));
}

std::array<qint64, 3> HistoryStore::fileState() {
    return fileStateOf(sql::handle(database()));
}

History HistoryStore::readHistory() {
    open();
    const std::array<qint64, 3> state = fileState();
    if (!read_ || read_->first != state)
        read_.emplace(state, readAllTables());
    return read_->second;
}

History HistoryStore::readAllTables() {
    const QStringList created = tournamentTables();
    return readTournamentTables(sql::handle(database()), created, bestScorers(), playOrders());
}

TotalRebuild HistoryStore::rebuiltTotal() {
    open();
    TotalRebuild rebuild;
    QHash<QString, qsizetype> at;
    const auto line = [&](const QString& player) -> TotalLine& {
        auto it = at.constFind(player);
        if (it == at.constEnd()) {
            it = at.insert(player, rebuild.lines.size());
            rebuild.lines.append({player, std::nullopt, std::nullopt});
        }
        return rebuild.lines[*it];
    };
    const auto add = [](std::optional<Figures>& sum, const Figures& f) {
        if (sum)
            *sum += f;
        else
            sum = f;
    };

    QSqlQuery query(database());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT Игрок, ") + kTotalFigureColumns.join(QStringLiteral(", ")) +
                    QStringLiteral(" FROM Total ORDER BY id"));
    while (query.next()) {
        std::array<qint64, 10> values;
        for (int c = 0; c < 10; ++c)
            values[c] = query.value(c + 1).toLongLong();
        const Figures f = Figures::fromTotalOrder(values);
        // A name stored twice counts once with both rows' sums: that is what "Total" holds.
        add(line(query.value(0).toString()).stored, f);
    }
    query.finish();

    const History history = readHistory();
    for (const PlayedTournament& t : history.tournaments)
        if (t.counted())
            for (int i = 0; i < 3; ++i)
                add(line(t.players[i]).rebuilt, t.figures(i));
    rebuild.leftOut = history.leftOut();
    return rebuild;
}

QSet<QString> HistoryStore::playerNames() {
    QStringList sources{QStringLiteral("SELECT Игрок FROM ") + kTotalTable};
    for (const QString& table : tournamentTables())
        sources.append(QStringLiteral("SELECT Player FROM ") + quoteIdentifier(table));
    if (!bestScorers().isEmpty())
        sources.append(QStringLiteral("SELECT player FROM ") + kBestScorerTable);
    QSet<QString> names;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    const qsizetype chunk = 400; // below the engine's limit of terms in a compound select
    for (qsizetype from = 0; from < sources.size(); from += chunk) {
        exec(query, sources.mid(from, chunk).join(QStringLiteral(" UNION ")));
        while (query.next())
            names.insert(query.value(0).toString());
    }
    return names;
}

QList<PlayerRename> HistoryStore::heldRenames(const QStringList& before, const QStringList& after) {
    QList<PlayerRename> renames;
    for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
        if (before[i] != after[i] && !before[i].isEmpty())
            renames.append({before[i], after[i]});
    if (renames.isEmpty())
        return renames;
    const QSet<QString> held = playerNames();
    renames.removeIf([&](const PlayerRename& r) { return !held.contains(r.first); });
    return renames;
}

void HistoryStore::renamePlayers(const QList<PlayerRename>& renames,
                                 const std::function<void()>& beforeCommit,
                                 const std::function<void()>& afterCommit) {
    const QSet<QString> held = playerNames();
    for (const auto& [from, to] : renames)
        if (held.contains(to))
            throw Error(QStringLiteral("Нельзя переименовать «%1» в «%2»: «%2» уже есть в истории "
                                       "турниров, и два игрока слились бы в одного. Выберите "
                                       "другое имя или ответьте \"Новое имя\", чтобы «%2» "
                                       "продолжил свою историю.")
                            .arg(from, to));
    QList<std::pair<QString, QString>> columns{{kTotalTable, QStringLiteral("Игрок")}};
    for (const QString& table : tournamentTables())
        columns.append({table, QStringLiteral("Player")});
    if (!bestScorers().isEmpty())
        columns.append({kBestScorerTable, QStringLiteral("player")});

    open();
    keepSafetyCopy(renamingNote(renames).before);
    inTransaction([&] {
        QSqlQuery query(database());
        for (const auto& [table, column] : columns) {
            prepare(query, QStringLiteral("UPDATE %1 SET %2=? WHERE %2=? COLLATE BINARY")
                               .arg(quoteIdentifier(table), column));
            for (const auto& [from, to] : renames) {
                query.addBindValue(to);
                query.addBindValue(from);
                exec(query);
            }
        }
        if (beforeCommit)
            beforeCommit();
    });
    // The listeners hear of the change once what follows the commit is done, so that they read
    // the files with the new names too.
    try {
        if (afterCommit)
            afterCommit();
    } catch (...) {
        emit historyChanged();
        throw;
    }
    emit historyChanged();
}

} // namespace kv
