#pragma once

#include "common/errors.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace kv {

// The format of the history this program writes. A database of a higher PRAGMA user_version
// comes from a newer program: it is opened read-only, so that nothing of it is lost.
inline constexpr int kHistoryFormat = 0;
// How long a read or a change waits for another program that holds base.db.
inline constexpr int kBusyWaitMs = 3000;

// base.db cannot be read as the history: it is damaged, empty or not a database at all. The
// safety copies in backups/ may bring the history back.
class DamagedHistory : public Error {
public:
    DamagedHistory(QString text, QString reason) : Error(std::move(text)), reason_(reason) {}
    // What is wrong, in a few words ("это не файл базы данных").
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// Another program held the database longer than the program waits; it may free it later.
class BusyHistory : public Error {
public:
    using Error::Error;
};

DamagedHistory damagedHistory(const QString& databaseFile, const QString& reason);
// The database is gone while copies of it are at hand.
DamagedHistory missingHistory(const QString& databaseFile);
BusyHistory busyHistory(const QString& databaseFile);
// Said once when a database of a newer format is opened read-only.
QString newerFormatWarning(const QString& databaseFile, int format);
// Refuses a change of a database opened read-only.
Error readOnlyHistory(const QString& databaseFile);
// Throws the engine's failure (its result code and English text) in the words the players read:
// a busy or a damaged database is told as such, anything else keeps the engine's text.
[[noreturn]] void throwEngineError(int code, const QString& text, const QString& databaseFile);

// One safety copy as the restore window lists it.
struct CopySummary {
    QString path;
    QDateTime made;
    int tournaments = 0;
    QString newest; // the tournament stored last in it, empty when none
    QString fault;  // why the copy cannot be read, empty when it can
};

// The safety copies of the database, the newest first, each opened read-only and described.
QList<CopySummary> describeSafetyCopies(const QString& databaseFile);

// Puts a copy in the place of the closed database file: the copy is copied beside it first, the
// current file (with its journal, whatever state it is in, even a folder) is renamed to
// base-replaced-<time>.db next to it, then the copy takes the name. Returns the kept file's
// path, or an empty one when there was no current file. Throws, with the current file in
// place, when any step fails.
QString replaceWithCopy(const QString& databaseFile, const QString& copy, const QDateTime& now);

} // namespace kv
