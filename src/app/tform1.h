#pragma once

#include "app/tform6.h"
#include "tournament/tournamentpress.h"
#include "ui_tform1.h"

#include <QMainWindow>

#include <functional>

namespace kv {
class RecordsWindow;
class SheetWindow;
class HistoryStore;
struct Services;
struct RunState;
} // namespace kv
class TForm2;
class TForm7;
class TForm8;
class TForm9;

// The windows the main window opens. The main window is made first (making it runs the start of
// the run, before any other window exists), so they are introduced once they are made.
struct MainWindowPeers {
    TForm2* poolsEditor = nullptr;
    TForm6* settings = nullptr;
    TForm7* twoPlayers = nullptr;
    TForm8* recentTeams = nullptr;
    TForm9* results = nullptr;
    kv::HistoryStore* history = nullptr; // read by the charts window
};

// The main window: number of players, the three player slots, the schedule, the last
// tournament, the prize area and the menu.
class TForm1 : public QMainWindow, public Ui::TForm1, public SettingsHost {
    Q_OBJECT
public:
    TForm1(kv::Services& services, kv::RunState& state, QWidget* parent = nullptr);
    // Also names the holders of the privileges, which the database tells.
    void setPeers(const MainWindowPeers& peers);
    // The other windows come after the main window is on the screen; a command that needs them
    // sooner has them made by this first.
    void setPeersMaker(std::function<void()> make) { makePeers_ = std::move(make); }

    // The names of the three player slots.
    QStringList playerNames() const;

    // What the settings dialog needs.
    bool logAllTeams() const override;
    void showPlayerNames(const QStringList& names) override;
    void settingsDialogLeft() override;
    QString namesInUse() const override;

    // Whether this start made the settings file with its defaults (the players are not named
    // yet).
    bool firstStart() const { return firstStart_; }
    // Opens the settings dialog with the first name ready to be typed over.
    void askForPlayerNames();

    // Client area height below the menu bar: 304 at start, 431 with the prize area shown.
    void setClientHeight(int height);
    int clientHeight() const;

    static constexpr int kClientWidth = 520;
    static constexpr int kClientHeight = 304;
    static constexpr int kClientHeightWithPrizes = 431;
    static const QString kTitle;
    static const QString kWebAddress;
    static const QString kUnwrittenEveningQuestion;

public slots:
    void FormCreate();
    void ComboBox1Change();
    void CheckBox1Click();
    void Button2Click();
    void Button1Click();
    void BitBtn1Click();
    void ComboBox5Change();
    void ComboBox6Change();
    void ComboBox7Change();
    void CheckBox4Click();
    void Button3Click();
    void Label12Click();
    void N5Click();
    void N8Click();
    void N6Click();
    void N3Click();
    void N2Click();
    void SheetCommandClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The history the windows share; an error when the program was built without one.
    kv::HistoryStore& history();
    template <typename F> void guard(F&& handler);
    // The commands of the main menu that have no control of the form: the sheet, the charts,
    // the records, the restore from a safety copy.
    void addMenuCommands();
    void ChartsCommandClick();
    void RecordsCommandClick();
    void RestoreCommandClick();
    kv::Tournament currentTournament() const;
    // Whether the program may end now: an evening the results window holds unwritten is only
    // given up when the players say so; otherwise they are taken back to it.
    bool mayEndProgram();
    // Who holds the privileges of this evening, in the line above the schedule.
    void showPrizeHolders();
    kv::SheetWindow& sheetWindow();
    // The program's own sheet after a press: beside the results window where the screen has
    // room, in front of it; after any message box of the press.
    void showEveningSheet();
    void bringEveningForward();

    kv::Services& services_;
    kv::RunState& state_;
    // The other windows, made when first needed.
    const MainWindowPeers& peers();
    MainWindowPeers peers_;
    std::function<void()> makePeers_;
    QAction* N4 = nullptr;
    QAction* sheetCommand_ = nullptr;   // "Лист турнира..."
    QAction* chartsCommand_ = nullptr;  // "Графики..."
    QAction* recordsCommand_ = nullptr; // "Рекорды..."
    kv::RecordsWindow* recordsWindow_ = nullptr;
    kv::SheetWindow* sheetWindow_ = nullptr;
    kv::PressMemory press_;
    bool firstStart_ = false;
    // What the start granted, by whom: the gift files (1, 2) of the team choice and of the
    // except-choice of every slot, and the best scorer when his own except-choice is granted.
    int teamChoiceFrom_ = 0;
    int exceptChoiceFrom_ = 0;
    QString privilegedScorer_;
};
