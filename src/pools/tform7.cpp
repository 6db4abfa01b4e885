#include "pools/tform7.h"

#include "common/guard.h"
#include "common/gui_fulltexttips.h"
#include "common/gui_theme.h"
#include "common/services.h"
#include "pools/two_player.h"

TForm7::TForm7(kv::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    // Before the controls exist, so that they are made with it instead of each being told of
    // a change.
    setFont(kv::classicFont(11));
    // The window's flags before its controls exist: changing them re-parents the window, which
    // polishes every control again.
    kv::fixClientSize(this, 225, 88);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setupUi(this);
    Label1->hide();
    Label2->hide();
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    kv::tipCutTexts(this);
}

void TForm7::showTeams(const kv::TwoTeams& teams) {
    Label1->setText(teams.first);
    Label2->setText(teams.second);
    Label1->show();
    Label2->show();
}

void TForm7::Button1Click() {
    kv::guarded(*services_.dialogs, [&] { showTeams(kv::drawTwoClubs(*services_.random)); });
}

void TForm7::Button2Click() {
    kv::guarded(*services_.dialogs,
                [&] { showTeams(kv::drawTwoNationalTeams(*services_.random)); });
}
