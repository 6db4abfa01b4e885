#pragma once

#include "history/historyfaults.h"
#include "history/historystore.h"
#include "history/tournamentdates.h"
#include "tournament/standings.h"
#include "tournament/tournament.h"
#include "ui_tform9.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

namespace kv {
class BesideWork;
class EveningOwner;
struct Evening;
class EveningCardWindow;
struct Services;
} // namespace kv

class QSqlTableModel;

// Results entry, standings, the database write and the statistics view.
class TForm9 : public QWidget, public Ui::TForm9 {
    Q_OBJECT
public:
    // The store is the program's history; it outlives the window. The evening's scores, best
    // scorer and table are kept in `evening`, the program's evening, or in one of the window's
    // own when it is given none.
    TForm9(kv::Services& services, kv::HistoryStore& history, kv::EveningOwner* evening = nullptr,
           QWidget* parent = nullptr);
    ~TForm9() override;

    // A scheduled tournament from the main window: its teams head the rows and columns, its
    // players name the rows and the best-scorer buttons; computing is enabled and the window
    // shown on top.
    void showTournament(const kv::Tournament& tournament);
    // An evening was handed over and its tournament is not written yet: closing would lose it.
    bool holdsUnwrittenEvening() const { return unwrittenEvening_; }
    // The statistics view: the players' names as the main window shows them.
    void showStatistics(const QStringList& players);

    kv::HistoryStore& database() { return db_; }
    // The records the evenings just written broke are being looked for, beside the window.
    bool isFindingRecords() const;
    // The button the Enter key presses now, or nullptr.
    QPushButton* enterButton() const;
    // "Итоги вечера" of a stored tournament, in a window of its own (made at the first use).
    kv::EveningCardWindow* showEveningCard(const QString& table);
    // Opens the card of the tournament chosen in the list.
    void SummaryButtonClick();

    static constexpr int kGridColumnWidth = 60;

public slots:
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void BitBtn1Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void ListBox1Click();
    void DBGrid1TitleClick(int column);
    // Ctrl+Delete in the grid: the tournament it shows is deleted after a question.
    void DBGrid1DeleteRecord();
    // Loads the tournament chosen in the list for a correction, or abandons the one loaded.
    void FixButtonClick();
    // Drops the tournament chosen in the list after a question (also the Delete key there).
    void DeleteButtonClick();
    void RebuildButtonClick();

public:
    // The table a loaded correction replaces; empty when none is loaded.
    QString correctedTable() const { return correcting_; }
    void abandonCorrection();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A list that could not be filled while the database was busy is read again.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename F> void guard(F&& handler);
    // A damaged history: says so and offers the safety copies.
    void offerRestore(const kv::DamagedHistory& damage);
    // A chosen tournament opens in the grid: by mouse, arrow keys or Enter, each once.
    void connectTournamentList();
    // The grid shows the history's tables as stored, sorted by the column title clicked.
    void setUpGrid();

    QLabel* standingLabel(int player, kv::StandingField field) const;
    QStringList boxTexts() const;
    // The teams head the rows and columns, shortened with "..." when too long for the column;
    // the whole name is kept for the write and shown as the tooltip.
    void showTeams(const std::array<QString, 3>& teams);
    void showScorerButtons(const QStringList& players);
    // The chances of the evening's matches, on their score boxes; none while a correction shows
    // another tournament.
    void showChances();
    // What a write stores: the computed standings, computed again first when a box changed
    // since; throws when nothing was computed.
    kv::TournamentEntry tournamentToWrite();
    // Computes the standings from the boxes, shows every figure as it is decided and keeps them.
    void computeAndShow();
    void chooseBestScorer(QPushButton* pressed);
    std::array<QPushButton*, 4> scorerButtons() const {
        return {Button3, Button4, Button5, Button6};
    }
    // The chosen best scorer's button is checked and bold; none when chosen is null.
    void markChosenScorer(const QPushButton* chosen);
    QPushButton* scorerButton(const std::optional<QString>& name) const;
    // A stored tournament in the boxes, the standings and the best-scorer buttons.
    void showStored(const kv::TournamentEntry& stored, const std::optional<QString>& scorer);
    // Writes the loaded correction after a question. Returns what is stored now, or none when
    // the question was answered No.
    std::optional<kv::TournamentEntry> writeCorrection();
    // After a correction: the window and the grid show what is stored.
    void finishCorrection(const QString& table, const kv::TournamentEntry& stored);
    // The list's item of a table, and the name it shows.
    static QString tableOf(const QListWidgetItem* item);
    QListWidgetItem* findListed(const QString& table) const;
    QString listedName(const QString& table) const;
    // Makes a table's item the list's current one without opening it.
    void markListed(const QString& table);
    void reloadTournamentList();
    // The list gains the table just written, without being read again.
    void addToTournamentList(const QString& table);
    // Drops a tournament table after a question whose default answer is No.
    void deleteTournament(const QString& table);
    // The list and the grid after any change of the history.
    void historyChanged();
    void loadCorrection(const QString& table, const kv::TournamentEntry& stored,
                        const std::optional<QString>& scorer);
    // What the window held before a correction was loaded: it comes back when the correction is
    // written or cancelled, so that neither the old evening nor a new one is lost or stored twice.
    struct HeldEntry {
        QStringList texts; // the score boxes, then every label a correction fills
        std::array<QString, 3> teams;
        std::optional<kv::ComputedStandings> computed;
        bool computeEnabled = false;
        bool writeEnabled = false;
        bool computeDefault = true;
        std::array<bool, 4> scorerEnabled{};
        std::array<bool, 4> scorerChecked{};
    };
    QList<QWidget*> correctedControls() const;
    HeldEntry heldEntry() const;
    void restoreEntry(const HeldEntry& held);
    // The grid after a change made here: "Total" when nothing was chosen yet, columns 60 wide.
    void showGridAfterChange();
    void afterWrite();
    // "Новый рекорд: ..." when the evening just written broke a record of the group: the
    // history is read and the records computed beside the window, which says it is looking.
    void announceNewRecords(const QString& written);
    void showFindingRecords(bool finding);
    void openGridTable(const QString& table, const QString& sortColumn);
    void selectAll();
    void setGridColumnWidths();
    QList<int> gridColumnWidths() const;
    void restoreGridColumnWidths(const QList<int>& widths);

    kv::Services& services_;
    kv::HistoryStore& db_;
    // The table shown in the grid (inactive until a table is chosen or a tournament written).
    QSqlTableModel* ADOTable1 = nullptr;

    std::array<QLineEdit*, 12> boxes_{};
    std::array<std::array<QLabel*, 8>, 3> standings_{};
    std::array<QLabel*, 3> names_{};
    std::array<QString, 3> teamNames_;

    // The last standings computed, with the boxes they came from.
    std::optional<kv::ComputedStandings> computed_;
    bool button1Default_ = true;
    bool reloadingList_ = false;
    bool listBusy_ = false;     // the list could not be read: another program held the database
    bool formatWarned_ = false; // a newer database was said to be read-only
    int chosenByPress_ = -1;    // row the list changed to while the mouse was pressed
    // What the grid shows: set by the list and the column titles, kept by a reopening.
    QString gridTable_ = kv::kTotalTable;
    QString gridSort_ = QStringLiteral("id");
    bool gridActive_ = false;
    QString correcting_;
    QString titleBeforeCorrection_;
    HeldEntry beforeCorrection_;
    // The loaded tournament as stored, and the best scorer its correction will keep.
    kv::TournamentEntry correctionStored_;
    std::optional<QString> correctionStoredScorer_;
    std::optional<QString> correctionScorer_;
    // The order of the evening's matches as scheduled; none when it gave no round of its teams.
    std::optional<kv::PlayOrder> playOrder_;
    // Its best scorer is kept with the tournament when written, and kept with the table it was
    // written to when chosen afterwards.
    kv::EveningOwner* evening_ = nullptr;
    QLabel* chancesLabel_ = nullptr; // the chances in play order, under the scores
    const kv::Evening& evening() const;
    bool unwrittenEvening_ = false;
    // The table being written now, when the list holds every other table: the change it makes
    // adds one item to the list.
    QString beingWritten_;
    kv::TournamentList listed_;
    int listedSchema_ = -1; // the tables listed are those of this version of the schema
    kv::BesideWork* findingRecords_ = nullptr;
    QPushButton* SummaryButton = nullptr;
    kv::EveningCardWindow* card_ = nullptr;
    // Evenings written whose news has not been told yet: one message tells them all.
    QStringList untold_;
};
