#include "history/history.h"

#include "common/errors.h"
#include "history/historyfaults.h"
#include "history/historystore.h"
#include "history/tournamentdates.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <memory>

namespace kv {

namespace {

using sql::exec;
using sql::prepare;

// The rows of one table as read: id 1..3 each once, or why not.
struct StoredRows {
    std::array<TournamentRow, 3> rows;
    std::array<bool, 3> seen{};
    QString wrong; // the first row that is not a player's row
};

// One statement straight through the engine: thousands of tables are read at once, and the
// driver's value for every cell would cost more than the engine's own work.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql) : db_(db) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            throwEngineError(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)),
                             kDatabaseFile);
        st_.reset(st);
    }
    bool next() {
        const int rc = sqlite3_step(st_.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throwEngineError(rc, QString::fromUtf8(sqlite3_errmsg(db_)), kDatabaseFile);
        return rc == SQLITE_ROW;
    }
    QString text(int column) const {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(st_.get(), column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(st_.get(), column));
    }
    qint64 number(int column) const { return sqlite3_column_int64(st_.get(), column); }

private:
    struct Finalize {
        void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalize> st_;
};

QString cellFault(const TournamentRow& row, const QString& column, const QString& text) {
    return QStringLiteral("в строке %1 (%2) в столбце %3 \"%4\" - не то, что пишет программа")
        .arg(row.id)
        .arg(row.player, column, text);
}

// A tournament from its three rows: every cell that reads is taken, the first that does not
// becomes its fault.
PlayedTournament played(const QString& table, const std::array<TournamentRow, 3>& rows) {
    PlayedTournament t;
    t.table = table;
    const auto fault = [&](const TournamentRow& row, const QString& column, const QString& text) {
        if (t.fault.isEmpty())
            t.fault = cellFault(row, column, text);
    };
    for (int i = 0; i < 3; ++i) {
        const TournamentRow& row = rows[i];
        t.players[i] = row.player;
        t.teams[i] = row.team;
        if (const auto goals = storedScores(row.goals)) {
            t.goalsFor[i] = goals->first;
            t.goalsAgainst[i] = goals->second;
        } else {
            fault(row, QStringLiteral("Goals"), row.goals);
        }
        if (const auto points = storedNumber(row.scores))
            t.points[i] = *points;
        else
            fault(row, QStringLiteral("Scores"), row.scores);
        const auto place = storedNumber(row.rank);
        if (place && *place >= 1 && *place <= 3)
            t.places[i] = int(*place);
        else
            fault(row, QStringLiteral("Rank"), row.rank);
    }
    for (int m = 0; m < int(kMatches.size()); ++m) {
        const BoxMatch& bm = kMatches[m];
        PlayedMatch& pm = t.matches[m];
        pm.home = bm.home;
        pm.away = bm.away;
        const TournamentRow& row = rows[bm.home];
        const QString& cell = row.teams[bm.away];
        if (const auto scores = storedScores(cell)) {
            pm.homeGoals = scores->first;
            pm.awayGoals = scores->second;
            pm.valid = true;
        } else {
            fault(row, QStringLiteral("Team%1").arg(bm.away + 1), cell);
        }
    }
    return t;
}

// Where two tournaments with the same rows meet; equal rows give equal keys.
size_t rowsKey(const std::array<TournamentRow, 3>& rows) {
    size_t seed = 0;
    for (const TournamentRow& r : rows)
        seed = qHashMulti(seed, r.player, r.team, r.teams[0], r.teams[1], r.teams[2], r.goals,
                          r.scores, r.rank);
    return seed;
}

} // namespace

Figures PlayedTournament::figures(int slot) const {
    PlayerStanding s;
    for (const PlayedMatch& m : matches) {
        if (!m.valid)
            continue;
        if (m.home == slot)
            countResult(m.homeGoals, m.awayGoals, s);
        else if (m.away == slot)
            countResult(m.awayGoals, m.homeGoals, s);
    }
    return {s.wins,
            s.draws,
            s.losses,
            goalsFor[slot],
            goalsAgainst[slot],
            goalsFor[slot] - goalsAgainst[slot],
            points[slot],
            placeCounters(places[slot])};
}

QList<SkippedTable> History::leftOut() const {
    QList<SkippedTable> out = unreadable;
    for (const PlayedTournament& t : tournaments) {
        if (!t.fault.isEmpty())
            out.append({t.table, t.fault});
        else if (!t.copyOf.isEmpty())
            out.append({t.table, QStringLiteral("копия турнира \"%1\": те же игроки, команды и "
                                                "счета")
                                     .arg(t.copyOf)});
    }
    return out;
}

QStringList describeLeftOut(const QList<SkippedTable>& leftOut, int most) {
    QStringList lines;
    for (qsizetype i = 0; i < leftOut.size() && i < most; ++i)
        lines.append(QStringLiteral("\"%1\": %2").arg(leftOut[i].table, leftOut[i].reason));
    if (leftOut.size() > most)
        lines.append(QStringLiteral("... и ещё таблиц: %1").arg(leftOut.size() - most));
    return lines;
}

const PlayedTournament* History::find(const QString& table) const {
    for (const PlayedTournament& t : tournaments)
        if (t.table == table)
            return &t;
    return nullptr;
}

QStringList tournamentTableNames(sqlite3* db) {
    QList<QByteArray> columns;
    for (const QString& c : kTournamentColumns)
        columns.append(c.toUtf8());
    // A tournament table is one with all nine columns, whatever else its definition says. The
    // engine answers for each column from the schema it holds; a statement per table would
    // cost many times more.
    QStringList names;
    Statement tables(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                        "ORDER BY rowid"));
    while (tables.next()) {
        const QByteArray name = tables.text(0).toUtf8();
        bool all = true;
        for (qsizetype c = 0; all && c < columns.size(); ++c)
            all = sqlite3_table_column_metadata(db, "main", name.constData(),
                                                columns[c].constData(), nullptr, nullptr, nullptr,
                                                nullptr, nullptr) == SQLITE_OK;
        if (all)
            names.append(QString::fromUtf8(name));
    }
    return names;
}

std::array<qint64, 3> fileStateOf(sqlite3* db) {
    std::array<qint64, 3> state{sqlite3_total_changes64(db), 0, 0};
    Statement data(db, QStringLiteral("PRAGMA data_version"));
    if (data.next())
        state[1] = data.number(0);
    Statement schema(db, QStringLiteral("PRAGMA schema_version"));
    if (schema.next())
        state[2] = schema.number(0);
    return state;
}

History readTournamentTables(sqlite3* db, const QStringList& created,
                             const QHash<QString, QString>& scorers,
                             const QHash<QString, PlayOrder>& orders) {
    QList<StoredRows> stored(created.size());
    // Many tables are read by one statement: one query per table would cost more than the rows.
    const qsizetype chunk = 400; // below the engine's limit of terms in a compound select
    for (qsizetype from = 0; from < created.size(); from += chunk) {
        QStringList parts;
        for (qsizetype i = from; i < std::min(created.size(), from + chunk); ++i)
            parts.append(QStringLiteral("SELECT %1, id, Player, \"-\", Team1, Team2, Team3, Goals, "
                                        "Scores, Rank FROM %2")
                             .arg(i)
                             .arg(quoteIdentifier(created[i])));
        Statement query(db, parts.join(QStringLiteral(" UNION ALL ")));
        while (query.next()) {
            StoredRows& s = stored[query.number(0)];
            const QString idText = query.text(1);
            const auto id = storedNumber(idText);
            if (!id || *id < 1 || *id > 3 || s.seen[*id - 1]) {
                if (s.wrong.isEmpty())
                    s.wrong = QStringLiteral("лишняя строка с id \"%1\"").arg(idText);
                continue;
            }
            s.seen[*id - 1] = true;
            s.rows[*id - 1] = {int(*id),      query.text(2),
                               query.text(3), {query.text(4), query.text(5), query.text(6)},
                               query.text(7), query.text(8),
                               query.text(9)};
        }
    }

    History history;
    history.tournaments.reserve(created.size());
    QMultiHash<size_t, qsizetype> withRows; // the first tournament of each key, by position
    QHash<QString, bool> known;
    for (const DatedTable& d : datedTournamentsInOrder(created)) {
        const QString& table = created[d.created];
        const StoredRows& s = stored[d.created];
        QString wrong = s.wrong;
        for (int i = 0; i < 3 && wrong.isEmpty(); ++i)
            if (!s.seen[i])
                wrong = QStringLiteral("нет строки игрока %1 (id %1)").arg(i + 1);
        if (!wrong.isEmpty()) {
            history.unreadable.append({table, wrong});
            continue;
        }
        PlayedTournament t = played(table, s.rows);
        t.played = d.at;
        if (const auto it = scorers.constFind(table); it != scorers.constEnd())
            t.bestScorer = *it;
        if (const auto it = orders.constFind(table); it != orders.constEnd())
            t.playOrder = *it;
        const size_t key = rowsKey(s.rows);
        for (auto it = withRows.constFind(key); it != withRows.cend() && it.key() == key; ++it)
            if (stored[*it].rows == s.rows)
                t.copyOf = created[*it];
        if (t.copyOf.isEmpty())
            withRows.insert(key, d.created);
        if (t.counted())
            for (const QString& name : t.players)
                if (!known.contains(name)) {
                    known.insert(name, true);
                    history.players.append(name);
                }
        history.tournaments.append(std::move(t));
    }
    return history;
}

} // namespace kv
