#include "results/history.h"

#include "common/errors.h"
#include "results/historystore.h"
#include "results/tournamentdates.h"

#include <QHash>
#include <QSqlQuery>
#include <QVariant>

namespace kv {

namespace {

using sql::exec;
using sql::prepare;

const QChar kFieldEnd(0x1f); // between the stored texts of a tournament when rows are compared

// The rows of one table as read: id 1..3 each once, or why not.
struct StoredRows {
    std::array<std::optional<TournamentRow>, 3> rows;
    QString wrong; // the first row that is not a player's row
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

// The key under which two tournaments with the same rows meet.
QString rowsKey(const std::array<TournamentRow, 3>& rows) {
    QString key;
    for (const TournamentRow& r : rows)
        for (const QString* text : {&r.player, &r.team, &r.teams[0], &r.teams[1], &r.teams[2],
                                    &r.goals, &r.scores, &r.rank})
            key += *text + kFieldEnd;
    return key;
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

const PlayedTournament* History::find(const QString& table) const {
    for (const PlayedTournament& t : tournaments)
        if (t.table == table)
            return &t;
    return nullptr;
}

History HistoryStore::readHistory() {
    const QStringList created = tournamentTables();
    QList<StoredRows> stored(created.size());
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Many tables are read by one statement: one query per table would cost more than the rows.
    const qsizetype chunk = 400; // below the engine's limit of terms in a compound select
    for (qsizetype from = 0; from < created.size(); from += chunk) {
        QStringList parts;
        for (qsizetype i = from; i < std::min(created.size(), from + chunk); ++i)
            parts.append(QStringLiteral("SELECT %1, id, Player, \"-\", Team1, Team2, Team3, Goals, "
                                        "Scores, Rank FROM %2")
                             .arg(i)
                             .arg(quoteIdentifier(created[i])));
        exec(query, parts.join(QStringLiteral(" UNION ALL ")));
        while (query.next()) {
            StoredRows& s = stored[query.value(0).toLongLong()];
            const QString idText = query.value(1).toString();
            const auto id = storedNumber(idText);
            TournamentRow row{
                int(id.value_or(0)),
                query.value(2).toString(),
                query.value(3).toString(),
                {query.value(4).toString(), query.value(5).toString(), query.value(6).toString()},
                query.value(7).toString(),
                query.value(8).toString(),
                query.value(9).toString()};
            if (!id || *id < 1 || *id > 3 || s.rows[*id - 1]) {
                if (s.wrong.isEmpty())
                    s.wrong = QStringLiteral("лишняя строка с id \"%1\"").arg(idText);
                continue;
            }
            s.rows[*id - 1] = row;
        }
        query.finish();
    }

    const QHash<QString, QString> scorers = bestScorers();
    History history;
    QHash<QString, QString> firstWithRows;
    QHash<QString, bool> known;
    for (const DatedTable& d : datedTournamentsInOrder(created)) {
        const QString& table = created[d.created];
        const StoredRows& s = stored[d.created];
        QString wrong = s.wrong;
        for (int i = 0; i < 3 && wrong.isEmpty(); ++i)
            if (!s.rows[i])
                wrong = QStringLiteral("нет строки игрока %1 (id %1)").arg(i + 1);
        if (!wrong.isEmpty()) {
            history.unreadable.append({table, wrong});
            continue;
        }
        const std::array<TournamentRow, 3> rows{*s.rows[0], *s.rows[1], *s.rows[2]};
        PlayedTournament t = played(table, rows);
        t.played = d.at;
        if (const auto it = scorers.constFind(table); it != scorers.constEnd())
            t.bestScorer = *it;
        const QString key = rowsKey(rows);
        if (const auto it = firstWithRows.constFind(key); it != firstWithRows.constEnd())
            t.copyOf = *it;
        else
            firstWithRows.insert(key, table);
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
        Figures f;
        qint64* fields[] = {&f.wins,       &f.draws,  &f.losses,    &f.goalsFor,  &f.goalsAgainst,
                            &f.difference, &f.points, &f.places[0], &f.places[1], &f.places[2]};
        for (int c = 0; c < 10; ++c)
            *fields[c] = query.value(c + 1).toLongLong();
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

} // namespace kv
