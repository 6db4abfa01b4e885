#include "pools/two_player.h"

#include "common/errors.h"
#include "common/random.h"
#include "common/textfile.h"
#include "pools/pools.h"

namespace kv {

bool hasTwoDifferentLines(const QStringList& lines) {
    for (const QString& line : lines) {
        if (line != lines.first())
            return true;
    }
    return false;
}

TwoTeams drawTwoTeams(const QString& file, const QStringList& lines, Random& random) {
    if (!hasTwoDifferentLines(lines))
        throw Error(QStringLiteral("В файле \"%1\" нет двух разных команд: разыграть команды на "
                                   "двоих нельзя. Добавьте в него команды.")
                        .arg(file));
    const int n = static_cast<int>(lines.size());
    TwoTeams teams;
    teams.file = file;
    teams.first = lines[random.below(n)];
    // Ends with probability 1: the check above guarantees a line that differs.
    do {
        random.seedFromClock();
        teams.second = lines[random.below(n)];
    } while (teams.second == teams.first);
    return teams;
}

TwoTeams drawTwoTeamsFromFile(const QString& file, Random& random) {
    return drawTwoTeams(file, readLines(file), random);
}

TwoTeams drawTwoClubs(Random& random) {
    random.seedFromClock();
    const QStringList& files = twoPlayerClubFiles();
    return drawTwoTeamsFromFile(files[random.below(static_cast<int>(files.size()))], random);
}

TwoTeams drawTwoNationalTeams(Random& random) {
    random.seedFromClock();
    return drawTwoTeamsFromFile(kTwoPlayerNationalFile, random);
}

} // namespace kv
