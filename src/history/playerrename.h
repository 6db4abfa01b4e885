#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace kv {

class HistoryStore;

// A player's name as it was and as it is to be.
using PlayerRename = std::pair<QString, QString>;

// The question the settings dialog asks when it changes names that the history holds.
QString renameQuestion(const QList<PlayerRename>& renames);

// Left in the data folder while a rename has begun and not yet reached every file: the next start
// finishes it or drops it.
inline const QString kRenameMarkFile = QStringLiteral(".kickvale-rename");

// The points a rename passes, in order; a test stops it at one of them as a kill would.
enum class RenameStep {
    Marked,
    RenamedUncommitted,
    Committed,
    BestScorerFile,
    PrizeFile,
    Settings
};
using RenameSteps = std::function<void(RenameStep)>;

// Renames players in the history, "bomb.txt", "prizes.txt" and writes settingsLines as the new
// settings file: all of it or nothing, even when the program is killed half way. The mark is
// written first; once the history's change is committed the rename counts, and the files follow.
// Throws (nothing changed) when the history refuses; returns a message for the players when the
// history changed but a file could not be written then (the next start writes it), else empty.
QString renamePlayersEverywhere(HistoryStore& history, const QList<PlayerRename>& renames,
                                const QStringList& settingsLines, const RenameSteps& steps = {});

// What the start found of a rename the last run did not end.
enum class InterruptedRename { None, Finished, Dropped };
// At start, before anything reads the files: with the history holding the new names the files
// are brought to them, else the rename never happened and only the mark goes. Throws when the
// history cannot be read or a file not written; the mark then stays for the next start.
InterruptedRename settleInterruptedRename(HistoryStore& history);

} // namespace kv
