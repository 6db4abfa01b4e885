#pragma once

#include <QString>

namespace kv {

// The program's name as players see it: the main window's caption and the message boxes'.
QString programTitle();

// Names the program for the system (settings and data paths). No display name is set: Qt on
// X11 appends one to every window title, and each window's caption is its whole title.
void nameProgram();

// The folder of the program's own files (table.xlsx, images/, defaults/), with a trailing
// separator: share/zorvo-kickvale-6 beside the executable's bin/ when installed, else the
// executable's own folder; tests point it at a fixture folder.
QString programDir();
void setProgramDir(const QString& dir);
// What a new data folder starts with: programDir() + "defaults/"
QString defaultsDir();
// programDir() + "images/" + fileName
QString imagePath(const QString& fileName);

} // namespace kv
