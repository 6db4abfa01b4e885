#pragma once

#include "app/gui_windows.h"
#include "app/tform6.h"
#include "records/records.h"
#include "tournament/evening.h"
#include "tournament/tournamentpress.h"
#include "ui_tform1.h"

#include <QMainWindow>

#include <functional>

namespace kv {
class BesideWork;
class RecordsWindow;
class SheetWindow;
struct TournamentSheet;
class HistoryStore;
} // namespace kv

// The main window: number of players, the three player slots, the schedule, the last
// tournament, the prize area and the menu.
class TForm1 : public QMainWindow, public Ui::TForm1, public SettingsHost {
    Q_OBJECT
public:
    // The window shows the evening the owner holds and writes the players' actions into it.
    TForm1(kv::Services& services, kv::RunState& state, kv::EveningOwner& evening,
           QWidget* parent = nullptr);
    // The windows it opens and the history (read by the charts window). The main window is made
    // first (making it runs the start of the run, before any other window exists), so they are
    // introduced once they are made. Also names the holders of the privileges, which the
    // database tells.
    void setPeers(const Windows& peers, kv::HistoryStore* history = nullptr);
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
    // Every control that shows the evening, from its value.
    void showEvening();
    // The chances of a scheduled evening's matches, found from the history beside the window and
    // kept in the evening; its schedule shows them as tooltips, the sheet beside each match.
    void findChances();
    void showChancesAndResult();
    // What is known of the evening on its sheet: the chances, then the scores, points, places.
    void showEveningOn(kv::TournamentSheet& sheet) const;
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
    kv::EveningOwner& evening_;
    // The other windows, made when first needed.
    const Windows& peers();
    Windows peers_;
    kv::HistoryStore* history_ = nullptr;
    std::function<void()> makePeers_;
    QAction* N4 = nullptr;
    QAction* sheetCommand_ = nullptr;   // "Лист турнира..."
    QAction* chartsCommand_ = nullptr;  // "Графики..."
    QAction* recordsCommand_ = nullptr; // "Рекорды..."
    kv::RecordsWindow* recordsWindow_ = nullptr;
    kv::SheetWindow* sheetWindow_ = nullptr;
    kv::BesideWork* chancesWork_ = nullptr;
    kv::Tournament chancesOf_; // the evening the chances were last asked for
    kv::PressMemory press_;
    bool firstStart_ = false;
};
