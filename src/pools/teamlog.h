#pragma once

#include "pools/pools.h"

#include <QString>
#include <QStringList>

namespace kv {

class Dialogs;

// The recent-teams log "all_last.txt": the teams of every scheduled tournament, three lines at a
// time in slot order, never sorted or de-duplicated.
inline const QString kLogClearedMessage = QStringLiteral("All last teams cleared!");
inline const QString kLogCreatedMessage = QStringLiteral("file not found, new");

// Start of a run: a missing log is created empty without a word; the log's lines are returned.
// A log that exists but cannot be read throws rather than being replaced, so its teams survive.
QStringList openOrCreateLog(const QString& logFile = kLogFile);

// First clearing rule: the log has grown to within two lines of all the pools together.
bool logTooLong(qsizetype logLines, int poolTotal);
// Second clearing rule: no pool has three free teams left. The pools are tested in the order of
// clearingTestFiles(), stopping at the first free one; poolLines(file) gives a pool's lines.
template <typename PoolLines>
bool allPoolsExhausted(PoolLines&& poolLines, const LineCounts& logCounts);

// Empties the log.
void clearLog(const QString& logFile = kLogFile);

// Appends the three teams (empty boxes as empty lines). A missing log is reported with
// "file not found, new" and created holding just these lines.
void appendTeamsToLog(const QStringList& teams, Dialogs& dialogs,
                      const QString& logFile = kLogFile);

template <typename PoolLines>
bool allPoolsExhausted(PoolLines&& poolLines, const LineCounts& logCounts) {
    for (const QString& file : clearingTestFiles())
        if (!PoolExhausted(poolLines(file), logCounts))
            return false;
    return true;
}

} // namespace kv
