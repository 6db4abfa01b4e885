#pragma once

class QWidget;

namespace kv {

// Shows a window in front of the others and gives it the keyboard, also when it was already
// open behind them or minimised.
void showInFront(QWidget* window);

// Before a hidden window is shown: keeps its position when its whole frame fits on the
// available area of the screen that holds the active window (the one whose command opens it),
// else moves it just enough to fit.
void keepOnScreen(QWidget* window);

} // namespace kv
