#pragma once

#include "common/errors.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

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

// The disk holding the database is full or failed a write; the change that met it was rolled
// back.
class DiskFault : public Error {
public:
    DiskFault(QString text, bool full, QString detail)
        : Error(std::move(text)), full_(full), detail_(std::move(detail)) {}
    bool full() const { return full_; }
    // The engine's own words, for a fault other than a full disk.
    const QString& detail() const { return detail_; }

private:
    bool full_;
    QString detail_;
};

// What a change of the history is, in the players' words: kept with its safety copy, and said
// when the change cannot be made.
struct ChangeNote {
    QString before;  // "перед записью 27.11.2026"
    QString notDone = QStringLiteral("Изменение не сделано");
};
ChangeNote writingNote(const QString& table);
ChangeNote correctionNote(const QString& table);
ChangeNote deletionNote(const QString& table);
ChangeNote renamingNote(const QList<std::pair<QString, QString>>& renames);
ChangeNote rebuildNote();

DamagedHistory damagedHistory(const QString& databaseFile, const QString& reason);
// The database is gone while copies of it are at hand.
DamagedHistory missingHistory(const QString& databaseFile);
// The database is gone in the middle of a restore that could not be finished at start.
DamagedHistory unfinishedRestore(const QString& databaseFile);
BusyHistory busyHistory(const QString& databaseFile);
// The same, said of a change that was not made (notDone: "Турнир не записан").
BusyHistory busyChange(const QString& databaseFile, const QString& notDone);
DiskFault diskFault(const QString& databaseFile, const QString& notDone, const DiskFault& fault);
// A base.db that this user may not write: no change can be made.
Error readOnlyFile(const QString& databaseFile);
// Said once when a database of a newer format is opened read-only.
QString newerFormatWarning(const QString& databaseFile, int format);
// Refuses a change of a database opened read-only.
Error readOnlyHistory(const QString& databaseFile);
// Throws the engine's failure (its result code and English text) in the words the players read:
// a busy or a damaged database and a full disk are told as such, anything else keeps the
// engine's text.
[[noreturn]] void throwEngineError(int code, const QString& text, const QString& databaseFile);

// One safety copy, or a file a restore set aside, as the restore window lists it.
struct CopySummary {
    QString path;
    QDateTime made;
    int tournaments = 0;
    QString newest; // the tournament stored last in it, empty when none
    QString fault;  // why the copy cannot be read, empty when it can
    QString note;   // the change it came before, or that a restore set it aside
    bool newer = false; // written by a newer version of the program: it would open read-only
};

// The safety copies of the database and the files restores set aside, the newest first, each
// opened read-only and described. Throws when the folder of the copies cannot be read.
QList<CopySummary> describeSafetyCopies(const QString& databaseFile);

// Puts a copy in the place of the closed database file: the copy is copied beside it first
// (base.db.restoring, complete before it has that name), the current file (with its journal,
// whatever state it is in, even a folder) is renamed to base-replaced-<time>.db next to it, then
// the copy takes the name. Returns the kept file's path, or an empty one when there was no
// current file. Throws, with the current file in place, when any step fails.
QString replaceWithCopy(const QString& databaseFile, const QString& copy, const QDateTime& now);

// A restore cut short between its renames leaves no base.db but the complete copy beside it:
// puts the copy in place, as the restore would have. Returns whether it did.
bool finishCutRestore(const QString& databaseFile);

} // namespace kv
