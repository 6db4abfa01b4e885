#pragma once

#include "history/history.h"
#include "records/records.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QTabWidget;

namespace kv {

class BesideWork;
class Dialogs;
class HistoryStore;
struct Rating;

// The colour of a player in every chart: by the order in which the players first played.
QColor playerColour(qsizetype player);

// "Графики турниров": points over the tournaments, places, goals for and against, the rating. It
// draws the history afresh whenever the history changes.
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

private:
    // Draws the history afresh; one that cannot be read is said in the window, which has no
    // one else to tell.
    void historyChanged();
    void cannotRead(const QString& why);
    void draw(const History& history, const Rating& ratings);
    // In place of the charts while no tournament is written.
    void showNoTournaments();
    void clear();
    HistoryStore& store_;
    Dialogs& dialogs_;
    std::function<LevelOf()> levels_;
    BesideWork* reading_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* note_ = nullptr;
};

// Opens the window (one at a time) on the program's history; throws when it cannot be read.
TournamentCharts* showTournamentCharts(QWidget* parent, HistoryStore& store, Dialogs& dialogs,
                                       std::function<LevelOf()> levels);

} // namespace kv
