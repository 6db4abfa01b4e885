#include "results/tournamentdb.h"

#include "common/clock.h"
#include "common/errors.h"
#include "common/textfile.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace kv {

namespace sql {

Error sqlError(const QSqlError& error) {
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Database error");
    return Error(text);
}

void prepare(QSqlQuery& query, const QString& statement) {
    if (!query.prepare(statement))
        throw sqlError(query.lastError());
}

void exec(QSqlQuery& query) {
    if (!query.exec())
        throw sqlError(query.lastError());
}

void exec(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        throw sqlError(query.lastError());
}

qint64 figure(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || text.trimmed() != text)
        throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

} // namespace sql

namespace {

using sql::exec;
using sql::figure;
using sql::prepare;
using sql::sqlError;

const QString kDash = QStringLiteral("-");
// What stands between the two scores of a match in a tournament table.
const QString kScoreJoin = QStringLiteral("'-'");

struct Figures {
    qint64 wins, draws, losses, goalsFor, goalsAgainst, difference, points;
    std::array<int, 3> places;
};

Figures figuresOf(const PlayerEntry& p) {
    return {figure(p.wins),         figure(p.draws),
            figure(p.losses),       figure(p.goalsFor),
            figure(p.goalsAgainst), figure(p.difference),
            figure(p.points),       placeCounters(p.name, p.place)};
}

QString match(const QStringList& boxes, int own, int opponent) {
    return boxes.value(own) + kScoreJoin + boxes.value(opponent);
}

} // namespace

std::array<TournamentRow, 3> tournamentRows(const TournamentEntry& entry) {
    const QStringList& b = entry.boxes;
    // Row i holds team i's matches against teams 1..3, own goals first (Edit1 is b[0]).
    const std::array<std::array<QString, 3>, 3> teams{{
        {kDash, match(b, 0, 1), match(b, 8, 9)},
        {match(b, 2, 3), kDash, match(b, 10, 11)},
        {match(b, 4, 5), match(b, 6, 7), kDash},
    }};
    std::array<TournamentRow, 3> rows;
    for (int i = 0; i < 3; ++i) {
        const PlayerEntry& p = entry.players[i];
        rows[i] = {i + 1,    p.name, p.team, teams[i], p.goalsFor + kScoreJoin + p.goalsAgainst,
                   p.points, p.place};
    }
    return rows;
}

TournamentEntry tournamentEntry(const QStringList& names, const QStringList& teams,
                                const ComputedStandings& computed) {
    TournamentEntry entry;
    entry.boxes = computed.boxes;
    for (int i = 0; i < 3; ++i) {
        const PlayerStanding& s = computed.standings.players[i];
        const auto text = [](qint64 value) { return QString::number(value); };
        entry.players[i] = {lineAt(names, i),     lineAt(teams, i),
                            text(s.wins),         text(s.draws),
                            text(s.losses),       text(s.goalsFor),
                            text(s.goalsAgainst), text(s.difference),
                            text(s.points),       text(computed.standings.places[i])};
    }
    return entry;
}

Error notComputed(const QString& playerName) {
    return Error(QStringLiteral("Место игрока \"%1\" не посчитано. "
                                "Посчитайте результат перед записью в базу.")
                     .arg(playerName));
}

QString tournamentTableName(Clock& clock) {
    clock.forceSeparators();
    return clock.shortDate().replace(QLatin1Char('.'), QLatin1Char('_')) + QStringLiteral("__") +
           clock.longTime().replace(QLatin1Char(':'), QLatin1Char('_'));
}

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString tournamentIndexName(const QString& tableName) {
    return tableName + QStringLiteral(".id");
}

QString createTournamentStatement(const QString& tableName) {
    return QStringLiteral("CREATE TABLE ") + quoteIdentifier(tableName) +
           QStringLiteral(" (id INT, Player VARCHAR(255), \"-\" VARCHAR(255), Team1 VARCHAR(255), "
                          "Team2 VARCHAR(255), Team3 VARCHAR(255), Goals VARCHAR(255), "
                          "Scores VARCHAR(255), Rank VARCHAR(3), PRIMARY KEY (id))");
}

std::array<int, 3> placeCounters(const QString& playerName, const QString& place) {
    if (place == QLatin1String("1"))
        return {1, 0, 0};
    if (place == QLatin1String("2"))
        return {0, 1, 0};
    if (place == QLatin1String("3"))
        return {0, 0, 1};
    throw Error(QStringLiteral("Место игрока \"%1\" - \"%2\", а должно быть 1, 2 или 3. "
                               "Посчитайте результат перед записью в базу.")
                    .arg(playerName, place));
}

void UpdateTotal(const QSqlDatabase& db, const PlayerEntry& player) {
    const Figures f = figuresOf(player);

    QSqlQuery lookup(db);
    lookup.setForwardOnly(true);
    prepare(lookup, QStringLiteral("SELECT Игрок FROM Total WHERE Игрок=:x"));
    lookup.bindValue(QStringLiteral(":x"), player.name);
    exec(lookup);
    // The database may find names equal that differ in letter case; only the exact name
    // counts, wherever it stands in the result.
    bool exact = false;
    while (!exact && lookup.next())
        exact = lookup.value(0).toString() == player.name;
    lookup.finish();

    // Placeholders are named after the columns they fill.
    QSqlQuery command(db);
    if (exact)
        prepare(command,
                QStringLiteral("UPDATE Total SET Побед=Побед+:wins,Ничьих=Ничьих+:draws,"
                               "Поражений=Поражений+:losses,Забито=Забито+:goalsFor,"
                               "Пропущено=Пропущено+:goalsAgainst,Разница=Разница+:difference,"
                               "Очки=Очки+:points,Первый=Первый+:first,Второй=Второй+:second,"
                               "Третий=Третий+:third WHERE Игрок=:player COLLATE BINARY"));
    else
        prepare(command,
                QStringLiteral("INSERT INTO Total (Игрок,Побед,Ничьих,Поражений,Забито,Пропущено,"
                               "Разница,Очки,Первый,Второй,Третий) "
                               "VALUES (:player,:wins,:draws,:losses,:goalsFor,:goalsAgainst,"
                               ":difference,:points,:first,:second,:third)"));
    command.bindValue(QStringLiteral(":player"), player.name);
    command.bindValue(QStringLiteral(":wins"), f.wins);
    command.bindValue(QStringLiteral(":draws"), f.draws);
    command.bindValue(QStringLiteral(":losses"), f.losses);
    command.bindValue(QStringLiteral(":goalsFor"), f.goalsFor);
    command.bindValue(QStringLiteral(":goalsAgainst"), f.goalsAgainst);
    command.bindValue(QStringLiteral(":difference"), f.difference);
    command.bindValue(QStringLiteral(":points"), f.points);
    command.bindValue(QStringLiteral(":first"), f.places[0]);
    command.bindValue(QStringLiteral(":second"), f.places[1]);
    command.bindValue(QStringLiteral(":third"), f.places[2]);
    exec(command);
}

TournamentDb::TournamentDb(QString fileName) : fileName_(std::move(fileName)) {
    static QAtomicInt counter;
    connectionName_ = QStringLiteral("kickvale-base-%1").arg(counter.fetchAndAddRelaxed(1));
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
}

TournamentDb::~TournamentDb() {
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase TournamentDb::database() const {
    return QSqlDatabase::database(connectionName_, false);
}

bool TournamentDb::isOpen() const {
    return database().isOpen();
}

void TournamentDb::open() {
    QSqlDatabase db = database();
    if (db.isOpen())
        return;
    const QFileInfo file(fileName_);
    if (!file.exists())
        throw cannotOpen(fileName_, QStringLiteral("No such file or directory"));
    if (!file.isFile())
        throw cannotOpen(fileName_, QStringLiteral("Not a file"));
    // mode=rw: the engine itself refuses to create the file, should it vanish meanwhile.
    db.setDatabaseName(QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    if (!db.open()) {
        const QString reason = db.lastError().text().trimmed();
        db.close();
        throw cannotOpen(fileName_, reason);
    }
}

QStringList TournamentDb::tableNames() {
    open();
    QSqlQuery query(database());
    query.setForwardOnly(true);
    exec(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                               "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    std::sort(names.begin(), names.end());
    return names;
}

void TournamentDb::writeTournament(const QString& tableName, const TournamentEntry& entry,
                                   const Progress& progress) {
    open();
    // Figures and places are checked before anything is written.
    for (const PlayerEntry& p : entry.players)
        figuresOf(p);

    QSqlDatabase db = database();
    if (!db.transaction())
        throw sqlError(db.lastError());
    try {
        {
            QSqlQuery query(db);
            exec(query, createTournamentStatement(tableName));

            prepare(query, QStringLiteral("INSERT INTO ") + quoteIdentifier(tableName) +
                               QStringLiteral(" (id, Player, \"-\", Team1, Team2, Team3, Goals, "
                                              "Scores, Rank) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
            for (const TournamentRow& row : tournamentRows(entry)) {
                query.bindValue(0, row.id);
                query.bindValue(1, row.player);
                query.bindValue(2, row.team);
                query.bindValue(3, row.teams[0]);
                query.bindValue(4, row.teams[1]);
                query.bindValue(5, row.teams[2]);
                query.bindValue(6, row.goals);
                query.bindValue(7, row.scores);
                query.bindValue(8, row.rank);
                exec(query);
            }
            exec(query,
                 QStringLiteral("CREATE INDEX ") + quoteIdentifier(tournamentIndexName(tableName)) +
                     QStringLiteral(" ON ") + quoteIdentifier(tableName) + QStringLiteral(" (id)"));
        }
        if (progress)
            progress(13);
        const int steps[] = {33, 66, 100};
        for (int i = 0; i < 3; ++i) {
            UpdateTotal(db, entry.players[i]);
            if (progress)
                progress(steps[i]);
        }
        if (!db.commit())
            throw sqlError(db.lastError());
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace kv
