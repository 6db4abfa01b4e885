#include "history/tournamenttables.h"

#include "common/clock.h"
#include "common/errors.h"
#include "common/textfile.h"
#include "history/historyfaults.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace kv {

namespace sql {

void fail(const QSqlError& error) {
    throwEngineError(error.nativeErrorCode().toInt(), error.text().trimmed(), kDatabaseFile);
}

void prepare(QSqlQuery& query, const QString& statement) {
    if (!query.prepare(statement))
        fail(query.lastError());
}

void exec(QSqlQuery& query) {
    if (!query.exec())
        fail(query.lastError());
}

void exec(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        fail(query.lastError());
}

sqlite3* handle(const QSqlDatabase& db) {
    const QVariant h = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0 ||
        !*static_cast<sqlite3* const*>(h.constData()))
        throw Error(QStringLiteral("База не открыта."));
    return *static_cast<sqlite3* const*>(h.constData());
}

} // namespace sql

namespace {

using sql::exec;
using sql::prepare;

const QString kDash = QStringLiteral("-");
// What stands between the two scores of a match or the goals in a tournament table.
const QString kScoreJoin = QStringLiteral("'-'");

QString joinScores(const QString& first, const QString& second) {
    return first + kScoreJoin + second;
}

// "Игрок, Побед, ..., Третий" or "Побед=Побед+?, ..." : the figure columns in one pattern each.
QString figureColumns(const QString& pattern) {
    QStringList parts;
    for (const QString& column : kTotalFigureColumns)
        parts.append(QString(pattern).replace(QLatin1Char('@'), column));
    return parts.join(QStringLiteral(", "));
}

void bindFigures(QSqlQuery& query, const Figures& f) {
    for (qint64 v : f.inTotalOrder())
        query.addBindValue(v);
}

// Every row of the player's exact name, each figure column by the pattern; whether there was one.
bool updateFigures(const QSqlDatabase& db, const QString& pattern, const QString& player,
                 const Figures& figures) {
    QSqlQuery query(db);
    prepare(query, QStringLiteral("UPDATE Total SET ") + figureColumns(pattern) +
                       QStringLiteral(" WHERE Игрок=? COLLATE BINARY"));
    bindFigures(query, figures);
    query.addBindValue(player);
    exec(query);
    return query.numRowsAffected() > 0;
}

} // namespace

int Figures::place() const {
    int place = 0;
    for (int i = 0; i < 3; ++i) {
        if (places[i] == 1 && place == 0)
            place = i + 1;
        else if (places[i] != 0)
            return 0;
    }
    return place;
}

std::array<qint64, 10> Figures::inTotalOrder() const {
    return {wins,       draws,  losses,    goalsFor,  goalsAgainst,
            difference, points, places[0], places[1], places[2]};
}

Figures Figures::fromTotalOrder(const std::array<qint64, 10>& v) {
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], {v[7], v[8], v[9]}};
}

Figures& Figures::operator+=(const Figures& o) {
    std::array<qint64, 10> sum = inTotalOrder();
    const std::array<qint64, 10> added = o.inTotalOrder();
    for (size_t i = 0; i < sum.size(); ++i)
        sum[i] += added[i];
    return *this = fromTotalOrder(sum);
}

Figures Figures::operator-() const {
    std::array<qint64, 10> v = inTotalOrder();
    for (qint64& x : v)
        x = -x;
    return fromTotalOrder(v);
}

std::array<qint64, 3> placeCounters(int place) {
    std::array<qint64, 3> counters{};
    if (place >= 1 && place <= 3)
        counters[place - 1] = 1;
    return counters;
}

TournamentEntry tournamentEntry(const QStringList& names, const QStringList& teams,
                                const ComputedStandings& computed) {
    TournamentEntry entry;
    entry.boxes = computed.boxes;
    for (int i = 0; i < 3; ++i) {
        const PlayerStanding& s = computed.standings.players[i];
        entry.players[i] = {lineAt(names, i),
                            lineAt(teams, i),
                            {s.wins, s.draws, s.losses, s.goalsFor, s.goalsAgainst, s.difference,
                             s.points, placeCounters(computed.standings.places[i])}};
    }
    return entry;
}

Error notComputed(const QString& playerName) {
    return Error(QStringLiteral("Место игрока \"%1\" не посчитано. "
                                "Посчитайте результат перед записью в базу.")
                     .arg(playerName));
}

Error wrongPlace(const QString& playerName, const QString& place) {
    return Error(QStringLiteral("Место игрока \"%1\" - \"%2\", а должно быть 1, 2 или 3. "
                                "Посчитайте результат перед записью в базу.")
                     .arg(playerName, place));
}

std::array<TournamentRow, 3> tournamentRows(const TournamentEntry& entry) {
    std::array<TournamentRow, 3> rows;
    for (int i = 0; i < 3; ++i) {
        const PlayerEntry& p = entry.players[i];
        const Figures& f = p.figures;
        rows[i] = {i + 1,
                   p.name,
                   p.team,
                   {},
                   joinScores(QString::number(f.goalsFor), QString::number(f.goalsAgainst)),
                   QString::number(f.points),
                   QString::number(f.place())};
        // Row i holds team i's matches against teams 1..3, own goals first.
        for (int j = 0; j < 3; ++j) {
            const int m = matchAt(i, j);
            rows[i].teams[j] =
                m < 0 ? kDash
                      : joinScores(entry.boxes.value(homeBox(m)), entry.boxes.value(awayBox(m)));
        }
    }
    return rows;
}

QString storedPlayOrder(const PlayOrder& order) {
    QStringList matches;
    for (const int m : order)
        matches << QStringLiteral("%1-%2").arg(kMatches[m].home + 1).arg(kMatches[m].away + 1);
    return matches.join(QLatin1Char(' '));
}

std::optional<PlayOrder> playOrderFromStored(const QString& stored) {
    const QStringList matches = stored.split(QLatin1Char(' '));
    if (matches.size() != 6)
        return std::nullopt;
    PlayOrder order{};
    for (int i = 0; i < 6; ++i) {
        const QString& match = matches[i];
        const auto slot = [&](int at) { return match[at].unicode() - u'1'; };
        if (match.size() != 3 || match[1] != QLatin1Char('-') || slot(0) < 0 || slot(0) > 2 ||
            slot(2) < 0 || slot(2) > 2)
            return std::nullopt;
        order[i] = matchAt(slot(0), slot(2));
    }
    if (!isPlayOrder(order))
        return std::nullopt;
    return order;
}

QString columnHeading(const QString& column) {
    static const QHash<QString, QString> headings{
        {"id", "№"},           {"Player", "Игрок"},   {"-", "Команда"},
        {"Team1", "Против 1"}, {"Team2", "Против 2"}, {"Team3", "Против 3"},
        {"Goals", "Мячи"},     {"Scores", "Очки"},    {"Rank", "Место"}};
    return headings.value(column, column);
}

QString shownCell(const QString& column, const QString& stored) {
    static const QStringList scoreColumns{"Team1", "Team2", "Team3", "Goals"};
    if (!scoreColumns.contains(column))
        return stored;
    const auto scores = storedScores(stored);
    return scores ? QStringLiteral("%1:%2").arg(scores->first).arg(scores->second) : stored;
}

std::pair<QString, QString> splitScores(const QString& stored) {
    const qsizetype at = stored.indexOf(kScoreJoin);
    if (at < 0)
        return {stored, QString()};
    return {stored.left(at), stored.mid(at + kScoreJoin.size())};
}

std::optional<qint64> storedNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i >= text.size() || text.size() - i > 18)
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

std::optional<std::pair<qint64, qint64>> storedScores(const QString& stored) {
    const qsizetype at = stored.indexOf(kScoreJoin);
    if (at < 0)
        return std::nullopt;
    const auto first = storedNumber(QStringView(stored).left(at));
    const auto second = storedNumber(QStringView(stored).mid(at + kScoreJoin.size()));
    if (!first || !second)
        return std::nullopt;
    return std::pair{*first, *second};
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

bool addToTotal(const QSqlDatabase& db, const QString& player, const Figures& figures) {
    return updateFigures(db, QStringLiteral("@=@+?"), player, figures);
}

bool setTotal(const QSqlDatabase& db, const QString& player, const Figures& figures) {
    return updateFigures(db, QStringLiteral("@=?"), player, figures);
}

void insertIntoTotal(const QSqlDatabase& db, const QString& player, const Figures& figures) {
    QSqlQuery query(db);
    prepare(query, QStringLiteral("INSERT INTO Total (Игрок, ") +
                       figureColumns(QStringLiteral("@")) + QStringLiteral(") VALUES (?") +
                       QStringLiteral(", ?").repeated(10) + QLatin1Char(')'));
    query.addBindValue(player);
    bindFigures(query, figures);
    exec(query);
}

void UpdateTotal(const QSqlDatabase& db, const PlayerEntry& player) {
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
    if (!exact || !addToTotal(db, player.name, player.figures))
        insertIntoTotal(db, player.name, player.figures);
}

} // namespace kv
