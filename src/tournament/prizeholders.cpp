#include "tournament/prizeholders.h"

#include "common/errors.h"
#include "common/textfile.h"

namespace kv {

void writePrizeEvening(const Tournament& evening, const QDate& awarded) {
    QStringList lines{awarded.toString(Qt::ISODate)};
    for (int i = 0; i < 3; ++i)
        lines.append(lineAt(evening.players, i));
    for (int i = 0; i < 3; ++i)
        lines.append(lineAt(evening.teams, i));
    writeLines(kPrizeEveningFile, lines);
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
