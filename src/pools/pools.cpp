#include "pools/pools.h"

#include "common/errors.h"
#include "common/textfile.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>

namespace kv {

namespace {

QList<PoolInfo> makeTable() {
    struct Row {
        Pool pool;
        const char* file;
        PoolGroup group;
        const char* label;
        int startPick;
        int clearingTest;
        bool twoPlayerClubs;
    };
    constexpr PoolGroup C = PoolGroup::Clubs;
    constexpr PoolGroup N = PoolGroup::NationalTeams;
    const Row rows[] = {
        {Pool::Teams4, "teams4.txt", C, "Клубы 4*", 0, 1, true},
        {Pool::Teams45, "teams45.txt", C, "Клубы 4,5*", 1, 2, true},
        {Pool::Teams5, "teams5.txt", C, "Клубы 5*", 2, 0, true},
        {Pool::NatTeams4, "natteams4.txt", N, "Сборные 4*", 2, 3, false},
        {Pool::NatTeams45, "natteams45.txt", N, "Сборные 4,5*", 0, 4, false},
        {Pool::NatTeams5, "natteams5.txt", N, "Сборные 5*", 1, 5, false},
        {Pool::SuperTeams, "superteams.txt", C, "Суперклубы", 3, 6, false},
    };
    QList<PoolInfo> table;
    for (const Row& r : rows) {
        const QString label = QString::fromUtf8(r.label);
        table.append({r.pool, QString::fromLatin1(r.file), r.group, label,
                      QStringLiteral(" - ") + label, r.startPick, r.clearingTest,
                      r.twoPlayerClubs});
    }
    return table;
}

// The files of the pools that pass, ordered by key.
QStringList filesBy(int PoolInfo::*key, const std::function<bool(const PoolInfo&)>& pass) {
    QList<PoolInfo> chosen;
    for (const PoolInfo& info : pools())
        if (pass(info))
            chosen.append(info);
    std::stable_sort(chosen.begin(), chosen.end(),
                     [&](const PoolInfo& a, const PoolInfo& b) { return a.*key < b.*key; });
    QStringList files;
    for (const PoolInfo& info : chosen)
        files.append(info.file);
    return files;
}

} // namespace

const QList<PoolInfo>& pools() {
    static const QList<PoolInfo> table = makeTable();
    return table;
}

const PoolInfo& poolInfo(Pool pool) {
    return pools()[static_cast<int>(pool)];
}

const QString& poolFile(Pool pool) {
    return poolInfo(pool).file;
}

const PoolInfo* poolInfo(const QString& file) {
    for (const PoolInfo& info : pools())
        if (info.file == file)
            return &info;
    return nullptr;
}

const QStringList& startPickFiles(PoolGroup group) {
    static const QStringList clubs = filesBy(
        &PoolInfo::startPick, [](const PoolInfo& p) { return p.group == PoolGroup::Clubs; });
    static const QStringList national = filesBy(&PoolInfo::startPick, [](const PoolInfo& p) {
        return p.group == PoolGroup::NationalTeams;
    });
    return group == PoolGroup::Clubs ? clubs : national;
}

const QStringList& clearingTestFiles() {
    static const QStringList files =
        filesBy(&PoolInfo::clearingTest, [](const PoolInfo&) { return true; });
    return files;
}

const QStringList& twoPlayerClubFiles() {
    static const QStringList files =
        filesBy(&PoolInfo::startPick, [](const PoolInfo& p) { return p.twoPlayerClubs; });
    return files;
}

QHash<QString, QString> poolLabelsOfTeams() {
    QHash<QString, QString> labels;
    for (const PoolInfo& info : pools()) {
        QStringList teams;
        try {
            teams = readLines(info.file);
        } catch (const Error&) {
            continue;
        }
        for (const QString& team : teams)
            if (!team.isEmpty() && !labels.contains(team))
                labels.insert(team, info.label);
    }
    return labels;
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

bool PoolExhausted(const QStringList& pool, const LineCounts& logCounts) {
    qsizetype matches = 0;
    for (const QString& team : pool)
        matches += logCounts.value(team, 0);
    return pool.size() - matches < 3;
}

bool PoolExhausted(const QString& poolFile, const QString& logFile) {
    const QStringList pool = readLines(poolFile);
    return PoolExhausted(pool, countEachLine(readLines(logFile)));
}

bool FileHasLine::operator()(const QString& team) {
    if (!built_) {
        found_.reserve(pool_.size());
        for (const QString& line : pool_)
            found_.insert(line, false);
        forEachLine(text_, [this](QStringView line) {
            const auto it = found_.find(line);
            if (it != found_.end())
                *it = true;
        });
        built_ = true;
    }
    return found_.value(QStringView(team));
}

QStringList BuildCandidateList(const QStringList& pool, const LineCounts& logCounts,
                               const QString& candidateFile) {
    QStringList free;
    free.reserve(pool.size());
    for (const QString& team : pool)
        if (!logCounts.contains(team))
            free.append(team);
    writeScratchLines(candidateFile, free);
    return free;
}

} // namespace kv
