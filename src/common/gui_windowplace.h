#pragma once

class QWidget;

namespace kv {

// Shows a window in front of the others and gives it the keyboard, also when it was already
// open behind them or minimised; a hidden window is first kept on its screen.
void showInFront(QWidget* window);

// Moves a window, frame included, wholly onto the available area of its screen (a hidden one:
// the screen it was put on, else the one that holds the active window): it keeps its position
// when it fits, else moves just enough; a resizable window larger than the area gets smaller.
// Until a window was shown its frame is not known, and the one seen last on another window
// (or a usual one) stands in for it.
void keepOnScreen(QWidget* window);

// Whether the window manager has told us the window's frame yet.
bool frameKnown(const QWidget* window);

// Two windows of one step side by side on the screen of the first, made narrower down to
// `firstReadable` where that makes room, else in opposite corners (see sideBySide).
void placeSideBySide(QWidget* first, int firstReadable, QWidget* second);

} // namespace kv
