#include "pools/tform7.h"

#include "common/guard.h"
#include "common/gui_fulltexttips.h"
#include "common/gui_theme.h"
#include "common/services.h"
#include "pools/two_player.h"

TForm7::TForm7(kv::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    kv::prepareWindow(this, {225, 88});
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setupUi(this);
    Label1->hide();
    Label2->hide();
    kv::connectGuarded(*services_.dialogs, Button1, &QPushButton::clicked, this,
                       &TForm7::Button1Click);
    kv::connectGuarded(*services_.dialogs, Button2, &QPushButton::clicked, this,
                       &TForm7::Button2Click);
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
