#pragma once

// The program as main.cpp builds it, for the tests of its windows: every seam faked, a fresh
// working folder, the seven windows made and introduced to each other by ProgramWindows.

#include "app/gui_program.h"
#include "app/gui_windows.h"
#include "app/tform1.h"
#include "history/historystore.h"
#include "results/tform9.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>

#include <memory>

namespace kvtest {

inline QStringList comboItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

class ProgramFixture : public Fakes, public Windows {
    std::unique_ptr<WorkFolder> ownFolder_;

public:
    explicit ProgramFixture(quint64 seed = 1,
                            const QDateTime& at = QDateTime(QDate(2024, 3, 9), QTime(20, 15)),
                            Reach reach = Reach::Owner)
        : Fakes(seed, at), ownFolder_(std::make_unique<WorkFolder>(reach)), folder(*ownFolder_) {}
    // The program started again in a folder where an earlier start played.
    ProgramFixture(WorkFolder& playedIn, quint64 seed, const QDateTime& at)
        : Fakes(seed, at), folder(playedIn) {}

    // Makes the windows. The main window's creation runs the start-up on what the folder holds:
    // the data and the answers to the start-up's questions come first.
    void open() {
        services.files = folder.files();
        program = std::make_unique<ProgramWindows>(services, state, evening);
        static_cast<Windows&>(*this) = program->windows();
    }
    kv::HistoryStore& database() const { return form9->database(); }

    // A drawn and scheduled tournament, with the main window's buttons as the fill and schedule
    // buttons leave them.
    void tournamentOnScreen(const QStringList& teams = kTeams,
                            const QStringList& players = kPlayers) {
        evening.change([&](kv::Evening& e) {
            e.players = {players[0], players[1], players[2]};
            e.teams = {teams[0], teams[1], teams[2]};
            e.schedule = {teams[1], teams[2], teams[0], teams[1], teams[2], teams[0]};
        });
        form1->BitBtn1->setEnabled(true);
        form1->Button1->setEnabled(true);
    }

    WorkFolder& folder;
    std::unique_ptr<ProgramWindows> program;
};

} // namespace kvtest
