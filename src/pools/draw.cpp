#include "pools/draw.h"

#include "common/random.h"
#include "common/textfile.h"
#include "pools/pools.h"

#include <QHash>

namespace kv {

namespace {

// The rules that need no log: another box's team, the except-choice, the last team.
bool refusedBeforeLimit(const QString& candidate, int slot, const std::array<QString, 3>& teams,
                        const DrawSlots& board, const DrawOptions& options) {
    for (int other = 0; other < 3; ++other)
        if (other != slot && candidate == teams[other])
            return true;
    if (candidate == board.except[slot])
        return true;
    return options.refuseLastTeams && candidate == board.lastTeams[slot];
}

} // namespace

DrawResult drawTeams(const DrawSlots& board, const DrawOptions& options, const QStringList& pool,
                     QStringView logText, int poolTotal, Random& random) {
    random.seedFromClock();
    DrawResult result;
    result.teams = board.teams;
    const int n = static_cast<int>(pool.size());
    FileHasLine logged(pool, logText);

    for (int slot = 0; slot < 3; ++slot) {
        if (!result.teams[slot].isEmpty())
            continue;
        // Without a single line that can pass the rules above the limit check, the picks
        // would never end: say so before picking.
        bool possible = false;
        for (const QString& line : pool)
            if (!refusedBeforeLimit(line, slot, result.teams, board, options)) {
                possible = true;
                break;
            }
        if (!possible) {
            result.outcome = DrawResult::Outcome::SlotImpossible;
            result.slot = slot;
            return result;
        }

        int attempts = 0;
        for (;;) {
            ++attempts;
            const QString& candidate = pool[random.below(n)];
            if (refusedBeforeLimit(candidate, slot, result.teams, board, options))
                continue;
            result.teams[slot] = candidate;
            if (attempts > poolTotal) {
                result.outcome = DrawResult::Outcome::AttemptLimit;
                result.slot = slot;
                return result;
            }
            if (options.refuseLoggedTeams && logged(candidate))
                continue;
            break;
        }
    }
    return result;
}

} // namespace kv

namespace kv {

QString slotImpossibleMessage(const QString& playerName) {
    return QStringLiteral("Для игрока «%1» в текущем списке не осталось подходящей команды: все "
                          "команды списка заняты другими игроками или исключены. Измените выбор "
                          "команд или введите команду вручную.")
        .arg(playerName);
}

} // namespace kv
