#pragma once

#include "results/history.h"

#include <QColor>
#include <QWidget>

class QTabWidget;

namespace kv {

class TournamentDb;

// The colour of a player in every chart: by the order in which the players first played.
QColor playerColour(qsizetype player);

// "Графики турниров": points over the tournaments, places, goals for and against.
class TournamentCharts : public QWidget {
    Q_OBJECT
public:
    explicit TournamentCharts(QWidget* parent = nullptr);
    // Reads the database afresh and draws it; throws the database's error.
    void load(const QString& databaseFile);
    void load(TournamentDb& database);
    QTabWidget* tabs() const { return tabs_; }

private:
    void draw(const History& history);
    QTabWidget* tabs_ = nullptr;
};

// Opens the window (one at a time) on the program's database, read afresh; throws when it cannot
// be read.
TournamentCharts* showTournamentCharts(QWidget* parent, TournamentDb& database);

} // namespace kv
