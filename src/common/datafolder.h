#pragma once

#include <QString>
#include <QStringList>

// Which folder holds the players' data, and its first set-up from the program's defaults.
namespace kv {

class ProgramFiles;

inline const QString kDataFolderName = QStringLiteral("zorvo-kickvale-6");

// The folder to work in. A folder given on the command line (the first argument that is not an
// option) wins; else the current folder when it already holds the program's data
// (settings.ini, all_last.txt or base.db); else dataHome/zorvo-kickvale-6.
QString chooseDataFolder(const QStringList& arguments, const QString& currentDir,
                         const QString& dataHome);

// $XDG_DATA_HOME, or ~/.local/share when it is unset.
QString userDataHome();

// Fills a folder that does not exist or is empty (hidden files aside) from the program's
// defaults: the data files, gift files that grant nothing (naming the program's own pictures)
// and base.db made from base.sql under a temporary name. A folder holding anything else is left as
// it is, even without base.db: the start then reports what is missing instead of quietly beginning
// a new history. Nothing is overwritten. A failure throws kv::Error and takes back every file this
// call made. Two set-ups of one folder at once take turns: the second waits and then finds the
// folder made. Returns true when this call filled the folder.
bool prepareDataFolder(const QString& dir, const ProgramFiles& files);

// Chooses the folder from the program's arguments, prepares it and makes it the current one.
// Returns the folder. Throws kv::Error.
QString enterDataFolder(const QStringList& arguments, const ProgramFiles& files);

// "zorvo-kickvale-6 --init DIR" prepares DIR and ends without opening a window (the launcher
// and scripts use it). runSetUpOnly makes its own QCoreApplication and returns the exit code.
bool isSetUpOnly(int argc, char* argv[]);
int runSetUpOnly(int argc, char* argv[]);

} // namespace kv
