#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The settings file "settings.ini": a short list of lines. Lines 1 and 2 are read by position;
// every other value is the line after its marker line. It is read in one go into one value, and
// every writer replaces the whole file atomically.
namespace kv {

// The category of a tournament as the settings file names it on its second line.
enum class Category { Clubs, NationalTeams, Random };
// "clubs", "natteams", "random"; any other text (other letter case too) is no category.
std::optional<Category> parseCategory(const QString& text);
QString formatCategory(Category category);

} // namespace kv

namespace kv::settings {

inline const QString kFileName = QStringLiteral("settings.ini");
inline const QString kPlayersMarker = QStringLiteral("[players]");
inline const QString kGiftMarker = QStringLiteral("[gift]");
inline const QString kLogAllMarker = QStringLiteral("[log all teams]");

// The ten lines of a new settings file.
QStringList defaultLines();
void writeDefault(const QString& path = kFileName);

// The file's values as they stand; a missing line is empty.
struct Values {
    // Lines 1 and 2 by position: the ask-at-start flag and the category setting, which
    // parseCategory() tells.
    QString askFlag;
    QString category;
    // The three lines after "[players]"; a file without the marker gives the names of a new
    // settings file, "Player 1" .. "Player 3".
    QStringList players;
    // The line after "[gift]"; none for a file without the marker (then no prizes are drawn).
    std::optional<QString> gift;
    std::optional<QString> logAll; // the line after "[log all teams]"
    // The log-all line as a whole number ("'%s' is not a valid integer value" otherwise); a file
    // without the marker gives 1, the value of a new settings file.
    int logAllFlag() const;
};
Values parse(const QStringList& lines);
// Throws when the file cannot be opened.
Values read(const QString& path = kFileName);

// What the settings dialog saves; no category writes no line for it.
struct DialogValues {
    bool askAtStart = true;
    std::optional<Category> category;
    QStringList names; // three
    bool computeGifts = true;
    bool logAll = true;
};
QStringList dialogLines(const DialogValues& values);

// What is wrong with the names the dialog is about to save, in the players' words, and the slot
// (0..2) to put right; no text when they can be saved. A name must be filled, be one line, differ
// from the other two (the all-time table adds up by exact name) and not be a marker line of this
// file (the readers would take it for the marker).
struct NamesProblem {
    int slot = -1;
    QString text;
};
NamesProblem checkPlayerNames(const QStringList& names);
void writeDialogValues(const DialogValues& values, const QString& path = kFileName);

} // namespace kv::settings
