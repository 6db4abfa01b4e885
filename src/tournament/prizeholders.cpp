#include "tournament/prizeholders.h"

#include "common/errors.h"
#include "common/textfile.h"
#include "results/historystore.h"
#include "results/tournamentdates.h"

#include <QFileInfo>

namespace kv {

void writePrizeEvening(const Tournament& evening, const QDate& awarded) {
    QStringList lines{awarded.toString(Qt::ISODate)};
    for (int i = 0; i < 3; ++i)
        lines.append(lineAt(evening.players, i));
    for (int i = 0; i < 3; ++i)
        lines.append(lineAt(evening.teams, i));
    writeLines(kPrizeEveningFile, lines);
}

PrizeHolders findPrizeHolders(HistoryStore& history) {
    const QStringList tables = history.tournamentTables();
    PrizeHolders holders;
    if (!QFileInfo::exists(kPrizeEveningFile)) {
        holders.won = !tables.isEmpty();
        return holders;
    }
    const QStringList record = readLines(kPrizeEveningFile);
    const QDate awarded = QDate::fromString(lineAt(record, 0), Qt::ISODate);
    for (auto table = tables.crbegin(); table != tables.crend(); ++table) {
        const std::optional<QDateTime> written = tournamentDateTime(*table);
        if (written && awarded.isValid() && written->date() < awarded)
            break; // written before the award: the evening is not stored
        TournamentEntry stored;
        try {
            stored = history.readTournament(*table);
        } catch (const Error&) {
            continue; // a table that cannot be read is not the evening
        }
        bool same = true;
        for (int i = 0; i < 3; ++i)
            same = same && stored.players[i].name == lineAt(record, 1 + i) &&
                   stored.players[i].team == lineAt(record, 4 + i);
        if (!same)
            continue;
        QStringList first, second;
        for (const PlayerEntry& p : stored.players) {
            if (p.figures.place() == 1)
                first.append(p.name);
            else if (p.figures.place() == 2)
                second.append(p.name);
        }
        holders.first = first.join(QStringLiteral(", "));
        holders.second = second.join(QStringLiteral(", "));
        holders.found = true;
        break;
    }
    return holders;
}

QString PrizeHolders::shownHolder(int place) const {
    const QString& name = place == 1 ? first : second;
    if (name.isEmpty() && found)
        return QStringLiteral("никто (первое место поделили)");
    return name;
}

QString privilegesLine(const PrizeHolders& holders, int teamChoiceFrom, int exceptChoiceFrom,
                       const QString& bestScorer) {
    const auto holder = [&](int place) {
        const QString name = place == 1 ? holders.first : holders.second;
        if (!name.isEmpty())
            return name + (place == 1 ? QStringLiteral(" (первое место)")
                                      : QStringLiteral(" (второе место)"));
        return place == 1 ? QStringLiteral("первое место прошлого турнира")
                          : QStringLiteral("второе место прошлого турнира");
    };
    QStringList parts;
    if (teamChoiceFrom)
        parts.append(QStringLiteral("Выбор команды: %1").arg(holder(teamChoiceFrom)));
    if (exceptChoiceFrom)
        parts.append(QStringLiteral("«Кроме:» любому: %1").arg(holder(exceptChoiceFrom)));
    if (!bestScorer.isEmpty())
        parts.append(QStringLiteral("«Кроме:» %1 (лучший бомбардир)").arg(bestScorer));
    return parts.join(QStringLiteral("; "));
}

} // namespace kv
