#pragma once

#include "app/gui_windows.h"
#include "tournament/evening.h"

#include <QWidget>

#include <memory>
#include <vector>

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
    // The evening outlives every window that shows it.
    ProgramWindows(kv::Services& services, kv::RunState& state, kv::EveningOwner& evening);
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Every window, made now if they were not yet.
    const Windows& windows();
    TForm1& main() const { return *windows_.form1; }
    // Shows the main window; on a first start the settings dialog follows, so that the players
    // name themselves before the first evening.
    void showMainWindow();
    // Whether every window has been made.
    bool complete() const { return windows_.form2 != nullptr; }
    // Whether the step after the main window's first paint has run (the settings dialog of a
    // first start comes there, or never).
    bool startFinished() const { return startFinished_; }

private:
    void makeOtherWindows();
    // A window kept until the program goes; they go in the reverse order of creation.
    template <typename Window, typename... Args> Window* make(Args&&... args) {
        made_.push_back(std::make_unique<Window>(std::forward<Args>(args)...));
        return static_cast<Window*>(made_.back().get());
    }

    kv::Services& services_;
    kv::EveningOwner& evening_;
    std::vector<std::unique_ptr<QWidget>> made_;
    std::unique_ptr<kv::HistoryStore> history_;
    Windows windows_;
    bool startFinished_ = false;
};
