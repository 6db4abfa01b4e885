#include "pools/schedule.h"

#include "common/errors.h"
#include "common/random.h"

namespace kv {

bool teamsDistinct(const std::array<QString, 3>& teams) {
    return teams[0] != teams[1] && teams[0] != teams[2] && teams[1] != teams[2];
}

Schedule makeSchedule(const std::array<QString, 3>& teams, Random& random) {
    if (!teamsDistinct(teams))
        throw Error(kEqualTeamsMessage);
    Schedule s;
    auto& [l7, l8, l10, l11, l14, l15] = s.labels;
    for (;;) {
        ++s.attempts;
        random.seedFromClock();
        const int p = random.below(3);
        const QString& x = teams[p];
        // The two other teams in player order.
        const QString& first = teams[p == 0 ? 1 : 0];
        const QString& second = teams[p == 2 ? 1 : 2];
        const int q = random.below(2);
        const QString& y = q == 0 ? first : second;
        const QString& z = q == 0 ? second : first;
        l7 = x;
        l8 = y;
        // Match 2: Z on one side, X or Y on the other.
        const int r = random.below(2);
        const int side = random.below(2);
        const QString& partner = side == 0 ? x : y;
        l10 = r == 0 ? z : partner;
        l11 = r == 0 ? partner : z;
        // Match 3: the team of match 1 not in match 2, against the team of match 2 not in
        // match 1.
        l14 = (l7 == l10 || l7 == l11) ? l8 : l7;
        l15 = (l10 == l7 || l10 == l8) ? l11 : l10;
        if (l8 == l11 || l11 == l15 || l8 == l15)
            continue;
        return s;
    }
}

} // namespace kv
