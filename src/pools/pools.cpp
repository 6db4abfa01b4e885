#include "pools/pools.h"

#include "common/textfile.h"

#include <QHash>
#include <QSet>

namespace kv {

const QList<PoolInfo>& pools() {
    static const QList<PoolInfo> list{
        {QStringLiteral("teams4.txt"), PoolGroup::Clubs, QStringLiteral(" - Клубы 4*"),
         QStringLiteral("Клубы 4*")},
        {QStringLiteral("teams45.txt"), PoolGroup::Clubs, QStringLiteral(" - Клубы 4,5*"),
         QStringLiteral("Клубы 4,5*")},
        {QStringLiteral("teams5.txt"), PoolGroup::Clubs, QStringLiteral(" - Клубы 5*"),
         QStringLiteral("Клубы 5*")},
        {QStringLiteral("natteams4.txt"), PoolGroup::NationalTeams, QStringLiteral(" - Сборные 4*"),
         QStringLiteral("Сборные 4*")},
        {QStringLiteral("natteams45.txt"), PoolGroup::NationalTeams,
         QStringLiteral(" - Сборные 4,5*"), QStringLiteral("Сборные 4,5*")},
        {QStringLiteral("natteams5.txt"), PoolGroup::NationalTeams, QStringLiteral(" - Сборные 5*"),
         QStringLiteral("Сборные 5*")},
        {QStringLiteral("superteams.txt"), PoolGroup::Clubs, QStringLiteral(" - Суперклубы"),
         QStringLiteral("Суперклубы")},
    };
    return list;
}

const PoolInfo* poolInfo(const QString& file) {
    for (const PoolInfo& info : pools())
        if (info.file == file)
            return &info;
    return nullptr;
}

int poolTotal() {
    int total = 0;
    for (const PoolInfo& info : pools())
        total += countLines(info.file);
    return total;
}

QString PoolEmptyMessage(const QString& file) {
    if (file == kTwoPlayerNationalFile)
        return QStringLiteral("Сборные кончились. Перезапустите!");
    if (const PoolInfo* info = poolInfo(file))
        return info->label + QStringLiteral(" кончились. Перезапустите!");
    return QStringLiteral("Команды кончились. Перезапустите!");
}

LineCounts countEachLine(const QStringList& log) {
    LineCounts counts;
    counts.reserve(log.size());
    for (const QString& team : log)
        ++counts[team];
    return counts;
}

bool PoolExhausted(const QStringList& pool, const QStringList& log) {
    return PoolExhausted(pool, countEachLine(log));
}

bool PoolExhausted(const QStringList& pool, const LineCounts& logCounts) {
    qsizetype matches = 0;
    for (const QString& team : pool)
        matches += logCounts.value(team, 0);
    return pool.size() - matches < 3;
}

bool PoolExhausted(const QString& poolFile, const QString& logFile) {
    const QStringList pool = readLines(poolFile);
    return PoolExhausted(pool, readLines(logFile));
}

bool FileHasLine(const QString& file, const QString& line) {
    return readLines(file).contains(line);
}

QStringList freeTeams(const QStringList& pool, const QStringList& log) {
    const QSet<QString> logged(log.cbegin(), log.cend());
    QStringList out;
    out.reserve(pool.size());
    for (const QString& team : pool)
        if (!logged.contains(team))
            out.append(team);
    return out;
}

QStringList freeTeams(const QStringList& pool, const LineCounts& logCounts) {
    QStringList out;
    out.reserve(pool.size());
    for (const QString& team : pool)
        if (!logCounts.contains(team))
            out.append(team);
    return out;
}

QStringList BuildCandidateList(const QString& poolFile, const QString& logFile,
                               const QString& candidateFile) {
    const QStringList pool = readLines(poolFile);
    const QStringList free = freeTeams(pool, readLines(logFile));
    writeScratchLines(candidateFile, free);
    return free;
}

} // namespace kv
