#include "records/eveningchances.h"

#include "common/textfile.h"
#include "records/rating.h"
#include "tournament/standings.h"

namespace kv {

MatchChances eveningChances(const History& history, const Tournament& evening,
                            const LevelOf& levelOf) {
    MatchChances texts;
    for (int i = 0; i < 3; ++i)
        if (lineAt(evening.players, i).isEmpty() || lineAt(evening.teams, i).isEmpty())
            return texts;
    const Rating rating = computeRating(history, levelOf);
    for (int m = 0; m < 6; ++m) {
        const int home = kMatches[m].home;
        const int away = kMatches[m].away;
        const ComingMatch match{lineAt(evening.players, home), lineAt(evening.teams, home),
                                lineAt(evening.players, away), lineAt(evening.teams, away)};
        texts[m] = describeChances(match.homePlayer, match.awayPlayer,
                                   comingChances(rating, match, levelOf));
    }
    return texts;
}

} // namespace kv
