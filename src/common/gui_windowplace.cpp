#include "common/gui_windowplace.h"

#include "common/windowplace.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace kv {

namespace {

// The frame seen last on one of our windows: the best guess for a window not shown yet.
QMargins lastFrame;

QMargins frameMargins(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

// The frame as known, else as assumed.
QMargins marginsOf(const QWidget* window) {
    const QMargins known = frameMargins(window);
    if (known.isNull())
        return assumedFrame(lastFrame);
    lastFrame = known;
    return known;
}

QRect frameOf(const QWidget* window, const QMargins& margins) {
    // A window's position is that of its frame, also while the frame is not known.
    return {window->pos(), window->size().grownBy(margins)};
}

const QScreen* screenOf(const QWidget* window) {
    if (window->isVisible())
        return window->screen();
    if (window->testAttribute(Qt::WA_Moved))
        if (const QScreen* screen = QGuiApplication::screenAt(window->geometry().center()))
            return screen;
    const QWidget* anchor = QApplication::activeWindow();
    return anchor ? anchor->screen() : QGuiApplication::primaryScreen();
}

void moveFrame(QWidget* window, const QRect& frame, const QRect& placed, const QMargins& margins) {
    if (placed.size() != frame.size())
        window->resize(placed.size().shrunkBy(margins));
    if (placed.topLeft() != frame.topLeft())
        window->move(placed.topLeft());
}

} // namespace

bool frameKnown(const QWidget* window) {
    return !frameMargins(window).isNull();
}

void showInFront(QWidget* window) {
    if (!window->isVisible())
        keepOnScreen(window);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void keepOnScreen(QWidget* window) {
    const QScreen* screen = screenOf(window);
    if (!screen)
        return;
    const QMargins margins = marginsOf(window);
    const QRect frame = frameOf(window, margins);
    const bool resizable = window->minimumSize() != window->maximumSize();
    QRect placed =
        fitFrame(frame, margins, screen->availableGeometry(), window->minimumSize(), resizable);
    // A window the window manager places itself is left to it until it is shown.
    if (!window->isVisible() && !window->testAttribute(Qt::WA_Moved))
        placed.moveTo(frame.topLeft());
    moveFrame(window, frame, placed, margins);
}

void placeSideBySide(QWidget* first, int firstReadable, QWidget* second) {
    const QScreen* screen = screenOf(first);
    if (!screen)
        return;
    const QMargins firstMargins = marginsOf(first);
    const QMargins secondMargins = marginsOf(second);
    const QRect firstFrame = frameOf(first, firstMargins);
    const QRect secondFrame = frameOf(second, secondMargins);
    const SideBySide placed =
        sideBySide(firstFrame, firstReadable + firstMargins.left() + firstMargins.right(),
                   secondFrame, screen->availableGeometry());
    moveFrame(first, firstFrame, placed.first, firstMargins);
    moveFrame(second, secondFrame, placed.second, secondMargins);
}

} // namespace kv
