#include "common/gui_windowplace.h"

#include "common/windowplace.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace kv {

namespace {
// The window manager's caption and borders are unknown until a window was first shown.
constexpr int kCaptionAllowance = 30;
constexpr int kBorderAllowance = 4;
} // namespace

void showInFront(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void keepOnScreen(QWidget* window) {
    const QWidget* anchor = QApplication::activeWindow();
    const QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    if (frame.size() == window->size())
        frame.adjust(0, 0, 2 * kBorderAllowance, kCaptionAllowance + kBorderAllowance);
    const QRect placed = fitWithin(frame, screen->availableGeometry());
    window->move(window->pos() + placed.topLeft() - frame.topLeft());
}

} // namespace kv
