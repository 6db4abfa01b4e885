#pragma once

#include "common/programdir.h"

#include <QString>

#include <functional>

namespace kv {

class Dialogs;
class Random;
class Clock;
class Opener;
class SpreadsheetFactory;

// The seams every window reaches the outside world through. main.cpp hands the real ones to
// the windows; tests hand fakes.
struct Services {
    Dialogs* dialogs = nullptr;
    Random* random = nullptr;
    Clock* clock = nullptr;
    Opener* opener = nullptr;
    SpreadsheetFactory* spreadsheets = nullptr;
    // Ends the program at once (the exit command, a draw that ran out of teams).
    std::function<void()> endProgram;
    // The program's own files: the gift pictures and the sheet's template.
    ProgramFiles files;
};

// Values that live for one run and are shared by several windows.
struct RunState {
    QString currentPool; // file name of the pool the draw picks from; empty when none was chosen
    int poolTotal = 0;   // lines of the seven pools together, counted at start
};

} // namespace kv
