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
// first copy holds a lock file in the data folder (the current directory) for its whole run.
// A lock that no running copy can own is taken over: one left by a copy that crashed or was
// killed, and one that is empty or unreadable (the power went off as it was written). A lock
// written on another machine (a folder restored from a copy, a shared folder) is taken over
// only when the players say so. Returns the held lock, or nullptr after telling the players why
// the program cannot run here; nothing else is touched then. A copy starting this very moment
// has made the file and not yet written it: an unreadable lock is read again after
// settleMs before it counts as unreadable.
std::unique_ptr<QLockFile> lockDataFolder(Dialogs& dialogs, int settleMs = 300);

// Ends the event loop on SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C in a terminal), so
// that the program ends as on a normal close and its lock goes with it. Call once, after the
// application object exists.
void quitOnTerminationSignals();
// Whether such a signal came: one that came while a message box of the start was open ended only
// that box's loop, so the program must not enter its main loop afterwards.
bool terminationRequested();

} // namespace kv
