#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kv {

class Dialogs;

inline const QString kInstanceLockFile = QStringLiteral(".kickvale.lock");
inline const QString kAlreadyRunningMessage =
    QStringLiteral("Программа уже запущена в этой папке.");

// Two copies in one data folder would both draw and both write the log and the database. The
// first copy holds a lock file in the data folder (the current directory) for its whole run; a
// lock left by a copy that crashed is taken over. Returns the held lock, or nullptr after
// telling the players that another copy runs here; nothing else is touched then.
std::unique_ptr<QLockFile> lockDataFolder(Dialogs& dialogs);

} // namespace kv
