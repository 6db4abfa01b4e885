#pragma once

#include "common/gui_savefile.h"
#include "history/history.h"
#include "records/period.h"
#include "records/records.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QPushButton;
class QTabWidget;

namespace kv {

class BesideWork;
class Dialogs;
class HistoryStore;
class PeriodChoice;
struct Rating;

// The colour of a player in every chart: by the order in which the players first played.
QColor playerColour(qsizetype player);

// "Графики турниров": points over the tournaments' dates, places, goals for and against, the
// rating, of all time or of a period. It draws the history afresh whenever the history changes.
class TournamentCharts : public QWidget {
    Q_OBJECT
public:
    // Errors of its own handlers that it cannot show in itself go to dialogs. levels gives, at
    // each reading, the star levels of the clubs as the pools hold them then.
    TournamentCharts(HistoryStore& store, Dialogs& dialogs, std::function<LevelOf()> levels = {},
                     QWidget* parent = nullptr);
    // Reads the history afresh beside the window and draws it when read; throws at once when the
    // database cannot be opened.
    void load();
    // The history is being read; the charts shown are those before.
    bool isReading() const;
    QTabWidget* tabs() const { return tabs_; }
    // What the window says of the tables it left out, or of a history it could not read.
    QLabel* note() const { return note_; }
    // Which tournaments the charts count.
    PeriodChoice* periodChoice() const { return period_; }
    // Where the picture is asked to be saved (the file dialog unless replaced).
    void setChooseSaveFile(ChooseSaveFile choose) { choosePicture_ = std::move(choose); }
    // Saves the tab shown as a PNG picture.
    void savePictureClick();

private:
    // Draws the history afresh; one that cannot be read is said in the window, which has no
    // one else to tell.
    void historyChanged();
    void cannotRead(const QString& why);
    // `shown` is the period's part of `all`; the rating is of all time.
    void draw(const History& all, const History& shown, const Rating& ratings,
              const Period& period);
    // In place of the charts while no tournament is written, or none in the period.
    void showNoTournaments(bool inPeriod = false);
    void clear();
    HistoryStore& store_;
    Dialogs& dialogs_;
    std::function<LevelOf()> levels_;
    BesideWork* reading_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* note_ = nullptr;
    PeriodChoice* period_ = nullptr;
    QPushButton* savePicture_ = nullptr;
    QLabel* status_ = nullptr;
    ChooseSaveFile choosePicture_;
    QString fileNamePart_; // of the period drawn
};

// Opens the window (one at a time) on the program's history; throws when it cannot be read.
TournamentCharts* showTournamentCharts(QWidget* parent, HistoryStore& store, Dialogs& dialogs,
                                       std::function<LevelOf()> levels);

} // namespace kv
