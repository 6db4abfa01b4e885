#pragma once

#include <QObject>
#include <QPointer>

namespace kv {

// When the settings dialog, becoming the active window, loads its boxes from the settings file
// again. The dialog tells it what happened; it answers whether to load. The states:
// - shown by the menu: the menu command loaded the boxes while showing the dialog, so the
//   activation that follows belongs to that opening and loads nothing. Another of our windows
//   becoming active, or the dialog being hidden, ends this state.
// - came from one of our windows (the main window, the pools editor, ...): the user may have
//   changed the settings' file there, so the activation loads.
// - came back from another program (or from one of our message boxes): the last of our
//   ordinary windows to be active was the dialog itself; nothing here changed, nothing loads.
// The active window is reported on every focus change; a change within one window counts once.
class DialogActivation {
public:
    explicit DialogActivation(const QObject* dialog) : dialog_(dialog) {}

    // The menu command showed the dialog and loaded its boxes; wasActive: it already was the
    // active window, so no activation follows.
    void shownByMenu(bool wasActive) { loadedOnShow_ = !wasActive; }
    // The application's active window is now `window` (nullptr: another program's);
    // `ordinary`: it is one of our windows the user works in, not a message box.
    void activeWindowIs(const QObject* window, bool ordinary);
    // The dialog became the active window: true when it should load its boxes.
    bool activated();
    void hidden();

private:
    const QObject* dialog_;
    QPointer<const QObject> lastActive_; // our ordinary window that was active last
    QPointer<const QObject> seenActive_; // the active window when last reported
    bool loadedOnShow_ = false;
};

} // namespace kv
