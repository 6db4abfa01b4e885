#include "history/storedprizes.h"

#include "common/errors.h"
#include "common/textfile.h"
#include "history/historystore.h"
#include "history/tournamentdates.h"

#include <QFileInfo>

namespace kv {

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

} // namespace kv
