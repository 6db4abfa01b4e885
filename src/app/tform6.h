#pragma once

#include "app/gui_windows.h"
#include "common/settings.h"
#include "ui_tform6.h"

#include <QPointer>
#include <QWidget>

// The settings dialog: category at start, gifts on or off, the player names (shown, not
// edited). Modeless, but the main window stays disabled while the dialog is the active window.
// Every return to it from another window of ours reloads its boxes from "settings.ini".
class TForm6 : public QWidget, public Ui::TForm6 {
    Q_OBJECT
public:
    TForm6(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    void setWindows(const Windows& windows) { windows_ = windows; }

    // The last step of the main menu's "&Настройки...": shows and activates the dialog and loads
    // its boxes at once, so that they are right even where the window manager is slow to
    // activate it. The activation that follows does not load a second time.
    void showFromMainWindow();

public slots:
    void FormActivate();
    void FormDeactivate();
    void FormClose();
    void CheckBox1Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void BitBtn1Click();
    void Button5Click();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void enableMainWindow();
    QRadioButton* categoryButton(kv::Category category) const;

    kv::Services& services_;
    kv::RunState& state_;
    Windows windows_;
    // The program's window that was active last, message boxes aside. When the dialog is
    // activated and this is the dialog itself, the user came back from another program, which
    // does not reload the boxes.
    QPointer<QWidget> lastActive_;
    bool loadedOnShow_ = false;
};
