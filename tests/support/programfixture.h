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
        program = std::make_unique<ProgramWindows>(services, state);
        static_cast<Windows&>(*this) = program->windows();
    }
    kv::HistoryStore& database() const { return form9->database(); }

    // A drawn and scheduled tournament on the main window, as the fill and schedule buttons
    // leave it.
    void tournamentOnScreen(const QStringList& teams = kTeams,
                            const QStringList& players = kPlayers) const {
        QLabel* names[] = {form1->Label16, form1->Label17, form1->Label18};
        QLineEdit* boxes[] = {form1->Edit1, form1->Edit2, form1->Edit3};
        for (int i = 0; i < 3; ++i) {
            names[i]->setText(players[i]);
            boxes[i]->setText(teams[i]);
        }
        const QStringList schedule{teams[1], teams[2], teams[0], teams[1], teams[2], teams[0]};
        QLabel* labels[] = {form1->Label7,  form1->Label8,  form1->Label10,
                            form1->Label11, form1->Label14, form1->Label15};
        for (int i = 0; i < 6; ++i)
            labels[i]->setText(schedule[i]);
        form1->BitBtn1->setEnabled(true);
        form1->Button1->setEnabled(true);
    }

    WorkFolder& folder;
    std::unique_ptr<ProgramWindows> program;
};

} // namespace kvtest
