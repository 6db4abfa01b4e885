#pragma once

#include <QString>
#include <QStringList>

// The draw of the two-player window: two different teams of one pool, nothing written.
namespace kv {

class Random;

struct TwoTeams {
    QString file; // the pool both teams come from
    QString first;
    QString second;
};

// The lines of a pool hold at least two different texts, so that a second team different from
// the first can be found.
bool hasTwoDifferentLines(const QStringList& lines);

// Two different lines of the pool. The first is a uniform pick; the second is drawn again, with
// the generator re-seeded from the clock before every try, until it differs from the first.
// A pool with fewer than two different lines (empty, one name, the same name on every line)
// throws a kv::Error saying so, instead of drawing without end.
TwoTeams drawTwoTeams(const QString& file, const QStringList& lines, Random& random);
// Reads the pool (throws "Cannot open file ...") and draws from it.
TwoTeams drawTwoTeamsFromFile(const QString& file, Random& random);

// "Клубы": one of the three club pools at random, then two of its clubs.
TwoTeams drawTwoClubs(Random& random);
// "Сборные": two national teams of "natteams.txt".
TwoTeams drawTwoNationalTeams(Random& random);

} // namespace kv
