#include "pools/teamlog.h"

#include "common/dialogs.h"
#include "common/textfile.h"

#include <QFileInfo>

namespace kv {

QStringList openOrCreateLog(const QString& logFile) {
    if (!QFileInfo::exists(logFile)) {
        writeLines(logFile, {});
        return {};
    }
    return readLines(logFile);
}

bool logTooLong(qsizetype logLines, int poolTotal) {
    return logLines >= qsizetype(poolTotal) - 2;
}

void clearLog(const QString& logFile) {
    writeLines(logFile, {});
}

void appendTeamsToLog(const QStringList& teams, Dialogs& dialogs, const QString& logFile) {
    // Only a log that is really missing counts as new: one that exists but cannot be read must
    // fail loudly instead of being replaced by three lines.
    if (!QFileInfo::exists(logFile))
        dialogs.information(kLogCreatedMessage);
    appendLines(logFile, teams);
}

} // namespace kv
