#include "common/gui_windowmanners.h"

#include "common/gui_windowplace.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPushButton>
#include <QToolButton>

namespace kv {

namespace {

// Windows of our own: not menus, drop-down lists, tooltips or splash screens.
bool ordinaryWindow(const QWidget* widget) {
    if (!widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

QPointer<QWidget> lastCommandWindow;

} // namespace

WindowManners::WindowManners(QObject* parent) : QObject(parent) {}

void WindowManners::install(QApplication& app) {
    if (app.findChild<WindowManners*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app.installEventFilter(new WindowManners(&app));
}

QWidget* WindowManners::commandWindow() {
    return lastCommandWindow && lastCommandWindow->isVisible() ? lastCommandWindow.data() : nullptr;
}

bool WindowManners::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (watched->isWidgetType())
            if (QWidget* window = static_cast<QWidget*>(watched)->window();
                ordinaryWindow(window) && !window->isModal())
                lastCommandWindow = window;
        break;
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
        if (watched->isWidgetType() && ordinaryWindow(static_cast<QWidget*>(watched)))
            placed(static_cast<QWidget*>(watched), event->type());
        break;
    case QEvent::KeyPress:
        if (!watched->isWidgetType())
            break;
        if (QWidget* window = static_cast<QWidget*>(watched)->window();
            ordinaryWindow(window) && !window->isModal())
            lastCommandWindow = window;
        return keyPressed(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    default:
        break;
    }
    return false;
}

void WindowManners::placed(QWidget* window, int eventType) {
    awaitingFrame_.removeAll(nullptr);
    switch (eventType) {
    case QEvent::Show:
        // Before the window reaches the screen: with the frame known or assumed.
        keepOnScreen(window);
        if (!frameKnown(window) && !awaitingFrame_.contains(window))
            awaitingFrame_.append(window);
        return;
    case QEvent::Hide:
        awaitingFrame_.removeAll(window);
        return;
    default:
        break;
    }
    if (!window->isVisible())
        return;
    if (awaitingFrame_.contains(window)) {
        if (!frameKnown(window))
            return;
        // The first news of the frame: the window manager has put the window up by now.
        awaitingFrame_.removeAll(window);
        keepOnScreen(window);
    } else if (eventType == QEvent::Resize && window->minimumSize() == window->maximumSize()) {
        // Grown by the program (the main window's prize area): never past the screen's edge.
        keepOnScreen(window);
    }
}

bool WindowManners::keyPressed(QWidget* receiver, const QKeyEvent* key) {
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        // Reaches the window itself only when no control took it (a cell editor, a list).
        if (!ordinaryWindow(receiver) || qobject_cast<QMainWindow*>(receiver) ||
            qobject_cast<QDialog*>(receiver))
            return false;
        receiver->close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (auto* push = qobject_cast<QPushButton*>(receiver)) {
            if (push->autoDefault() || push->isDefault())
                return false; // the button presses itself
        } else if (!qobject_cast<QToolButton*>(receiver)) {
            return false;
        }
        auto* button = static_cast<QAbstractButton*>(receiver);
        if (!button->isEnabled() || !button->hasFocus())
            return false;
        button->click();
        return true;
    }
    default:
        return false;
    }
}

} // namespace kv
