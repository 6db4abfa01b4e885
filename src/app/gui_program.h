#pragma once

#include "app/gui_windows.h"

#include <memory>

class QApplication;

namespace kv {
class Dialogs;
class HistoryStore;

// The looks every window of the program shares: Qt's own texts in Russian, the classic font,
// the dark theme and the window manners. Before the first window or box.
void dressApplication(QApplication& app, Dialogs& dialogs);
} // namespace kv

// The program's seven windows, created once in the program's order and introduced to each
// other, and the history the windows share. The main window's creation runs the
// start-up sequence before any other window exists; the others follow once the main window is
// on the screen, or as soon as something asks for them.
class ProgramWindows {
public:
    ProgramWindows(kv::Services& services, kv::RunState& state);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Every window, made now if they were not yet.
    const Windows& windows();
    TForm1& main() const { return *form1_; }
    // Shows the main window; on a first start the settings dialog follows, so that the players
    // name themselves before the first evening.
    void showMainWindow();
    // Whether every window has been made.
    bool complete() const { return form2_ != nullptr; }

private:
    void makeOtherWindows();

    kv::Services& services_;
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
