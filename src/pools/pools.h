#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The team pools: one text file of team names per category, one team per line. A team is the
// whole line, compared exactly.
namespace kv {

enum class PoolGroup { Clubs, NationalTeams };

// The seven pools, in counting order.
enum class Pool { Teams4, Teams45, Teams5, NatTeams4, NatTeams45, NatTeams5, SuperTeams };

// Everything the program knows about a pool; every list of pools is derived from this table.
struct PoolInfo {
    Pool pool;
    QString file;
    PoolGroup group;
    QString label;         // the category's short name, for example "Клубы 4*"
    QString captionSuffix; // what the main window's title gains: " - " and the label
    int startPick;         // place in its group's list for the start's random pick
    int clearingTest;      // place in the order the start tests the pools for free teams
    bool twoPlayerClubs;   // drawn from by the two-player window's "Клубы"
};

inline const QString kLogFile = QStringLiteral("all_last.txt");
inline const QString kCandidateFile = QStringLiteral("temp");
inline const QString kTwoPlayerNationalFile = QStringLiteral("natteams.txt");

// The seven pools in counting order.
const QList<PoolInfo>& pools();
const PoolInfo& poolInfo(Pool pool);
const QString& poolFile(Pool pool);
// nullptr for a file that is not one of the seven.
const PoolInfo* poolInfo(const QString& file);
// The files of a group in the order of the start's random pick.
const QStringList& startPickFiles(PoolGroup group);
// The seven files in the order the start tests them for free teams.
const QStringList& clearingTestFiles();
// The club pools of the two-player window, in the order of its random pick.
const QStringList& twoPlayerClubFiles();

// Every team of the seven pools with the label of the pool that holds it today ("Клубы 4*",
// ...); a team in two pools has the first one's. A pool that cannot be read adds nothing.
QHash<QString, QString> poolLabelsOfTeams();

// The message shown when a pool runs out during the draw.
QString PoolEmptyMessage(const QString& file);

// How often each text stands in the log: built once for many tests against the same log.
using LineCounts = QHash<QString, qsizetype>;
LineCounts countEachLine(const QStringList& log);

// Fewer than three of the pool's lines are free of the log. Matches are counted as pairs: a team
// twice in the log and once in the pool counts twice. Linear in both sizes.
bool PoolExhausted(const QStringList& pool, const LineCounts& logCounts);
bool PoolExhausted(const QString& poolFile, const QString& logFile = kLogFile);

// Whether a file holds a line equal to a team, asked for the lines of one pool: the draw asks
// it for every pick, thousands of times when the pool is nearly used up. The file's text is
// looked through once, on the first question, each of its lines probed against the pool's (the
// smaller list); every later question is one hash probe. The table holds views of the pool's
// lines, not copies.
class FileHasLine {
public:
    // fileText is the file's whole text (readText); both must outlive this object.
    FileHasLine(const QStringList& pool, QStringView fileText) : pool_(pool), text_(fileText) {}
    // team must be a line of the pool.
    bool operator()(const QString& team);

private:
    const QStringList& pool_;
    QStringView text_;
    bool built_ = false;
    QHash<QStringView, bool> found_;
};

// Writes the pool's lines less every line of the log to the candidate list "temp" (replacing
// it) and returns them.
QStringList BuildCandidateList(const QStringList& pool, const LineCounts& logCounts,
                               const QString& candidateFile = kCandidateFile);

} // namespace kv
