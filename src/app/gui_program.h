#pragma once

#include "app/gui_windows.h"

#include <memory>

namespace kv {
class HistoryStore;
}

// The program's seven windows, created once in the program's order and introduced to each
// other, and the history the windows share. The main window's creation runs the
// start-up sequence before any other window exists.
class ProgramWindows {
public:
    ProgramWindows(kv::Services& services, kv::RunState& state);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    const Windows& windows() const { return windows_; }
    TForm1& main() const { return *form1_; }
    // Shows the main window; on a first start the settings dialog follows, so that the players
    // name themselves before the first evening.
    void showMainWindow();

private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TForm8> form8_;
    std::unique_ptr<kv::HistoryStore> history_;
    std::unique_ptr<TForm9> form9_;
    Windows windows_;
};
