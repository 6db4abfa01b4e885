#include "pools/draw.h"

#include "common/random.h"
#include "common/textfile.h"

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

// The log's lines, whether read as a list or left in the file's text.
template <typename F> void forEachLogLine(const QStringList& log, F&& f) {
    for (const QString& line : log)
        f(QStringView(line));
}
template <typename F> void forEachLogLine(QStringView logText, F&& f) {
    forEachLine(logText, f);
}

// Whether a line of the pool stands in the log. The first look-up reads the log once, probing
// each of its lines against the pool's (the smaller list); every later look-up is then one hash
// probe. A fresh log needs three look-ups, a nearly exhausted pool thousands. The table holds
// views of the pool's lines, not copies: no reference count to touch for each line.
template <typename Log> class LogLookup {
public:
    LogLookup(const QStringList& pool, const Log& log) : pool_(pool), log_(log) {}
    // team must be a line of the pool.
    bool contains(const QString& team) {
        if (!built_) {
            logged_.reserve(pool_.size());
            for (const QString& line : pool_)
                logged_.insert(line, false);
            forEachLogLine(log_, [this](QStringView line) {
                const auto it = logged_.find(line);
                if (it != logged_.end())
                    *it = true;
            });
            built_ = true;
        }
        return logged_.value(QStringView(team));
    }

private:
    const QStringList& pool_;
    const Log& log_;
    bool built_ = false;
    QHash<QStringView, bool> logged_;
};

template <typename Log>
DrawResult draw(const DrawSlots& board, const DrawOptions& options, const QStringList& pool,
                const Log& log, int poolTotal, Random& random) {
    random.seedFromClock();
    DrawResult result;
    result.teams = board.teams;
    const int n = static_cast<int>(pool.size());
    LogLookup<Log> logged(pool, log);

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
            if (options.refuseLoggedTeams && logged.contains(candidate))
                continue;
            break;
        }
    }
    return result;
}

} // namespace

DrawResult drawTeams(const DrawSlots& board, const DrawOptions& options, const QStringList& pool,
                     const QStringList& log, int poolTotal, Random& random) {
    return draw(board, options, pool, log, poolTotal, random);
}

DrawResult drawTeamsFromLogText(const DrawSlots& board, const DrawOptions& options,
                                const QStringList& pool, QStringView logText, int poolTotal,
                                Random& random) {
    return draw(board, options, pool, logText, poolTotal, random);
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
