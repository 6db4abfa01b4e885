#include "app/instancelock.h"

#include "common/dialogs.h"

#include <QDir>
#include <QLockFile>

namespace kv {

std::unique_ptr<QLockFile> lockDataFolder(Dialogs& dialogs) {
    auto lock = std::make_unique<QLockFile>(QDir::current().absoluteFilePath(kInstanceLockFile));
    // A live copy holds the lock however long the evening lasts: only a dead owner makes it
    // stale, never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() == QLockFile::LockFailedError) {
        dialogs.information(kAlreadyRunningMessage);
        return nullptr;
    }
    // A folder where no lock can be written (read-only, say) cannot hold a second copy's
    // changes either: run without the lock.
    return lock;
}

} // namespace kv
