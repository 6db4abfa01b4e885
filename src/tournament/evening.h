#pragma once

#include "tournament/standings.h"
#include "tournament/tournament.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace kv {

// The last tournament as last.txt left it: the teams of slots 1..3 and its date.
struct LastTournament {
    std::array<QString, 3> teams;
    QString date;
    friend bool operator==(const LastTournament&, const LastTournament&) = default;
};

// The evening being played: who plays with which club, in what order, and what the start
// granted. The windows show it and change it through its owner; none keeps a copy in a control.
struct Evening {
    // The design-time names until the start reads the settings file.
    std::array<QString, 3> players{QStringLiteral("Зурко"), QStringLiteral("Пенва"),
                                   QStringLiteral("Лодыш")};
    std::array<QString, 3> teams;       // empty: still to be drawn
    std::array<QString, 3> excepted;    // each slot's except-choice, empty when none
    std::optional<LastTournament> last; // none until the start has read it
    QStringList schedule;               // the first leg, six teams; empty until scheduled
    // The gift (1 first place, 2 second place, 0 none) that granted every slot the team choice
    // and the except-choice, and the best scorer whose own except-choice is granted.
    int teamChoiceFrom = 0;
    int exceptChoiceFrom = 0;
    QString privilegedScorer;
    // What the results window made of it: the standings computed from its scores, its best
    // scorer ("Никто!" for nobody) and the table it was written to, empty until it is.
    std::optional<ComputedStandings> result;
    std::optional<QString> bestScorer;
    QString writtenTable;
    // The chances of its six matches in the order of kMatches, once the history has told them.
    std::array<QString, 6> chances;

    bool scheduled() const { return !schedule.isEmpty(); }
    bool written() const { return !writtenTable.isEmpty(); }
    // What the sheet and the results window are handed.
    Tournament tournament() const;
    friend bool operator==(const Evening&, const Evening&) = default;
};

// The one holder of the evening. Every change goes through it and is announced once, only when
// something differs, so a window that shows the value may write it back without a loop.
class EveningOwner : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    const Evening& value() const { return evening_; }
    void change(const std::function<void(Evening&)>& edit);
    void set(const Evening& evening) {
        change([&](Evening& e) { e = evening; });
    }
    // New names of the players: the best scorer's privilege and this evening's best scorer stay
    // with their slots.
    void renamePlayers(const std::array<QString, 3>& names);

signals:
    void changed();

private:
    Evening evening_;
};

} // namespace kv
