#include "results/history.h"

#include "common/errors.h"
#include "results/tournamentdates.h"
#include "results/tournamentdb.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace kv {

namespace {

const QString kScoreJoin = QStringLiteral("'-'");

void run(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        throw Error(query.lastError().text().trimmed());
}

} // namespace

History readHistory(const QSqlDatabase& db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Tournament tables are those made with the tournament columns; rowid is creation order.
    run(query, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND "
                              "sql LIKE '%Player%' AND sql LIKE '%Goals%' AND "
                              "sql LIKE '%Scores%' AND sql LIKE '%Rank%' ORDER BY rowid"));
    QStringList created;
    while (query.next())
        created.append(query.value(0).toString());
    query.finish();

    QHash<QString, qsizetype> index;
    QList<PlayedTournament> byCreation(created.size());
    for (qsizetype i = 0; i < created.size(); ++i) {
        byCreation[i].table = created[i];
        index.insert(created[i], i);
    }
    // Many tables are read by one statement: one query per table would cost more than the rows.
    const qsizetype chunk = 400; // below the engine's limit of terms in a compound select
    for (qsizetype from = 0; from < created.size(); from += chunk) {
        QStringList parts;
        for (qsizetype i = from; i < std::min(created.size(), from + chunk); ++i)
            parts.append(QStringLiteral("SELECT %1, id, Player, Goals, Scores, Rank FROM %2")
                             .arg(i)
                             .arg(quoteIdentifier(created[i])));
        run(query, parts.join(QStringLiteral(" UNION ALL ")));
        while (query.next()) {
            const int id = query.value(1).toInt();
            if (id < 1 || id > 3)
                continue;
            PlayedTournament& t = byCreation[query.value(0).toLongLong()];
            const int p = id - 1;
            t.players[p] = query.value(2).toString();
            const QString goals = query.value(3).toString();
            const qsizetype at = goals.indexOf(kScoreJoin);
            t.goalsFor[p] = goals.left(at).toLongLong();
            t.goalsAgainst[p] = at < 0 ? 0 : goals.mid(at + kScoreJoin.size()).toLongLong();
            t.points[p] = query.value(4).toLongLong();
            const int place = query.value(5).toInt();
            t.places[p] = place >= 1 && place <= 3 ? place : 0;
        }
        query.finish();
    }

    History history;
    QHash<QString, bool> known;
    for (const QString& table : tournamentsInOrder(created)) {
        const PlayedTournament& t = byCreation[index.value(table)];
        history.tournaments.append(t);
        for (const QString& name : t.players)
            if (!name.isEmpty() && !known.contains(name)) {
                known.insert(name, true);
                history.players.append(name);
            }
    }
    return history;
}

} // namespace kv
