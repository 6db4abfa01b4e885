#pragma once

#include "app/dialogactivation.h"
#include "common/settings.h"
#include "ui_tform6.h"

#include <QPointer>
#include <QWidget>

namespace kv {
struct Services;
class HistoryStore;
} // namespace kv
class TForm5;

// What the settings dialog needs of the main window.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    // The main window's "Не использовать ВСЕ последние", saved with the settings.
    virtual bool logAllTeams() const = 0;
    // The names the dialog has just saved.
    virtual void showPlayerNames(const QStringList& names) = 0;
    // The dialog was left or closed: the main window takes input again.
    virtual void settingsDialogLeft() = 0;
    // Why the names cannot change now: the results window holds an evening or a correction under
    // the names it was given, not yet written. Empty when they can.
    virtual QString namesInUse() const = 0;
};

// The settings dialog: category at start, gifts on or off, the player names. Modeless, but the main
// window stays disabled while the dialog is the active window. Every return to it from another
// window of ours reloads its boxes from "settings.ini".
class TForm6 : public QWidget, public Ui::TForm6 {
    Q_OBJECT
public:
    // With the history, a name it holds that OK changes may be renamed in the whole history.
    TForm6(kv::Services& services, SettingsHost& mainWindow, TForm5& gifts,
           kv::HistoryStore* history = nullptr, QWidget* parent = nullptr);
    ~TForm6() override;

    // The main menu's "&Настройки...": shows the names the main window shows, then shows and
    // activates the dialog and loads its boxes at once, so that they are right even where the
    // window manager is slow to activate it. The activation that follows does not load a second
    // time. The focus starts on the first control.
    void showFromMainWindow(const QStringList& names);
    // Puts the cursor in the first name box with its text selected, ready to be typed over.
    void focusFirstName();

    // Why changed names are not saved while an evening or a correction waits on the results
    // window.
    static const QString kRenameWithEveningOpen;
    static const QString kRenameWithCorrectionOpen;

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
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Tells the activation tracking which window is active now.
    void noteActiveWindow();
    void enableMainWindow();
    QRadioButton* categoryButton(kv::Category category) const;
    // The names just saved take effect; `before` are those the dialog was opened with.
    void applyPlayerNames(const QStringList& before, const QStringList& after);
    // Writes the settings file; changed names the history holds are renamed there too when the
    // user says so, together with the files. False when the user cancels: nothing is saved.
    bool saveValues(const kv::settings::DialogValues& values);

    kv::Services& services_;
    SettingsHost& mainWindow_;
    TForm5& gifts_;
    kv::HistoryStore* history_;
    kv::DialogActivation activation_{this};
    QStringList namesAtOpening_;
};
