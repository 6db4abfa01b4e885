#pragma once

#include <QString>

namespace kv {

// The program's name as players see it: the main window's caption and the message boxes'.
QString programTitle();

// Names the program for the system (settings and data paths). No display name is set: Qt on
// X11 appends one to every window title, and each window's caption is its whole title.
void nameProgram();

// The folder of the program's own files (table.xlsx, images/, defaults/). The start-up finds it
// once and hands it to everyone who reads those files.
class ProgramFiles {
public:
    ProgramFiles() = default; // no folder yet: every path is relative to the current one
    explicit ProgramFiles(const QString& dir);

    // share/zorvo-kickvale-6 beside the executable's bin/ when installed, else the executable's
    // own folder. Needs the application object.
    static ProgramFiles installed();
    // The same for an executable in exeDir.
    static ProgramFiles besideExecutable(const QString& exeDir);

    // The folder + "images/" + fileName: the gift pictures, as the gift files store them.
    QString imagePath(const QString& fileName) const;
    // What a new data folder starts with.
    QString defaultsDir() const;
    // The workbook the tournament sheet is filled from.
    QString sheetTemplate() const;

private:
    QString dir_; // with a trailing separator
};

} // namespace kv
