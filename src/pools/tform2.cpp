#include "pools/tform2.h"

#include "common/guard.h"
#include "common/gui_flowlayout.h"
#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/services.h"
#include "pools/gui_memo.h"
#include "pools/poolfile_editor.h"
#include "pools/pools.h"

#include <QButtonGroup>
#include <QStyle>
#include <QToolButton>

TForm2::TForm2(kv::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services) {
    kv::prepareWindow(this, {219, 507});
    setupUi(this);
    // The pages are made without a parent and only then put into the page stack: their
    // controls are given the window's font outright.
    for (QWidget* control : Pages->findChildren<QWidget*>())
        control->setFont(font());

    tabs_[1] = {TabSheet1, Memo1, Label1, Button1, BitBtn1, kv::poolFile(kv::Pool::Teams5)};
    tabs_[2] = {TabSheet2, Memo2, Label2, Button2, BitBtn2, kv::poolFile(kv::Pool::NatTeams45)};
    tabs_[3] = {TabSheet3, Memo3, Label3, Button3, BitBtn3, kv::poolFile(kv::Pool::Teams45)};
    tabs_[4] = {TabSheet4, Memo4, Label4, Button4, BitBtn4, kv::poolFile(kv::Pool::Teams4)};
    tabs_[5] = {TabSheet5, Memo5, Label5, Button5, BitBtn5, kv::poolFile(kv::Pool::NatTeams5)};
    tabs_[6] = {TabSheet6, Memo6, Label6, Button6, BitBtn6, kv::poolFile(kv::Pool::NatTeams4)};
    tabs_[7] = {TabSheet7, Memo7, Label7, Button7, BitBtn7, kv::poolFile(kv::Pool::SuperTeams)};

    const QIcon okGlyph = style()->standardIcon(QStyle::SP_DialogOkButton);
    for (int n = 1; n <= 7; ++n) {
        tabs_[n].ok->setIcon(okGlyph);
        // A club name never holds a tab: the key moves on to the buttons.
        tabs_[n].memo->setTabChangesFocus(true);
    }

    kv::connectGuarded(*services_.dialogs, Button1, &QPushButton::clicked, this,
                       &TForm2::Button1Click);
    kv::connectGuarded(*services_.dialogs, Button2, &QPushButton::clicked, this,
                       &TForm2::Button2Click);
    kv::connectGuarded(*services_.dialogs, Button3, &QPushButton::clicked, this,
                       &TForm2::Button3Click);
    kv::connectGuarded(*services_.dialogs, Button4, &QPushButton::clicked, this,
                       &TForm2::Button4Click);
    kv::connectGuarded(*services_.dialogs, Button5, &QPushButton::clicked, this,
                       &TForm2::Button5Click);
    kv::connectGuarded(*services_.dialogs, Button6, &QPushButton::clicked, this,
                       &TForm2::Button6Click);
    kv::connectGuarded(*services_.dialogs, Button7, &QPushButton::clicked, this,
                       &TForm2::Button7Click);
    kv::connectGuarded(*services_.dialogs, BitBtn1, &QPushButton::clicked, this,
                       &TForm2::BitBtn1Click);
    kv::connectGuarded(*services_.dialogs, BitBtn2, &QPushButton::clicked, this,
                       &TForm2::BitBtn2Click);
    kv::connectGuarded(*services_.dialogs, BitBtn3, &QPushButton::clicked, this,
                       &TForm2::BitBtn3Click);
    kv::connectGuarded(*services_.dialogs, BitBtn4, &QPushButton::clicked, this,
                       &TForm2::BitBtn4Click);
    kv::connectGuarded(*services_.dialogs, BitBtn5, &QPushButton::clicked, this,
                       &TForm2::BitBtn5Click);
    kv::connectGuarded(*services_.dialogs, BitBtn6, &QPushButton::clicked, this,
                       &TForm2::BitBtn6Click);
    kv::connectGuarded(*services_.dialogs, BitBtn7, &QPushButton::clicked, this,
                       &TForm2::BitBtn7Click);

    buildTabs();
    Pages->setCurrentWidget(TabSheet7);
    tabButton(TabSheet7)->setChecked(true);

    move(369, 321);
}

void TForm2::buildTabs() {
    // Flat buttons, one per page in the pages' order; the pressed one is the page shown.
    auto* flow = new kv::FlowLayout(Tabs, 1);
    tabGroup_ = new QButtonGroup(this);
    tabGroup_->setExclusive(true);
    Tabs->setStyleSheet(
        QStringLiteral(
            "QToolButton { border: 1px solid transparent; padding: 1px 3px; background: "
            "transparent; }"
            "QToolButton:hover { border-color: palette(mid); }"
            "QToolButton:checked { border-color: palette(mid); background: palette(highlight);"
            " color: palette(highlighted-text); }"
            "QToolButton:focus { border: 2px solid %1; padding: 0 2px; }")
            .arg(kv::focusColour().name()));
    for (int i = 0; i < Pages->count(); ++i) {
        QWidget* sheet = Pages->widget(i);
        auto* tab = new QToolButton(Tabs);
        tab->setObjectName(sheet->objectName() + QStringLiteral("Tab"));
        tab->setText(sheet->property("title").toString());
        tab->setCheckable(true);
        tab->setAutoRaise(true);
        tab->setFocusPolicy(Qt::TabFocus);
        tab->setFont(font()); // a widget's own stylesheet drops the inherited window font
        flow->addWidget(tab);
        tabGroup_->addButton(tab, i);
    }
    connect(tabGroup_, &QButtonGroup::idClicked, Pages, &QStackedWidget::setCurrentIndex);
    Pages->setMinimumHeight(BitBtn1->geometry().bottom() + 3);
}

QAbstractButton* TForm2::tabButton(QWidget* sheet) const {
    return tabGroup_->button(Pages->indexOf(sheet));
}

void TForm2::openFromMenu() {
    kv::showInFront(this);
    loadPools();
}

void TForm2::loadTab(PoolTab& tab) {
    const kv::EditableText pool = kv::loadEditableText(tab.file);
    kv::setMemoText(tab.memo, pool.text);
    tab.encoding = pool.encoding;
    tab.count->setText(kv::lineCountCaption(pool.text));
}

void TForm2::loadPools() {
    // Each pool completely before the next; a failure leaves the later ones as they were.
    for (int n : {6, 7, 3, 4, 1, 2, 5})
        loadTab(tabs_[n]);
}

void TForm2::editTab(int n) {
    PoolTab& tab = tabs_[n];
    tab.memo->setReadOnly(false);
    tab.edit->setEnabled(false);
    tab.ok->setEnabled(true);
}

void TForm2::saveTab(int n) {
    kv::guarded(*services_.dialogs, [&] {
        PoolTab& tab = tabs_[n];
        // Locked first: a failed save leaves OK enabled, so pressing it again retries.
        tab.memo->setReadOnly(true);
        const QString text = kv::memoText(tab.memo);
        kv::saveEditableText(tab.file, text, tab.encoding);
        tab.encoding = kv::savedEncoding(tab.encoding);
        // The count follows what the file now holds.
        tab.count->setText(kv::lineCountCaption(text));
        tab.edit->setEnabled(true);
        tab.ok->setEnabled(false);
    });
}

void TForm2::Button1Click() {
    editTab(1);
}
void TForm2::Button2Click() {
    editTab(2);
}
void TForm2::Button3Click() {
    editTab(3);
}
void TForm2::Button4Click() {
    editTab(4);
}
void TForm2::Button5Click() {
    editTab(5);
}
void TForm2::Button6Click() {
    editTab(6);
}
void TForm2::Button7Click() {
    editTab(7);
}
void TForm2::BitBtn1Click() {
    saveTab(1);
}
void TForm2::BitBtn2Click() {
    saveTab(2);
}
void TForm2::BitBtn3Click() {
    saveTab(3);
}
void TForm2::BitBtn4Click() {
    saveTab(4);
}
void TForm2::BitBtn5Click() {
    saveTab(5);
}
void TForm2::BitBtn6Click() {
    saveTab(6);
}
void TForm2::BitBtn7Click() {
    saveTab(7);
}
