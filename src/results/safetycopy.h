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

// The copies in that folder in the order they were made, oldest first, whatever the times in
// their names say (only files named like the program's own copies).
QStringList safetyCopies(const QString& databaseFile);

// Keeps a consistent copy of the open database as backups/base-<yyyy-MM-dd_HH-mm-ss>.db, named
// by the time given (with the order of making when that time is not after the last copy's),
// then removes the copies made earliest beyond keep. Call it before every change: when no copy
// can be made it throws a message saying why, and the change must not be made. Returns the
// path of the new copy.
QString keepSafetyCopy(const QSqlDatabase& db, const QString& databaseFile, const QDateTime& at,
                       int keep = kSafetyCopiesKept);

} // namespace kv
