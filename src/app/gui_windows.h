#pragma once

namespace kv {
struct Services;
struct RunState;
} // namespace kv

class TForm1;
class TForm2;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;

// The program's seven windows, created once by ProgramWindows; the main window opens the others
// through this list.
struct Windows {
    TForm1* form1 = nullptr;
    TForm2* form2 = nullptr;
    TForm6* form6 = nullptr;
    TForm5* form5 = nullptr;
    TForm7* form7 = nullptr;
    TForm8* form8 = nullptr;
    TForm9* form9 = nullptr;
};
