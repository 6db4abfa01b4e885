#include "app/tform6.h"

#include "common/errors.h"
#include "common/guard.h"
#include "common/gui_fulltexttips.h"
#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/services.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "history/historystore.h"
#include "tournament/gifts.h"
#include "tournament/tform5.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QWindow>

const QString TForm6::kRenameWithEveningOpen = QStringLiteral(
    "Турнир этого вечера передан в окно результатов под прежними именами и ещё не записан в "
    "базу. Сначала запишите его кнопкой \"Записать в базу\", потом меняйте имена игроков.\n"
    "Настройки не сохранены.");
const QString TForm6::kRenameWithCorrectionOpen = QStringLiteral(
    "В окне результатов открыто исправление турнира с прежними именами игроков. Сначала "
    "запишите его или нажмите \"Отменить исправление\", потом меняйте имена игроков.\n"
    "Настройки не сохранены.");

namespace {

// Message boxes and other modal windows belong to the handler that opened them, and a disabled
// window (the main window while the dialog is open) takes no input: going to one of them and
// back is not leaving the dialog.
bool isOwnOrdinaryWindow(const QWidget* window) {
    return window && window->isWindow() && !window->isModal() && window->isEnabled();
}

} // namespace

TForm6::TForm6(kv::Services& services, SettingsHost& mainWindow, TForm5& gifts,
               kv::HistoryStore* history, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), mainWindow_(mainWindow), gifts_(gifts),
      history_(history) {
    kv::prepareWindow(this, {380, 185});
    setupUi(this);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));

    kv::connectGuarded(*services_.dialogs, CheckBox1, &QCheckBox::toggled, this,
                       &TForm6::CheckBox1Click);
    kv::connectGuarded(*services_.dialogs, RadioButton1, &QRadioButton::toggled, this,
                       [this](bool on) {
                           if (on)
                               RadioButton1Click();
                       });
    kv::connectGuarded(*services_.dialogs, RadioButton2, &QRadioButton::toggled, this,
                       [this](bool on) {
                           if (on)
                               RadioButton2Click();
                       });
    kv::connectGuarded(*services_.dialogs, RadioButton3, &QRadioButton::toggled, this,
                       [this](bool on) {
                           if (on)
                               RadioButton3Click();
                       });
    kv::connectGuarded(*services_.dialogs, BitBtn1, &QPushButton::clicked, this,
                       &TForm6::BitBtn1Click);
    kv::connectGuarded(*services_.dialogs, Button5, &QPushButton::clicked, this,
                       &TForm6::Button5Click);

    kv::tipCutTexts(this);
    // Which of our windows the user went to: the active window changes with the focus, both
    // when the desktop activates a window and when the program does.
    kv::connectGuarded(*services_.dialogs, qApp, &QApplication::focusChanged, this,
                       &TForm6::noteActiveWindow);
    kv::connectGuarded(*services_.dialogs, qApp, &QGuiApplication::focusWindowChanged, this,
                       &TForm6::noteActiveWindow);
}

TForm6::~TForm6() {
    // Going, it hands the focus on: the focus signals must not reach what is left of it.
    disconnect(qApp, nullptr, this, nullptr);
}

void TForm6::showFromMainWindow(const QStringList& names) {
    Edit1->setText(kv::lineAt(names, 0));
    Edit2->setText(kv::lineAt(names, 1));
    Edit3->setText(kv::lineAt(names, 2));
    namesAtOpening_ = {Edit1->text(), Edit2->text(), Edit3->text()};
    const bool wasActive = isActiveWindow();
    kv::showInFront(this);
    activation_.shownByMenu(wasActive);
    FormActivate();
    // Every opening starts at the first control of the dialog's keyboard order, not wherever
    // the focus was left last time.
    CheckBox1->setFocus(Qt::OtherFocusReason);
}

void TForm6::focusFirstName() {
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->selectAll();
}

void TForm6::noteActiveWindow() {
    QWidget* window = QApplication::activeWindow();
    activation_.activeWindowIs(window, isOwnOrdinaryWindow(window));
}

bool TForm6::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        if (activation_.activated())
            FormActivate();
    } else if (event->type() == QEvent::WindowDeactivate) {
        QWidget* now = QApplication::activeWindow();
        if (now != this && isOwnOrdinaryWindow(now))
            FormDeactivate();
    }
    return QWidget::event(event);
}

void TForm6::hideEvent(QHideEvent* event) {
    activation_.hidden();
    QWidget::hideEvent(event);
}

void TForm6::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm6::keyPressEvent(QKeyEvent* event) {
    // OK is the default button: Enter saves, wherever the focus is.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && BitBtn1->isEnabled()) {
        BitBtn1->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

QRadioButton* TForm6::categoryButton(kv::Category category) const {
    switch (category) {
    case kv::Category::Clubs:
        return RadioButton1;
    case kv::Category::NationalTeams:
        return RadioButton2;
    case kv::Category::Random:
        break;
    }
    return RadioButton3;
}

void TForm6::enableMainWindow() {
    mainWindow_.settingsDialogLeft();
}

void TForm6::FormActivate() {
    kv::guarded(*services_.dialogs, [&] {
        const kv::settings::Values first = kv::settings::read();
        // A category that is none of the three words leaves the buttons as they are.
        if (const std::optional<kv::Category> category = kv::parseCategory(first.category))
            categoryButton(*category)->setChecked(true);
        CheckBox1->setChecked(first.askFlag == QLatin1String("1"));
        CheckBox1Click();
        // No "[gift]" line: the award draws nothing for such a file, so the box says so.
        CheckBox4->setChecked(first.gift.has_value() && *first.gift != QLatin1String("0"));
    });
}

void TForm6::FormDeactivate() {
    enableMainWindow();
}

void TForm6::FormClose() {
    enableMainWindow();
}

void TForm6::CheckBox1Click() {
    const bool fixedCategory = !CheckBox1->isChecked();
    RadioButton1->setEnabled(fixedCategory);
    RadioButton2->setEnabled(fixedCategory);
    RadioButton3->setEnabled(fixedCategory);
}

void TForm6::RadioButton1Click() {
    RadioButton1->setChecked(true);
}

void TForm6::RadioButton2Click() {
    RadioButton2->setChecked(true);
}

void TForm6::RadioButton3Click() {
    RadioButton3->setChecked(true);
}

void TForm6::BitBtn1Click() {
    kv::guarded(*services_.dialogs, [&] {
        kv::settings::DialogValues values;
        values.askAtStart = CheckBox1->isChecked();
        for (kv::Category category :
             {kv::Category::Clubs, kv::Category::NationalTeams, kv::Category::Random})
            if (categoryButton(category)->isChecked())
                values.category = category;
        values.names = {Edit1->text(), Edit2->text(), Edit3->text()};
        // Names that would spoil the file or the all-time table are put right first; the dialog
        // stays open with the box in question.
        if (const kv::settings::NamesProblem problem = kv::settings::checkPlayerNames(values.names);
            !problem.text.isEmpty()) {
            QLineEdit* box = QList<QLineEdit*>{Edit1, Edit2, Edit3}.value(problem.slot, Edit1);
            services_.dialogs->information(problem.text);
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
            return;
        }
        values.computeGifts = CheckBox4->isChecked();
        values.logAll = mainWindow_.logAllTeams();
        // What the results window holds is stored under the names it was given: a name changed
        // now would split a player in two.
        if (const QString inUse = mainWindow_.namesInUse();
            values.names != namesAtOpening_ && !inUse.isEmpty()) {
            services_.dialogs->information(inUse);
            return;
        }
        if (!saveValues(values))
            return;
        applyPlayerNames(namesAtOpening_, values.names);
        enableMainWindow();
        hide();
    });
}

void TForm6::applyPlayerNames(const QStringList& before, const QStringList& after) {
    Q_UNUSED(before) // a changed name starts a new row in "Total"
    mainWindow_.showPlayerNames(after);
    namesAtOpening_ = after;
}

bool TForm6::saveValues(const kv::settings::DialogValues& values) {
    QList<kv::PlayerRename> renames;
    if (history_) {
        try {
            renames = history_->heldRenames(namesAtOpening_, values.names);
        } catch (const kv::Error& e) {
            // A history that cannot be read cannot be renamed; the names are still saved.
            services_.dialogs->information(
                e.text() + QStringLiteral("\n\nИмена в истории турниров не меняются."));
        }
    }
    if (!renames.isEmpty()) {
        const kv::Dialogs::Answer answer = services_.dialogs->yesNoCancel(
            kv::renameQuestion(renames), {QStringLiteral("Переименовать"),
                                          QStringLiteral("Новое имя"), QStringLiteral("Отмена")});
        if (answer != kv::Dialogs::Answer::Yes && answer != kv::Dialogs::Answer::No)
            return false;
        if (answer == kv::Dialogs::Answer::Yes) {
            // The settings file is written with the rest of the rename, all or nothing.
            const QString unfinished =
                kv::renamePlayersEverywhere(*history_, renames, kv::settings::dialogLines(values));
            if (!unfinished.isEmpty())
                services_.dialogs->error(unfinished);
            return true;
        }
    }
    // Atomic: a failed write keeps the old file, the dialog stays open, the main window
    // disabled.
    kv::settings::writeDialogValues(values);
    return true;
}

void TForm6::Button5Click() {
    kv::guarded(*services_.dialogs, [&] {
        FormDeactivate();
        gifts_.showGifts(kv::giftsWindowOrder());
    });
}
