#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The team pools: one text file of team names per category, one team per line. A team is the
// whole line, compared exactly.
namespace kv {

enum class PoolGroup { Clubs, NationalTeams };

struct PoolInfo {
    QString file; // "teams4.txt"
    PoolGroup group;
    QString captionSuffix; // " - Клубы 4*", appended to the main window's title
    QString label;         // "Клубы 4*", the category's short name
};

inline const QString kLogFile = QStringLiteral("all_last.txt");
inline const QString kCandidateFile = QStringLiteral("temp");
inline const QString kTwoPlayerNationalFile = QStringLiteral("natteams.txt");

// The seven pools in counting order: teams4, teams45, teams5, natteams4, natteams45, natteams5,
// superteams.
const QList<PoolInfo>& pools();
// nullptr for a file that is not one of the seven.
const PoolInfo* poolInfo(const QString& file);

// Lines of the seven pools together; throws when one cannot be read.
int poolTotal();

// The message shown when a pool runs out during the draw.
QString PoolEmptyMessage(const QString& file);

// Fewer than three of the pool's lines are free of the log. Matches are counted as pairs: a team
// twice in the log and once in the pool counts twice. Linear in both sizes.
bool PoolExhausted(const QStringList& pool, const QStringList& log);
// How often each text stands in the log: built once for many tests against the same log.
using LineCounts = QHash<QString, qsizetype>;
LineCounts countEachLine(const QStringList& log);
bool PoolExhausted(const QStringList& pool, const LineCounts& logCounts);
bool PoolExhausted(const QString& poolFile, const QString& logFile = kLogFile);

// Some line of the file equals the text exactly.
bool FileHasLine(const QString& file, const QString& line);

// The pool's lines, in order, less every line equal to a line of the log.
QStringList freeTeams(const QStringList& pool, const QStringList& log);
QStringList freeTeams(const QStringList& pool, const LineCounts& logCounts);
// Writes the free teams of the pool to "temp" (replacing it) and returns them.
QStringList BuildCandidateList(const QString& poolFile, const QString& logFile = kLogFile,
                               const QString& candidateFile = kCandidateFile);

} // namespace kv
