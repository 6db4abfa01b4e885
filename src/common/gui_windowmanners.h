#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QApplication;
class QKeyEvent;
class QWidget;

namespace kv {

// What every window of the program does without being told, a window added later included:
// - whenever it is shown it lies wholly on its screen, frame included; the window manager's
//   frame is known only once the window is on the screen, so it is put right again then, and
//   whenever the program changes the size of a window the user cannot resize;
// - Escape closes it, the main window excepted (dialogs and message boxes answer Escape
//   themselves);
// - Enter presses the button that has the keyboard focus;
// - a message box opens over the window whose command it comes from (the window the user last
//   clicked or typed in), not over whichever window the command brought forward.
// One object watches the whole application, so no window has to ask for it.
class WindowManners : public QObject {
    Q_OBJECT
public:
    explicit WindowManners(QObject* parent = nullptr);

    // Installs one for the application's lifetime (once; later calls do nothing).
    static void install(QApplication& app);
    // The window the user last clicked or typed in, while it is shown; else nullptr.
    static QWidget* commandWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placed(QWidget* window, int eventType);
    static bool keyPressed(QWidget* receiver, const QKeyEvent* key);

    // Windows shown whose frame the window manager has not told yet.
    QList<QPointer<QWidget>> awaitingFrame_;
};

} // namespace kv
