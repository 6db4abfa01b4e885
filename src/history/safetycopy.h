#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace kv {

// How many copies the backups folder keeps; the oldest go first.
inline constexpr int kSafetyCopiesKept = 20;

// The folder of the copies: backups/ beside the database file.
QString safetyCopyFolder(const QString& databaseFile);

// Why the folder of the copies cannot be listed ("нет прав на чтение папки"); empty when it
// can, or when there is none yet.
QString safetyCopyFolderProblem(const QString& databaseFile);

// The copies in that folder in the order they were made, oldest first, whatever the times in
// their names say (only files named like the program's own copies).
QStringList safetyCopies(const QString& databaseFile);

// The files a restore set aside (base-replaced-<time>.db beside the database), oldest first.
QStringList replacedDatabases(const QString& databaseFile);

// When a copy or a set-aside file was made, as its name says; invalid when its name holds no
// time.
QDateTime madeAtByName(const QString& path);

// What was kept with a copy: the change it came before ("перед записью 27.11.2026"); empty for
// copies kept without one.
QString safetyCopyNote(const QString& path);
// Keeps that note beside a file (path + ".txt"); a note that cannot be written is only missing.
void writeSafetyCopyNote(const QString& path, const QString& note);

// Keeps a consistent copy of the open database as backups/base-<yyyy-MM-dd_HH-mm-ss>.db, named
// by the time given (with the order of making when that time is not after the last copy's),
// then removes the copies made earliest beyond keep. Call it before every change: when no copy
// can be made it throws a message saying why, and the change must not be made. note says which
// change the copy comes before. Returns the path of the new copy.
QString keepSafetyCopy(const QSqlDatabase& db, const QString& databaseFile, const QDateTime& at,
                       int keep = kSafetyCopiesKept, const QString& note = {});

} // namespace kv
