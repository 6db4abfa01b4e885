#include "app/dialogactivation.h"

namespace kv {

void DialogActivation::activeWindowIs(const QObject* window, bool ordinary) {
    if (window == seenActive_)
        return; // the focus moved within a window
    seenActive_ = window;
    if (window != dialog_ && ordinary) {
        lastActive_ = window;
        loadedOnShow_ = false;
    }
}

bool DialogActivation::activated() {
    const bool cameBackFromOtherProgram = lastActive_ == dialog_;
    lastActive_ = dialog_;
    if (loadedOnShow_) {
        loadedOnShow_ = false;
        return false;
    }
    return !cameBackFromOtherProgram;
}

void DialogActivation::hidden() {
    if (lastActive_ == dialog_)
        lastActive_ = nullptr;
    loadedOnShow_ = false;
}

} // namespace kv
