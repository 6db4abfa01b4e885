#include "app/tform1.h"

#include "app/instancelock.h"
#include "app/startup.h"
#include "app/tform6.h"
#include "common/besidework.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/gui_fulltexttips.h"
#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/services.h"
#include "common/textfile.h"
#include "history/gui_restore.h"
#include "history/historyread.h"
#include "history/historystore.h"
#include "history/storedprizes.h"
#include "pools/draw.h"
#include "pools/pools.h"
#include "pools/schedule.h"
#include "pools/teamlog.h"
#include "pools/tform2.h"
#include "pools/tform7.h"
#include "pools/tform8.h"
#include "records/gui_charts.h"
#include "records/eveningchances.h"
#include "records/gui_records.h"
#include "results/tform9.h"
#include "tournament/standings.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/tournamentpress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <array>

const QString TForm1::kTitle = kv::programTitle();
const QString TForm1::kWebAddress = QStringLiteral("https://kickvale.example.org/");
const QString TForm1::kUnwrittenEveningQuestion =
    QStringLiteral("Результаты турнира не записаны в базу, и при закрытии они пропадут.\n"
                   "Закрыть программу без записи? (\"Нет\" - вернуться к окну результатов "
                   "и нажать \"Записать в базу\".)");

TForm1::TForm1(kv::Services& services, kv::RunState& state, kv::EveningOwner& evening,
               QWidget* parent)
    : QMainWindow(parent), services_(services), state_(state), evening_(evening) {
    // Its client area is fixed by the central widget's size, below.
    kv::prepareWindow(this, {}, Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint);
    setupUi(this);
    setWindowTitle(kTitle);

    ComboBox1->addItems({QStringLiteral("2"), QStringLiteral("3")});
    ComboBox1->setCurrentIndex(1);
    addMenuCommands();

    const QPixmap ball = kv::footballPixmap(20);
    for (QLabel* mark : {Image2, Image5, Image6})
        mark->setPixmap(ball);
    BitBtn1->setIcon(kv::tablePixmap());
    Label12->setText(QStringLiteral("kickvale.example.org"));
    Label12->setToolTip(kWebAddress);
    Label12->installEventFilter(this);

    kv::Dialogs& dialogs = *services_.dialogs;
    kv::connectGuarded(dialogs, ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    kv::connectGuarded(dialogs, CheckBox1, &QCheckBox::clicked, this, &TForm1::CheckBox1Click);
    kv::connectGuarded(dialogs, Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    kv::connectGuarded(dialogs, Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    kv::connectGuarded(dialogs, BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    kv::connectGuarded(dialogs, ComboBox5, &QComboBox::currentTextChanged, this,
                       &TForm1::ComboBox5Change);
    kv::connectGuarded(dialogs, ComboBox6, &QComboBox::currentTextChanged, this,
                       &TForm1::ComboBox6Change);
    kv::connectGuarded(dialogs, ComboBox7, &QComboBox::currentTextChanged, this,
                       &TForm1::ComboBox7Change);
    kv::connectGuarded(dialogs, CheckBox4, &QCheckBox::clicked, this, &TForm1::CheckBox4Click);
    kv::connectGuarded(dialogs, Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    kv::connectGuarded(dialogs, N5, &QAction::triggered, this, &TForm1::N5Click);
    kv::connectGuarded(dialogs, N8, &QAction::triggered, this, &TForm1::N8Click);
    kv::connectGuarded(dialogs, N6, &QAction::triggered, this, &TForm1::N6Click);
    kv::connectGuarded(dialogs, N3, &QAction::triggered, this, &TForm1::N3Click);
    kv::connectGuarded(dialogs, N2, &QAction::triggered, this, &TForm1::N2Click);
    kv::connectGuarded(dialogs, sheetCommand_, &QAction::triggered, this,
                       &TForm1::SheetCommandClick);
    kv::connectGuarded(dialogs, chartsCommand_, &QAction::triggered, this,
                       &TForm1::ChartsCommandClick);
    kv::connectGuarded(dialogs, recordsCommand_, &QAction::triggered, this,
                       &TForm1::RecordsCommandClick);
    // What the players type or choose is the evening's; the window shows it back from there.
    const std::array<QLineEdit*, 3> teams{Edit1, Edit2, Edit3};
    const std::array<QComboBox*, 3> except{ComboBox2, ComboBox3, ComboBox4};
    for (int i = 0; i < 3; ++i) {
        connect(teams[i], &QLineEdit::textChanged, this, [this, i](const QString& team) {
            evening_.change([&](kv::Evening& e) { e.teams[i] = team; });
        });
        connect(except[i], &QComboBox::currentTextChanged, this, [this, i](const QString& team) {
            evening_.change([&](kv::Evening& e) { e.excepted[i] = team; });
        });
    }
    connect(&evening_, &kv::EveningOwner::changed, this, &TForm1::showEvening);

    setClientHeight(kClientHeight);
    kv::tipCutTexts(this);

    showEvening();
    FormCreate();
}

void TForm1::addMenuCommands() {
    N4 = N1->insertSeparator(N3);
    N4->setObjectName(QStringLiteral("N4"));
    addAction(N3); // Ctrl+X works while the menu is closed
    N6->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    addAction(N6); // the statistics by keyboard too
    sheetCommand_ = new QAction(QStringLiteral("Лист турнира..."), this);
    sheetCommand_->setObjectName(QStringLiteral("SheetCommand"));
    sheetCommand_->setEnabled(false); // until there is a schedule
    N1->insertAction(N4, sheetCommand_);
    chartsCommand_ = new QAction(QStringLiteral("Графики..."), this);
    chartsCommand_->setObjectName(QStringLiteral("ChartsCommand"));
    chartsCommand_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    N1->insertAction(N4, chartsCommand_);
    addAction(chartsCommand_); // Ctrl+G works while the menu is closed
    recordsCommand_ = new QAction(QStringLiteral("Рекорды..."), this);
    recordsCommand_->setObjectName(QStringLiteral("RecordsCommand"));
    recordsCommand_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    N1->insertAction(N4, recordsCommand_);
    addAction(recordsCommand_); // Ctrl+R works while the menu is closed
    auto* restoreCommand = new QAction(QStringLiteral("Восстановить из копии..."), this);
    restoreCommand->setObjectName(QStringLiteral("RestoreCommand"));
    N1->insertAction(N4, restoreCommand);
    kv::connectGuarded(*services_.dialogs, restoreCommand, &QAction::triggered, this,
                       &TForm1::RestoreCommandClick);
}

kv::HistoryStore& TForm1::history() {
    peers();
    if (!history_)
        throw kv::Error(QStringLiteral("История турниров недоступна: база не открыта."));
    return *history_;
}

namespace {
// The star levels of the clubs as the pools hold them when asked.
kv::LevelOf levelsOfPools() {
    const QHash<QString, QString> labels = kv::poolLabelsOfTeams();
    return kv::LevelOf([labels](const QString& club) { return labels.value(club); });
}
} // namespace

void TForm1::ChartsCommandClick() {
    kv::showTournamentCharts(this, history(), *services_.dialogs, levelsOfPools);
}

void TForm1::RestoreCommandClick() {
    kv::showRestoreWindow(this, history(), *services_.dialogs);
}

void TForm1::RecordsCommandClick() {
    if (!recordsWindow_)
        recordsWindow_ = new kv::RecordsWindow(history(), *services_.dialogs, *services_.clock,
                                               levelsOfPools, this);
    kv::showInFront(recordsWindow_);
}

template <typename F> void TForm1::guard(F&& handler) {
    kv::guarded(*services_.dialogs, std::forward<F>(handler));
}

void TForm1::setClientHeight(int height) {
    centralWidget()->setFixedSize(kClientWidth, height);
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(kClientWidth, menuHeight + height);
}

int TForm1::clientHeight() const {
    return centralWidget()->height();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!mayEndProgram()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (services_.endProgram)
        services_.endProgram();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    // A main window has no default button of its own (only dialogs do): Enter that no control
    // took presses "Заполнить" for as long as it is the default.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (enter && plain && Button2->isDefault() && Button2->isEnabled()) {
        Button2->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label12 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label12Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QStringList TForm1::playerNames() const {
    const auto& players = evening_.value().players;
    return {players.cbegin(), players.cend()};
}

bool TForm1::logAllTeams() const {
    return CheckBox4->isChecked();
}

void TForm1::showPlayerNames(const QStringList& names) {
    const bool changed = names != playerNames();
    evening_.renamePlayers({kv::lineAt(names, 0), kv::lineAt(names, 1), kv::lineAt(names, 2)});
    // A rename moved the prize holders to their new names: found again under them.
    if (changed)
        showPrizeHolders();
}

QString TForm1::namesInUse() const {
    if (peers_.form9 && peers_.form9->holdsUnwrittenEvening())
        return TForm6::kRenameWithEveningOpen;
    if (peers_.form9 && !peers_.form9->correctedTable().isEmpty())
        return TForm6::kRenameWithCorrectionOpen;
    return {};
}

void TForm1::settingsDialogLeft() {
    setEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// Start-up sequence

void TForm1::FormCreate() {
    kv::StartupResult r;
    // Shows whatever the sequence reached, also when a step failed.
    const auto apply = [&] {
        if (r.bestScorer) {
            Image2->setVisible(r.bestScorer->marks[0]);
            Image5->setVisible(r.bestScorer->marks[1]);
            Image6->setVisible(r.bestScorer->marks[2]);
        }
        if (r.poolTotal)
            state_.poolTotal = *r.poolTotal;
        if (r.currentPool)
            state_.currentPool = *r.currentPool;
        if (r.captionSuffix)
            setWindowTitle(kTitle + *r.captionSuffix);
        const QList<QComboBox*> except{ComboBox2, ComboBox3, ComboBox4};
        const QList<QComboBox*> choice{ComboBox5, ComboBox6, ComboBox7};
        if (r.choiceItems) {
            for (QComboBox* box : except + choice) {
                // Filling the list must not copy a team into the team boxes.
                const QSignalBlocker quiet(box);
                box->clear();
                box->addItems(*r.choiceItems);
                box->setCurrentIndex(-1);
                if (box->isEditable())
                    box->clearEditText();
            }
        }
        for (int i = 0; i < 3; ++i) {
            except[i]->setEnabled(r.exceptChoiceEnabled[i]);
            choice[i]->setEnabled(r.teamChoiceEnabled[i]);
        }
        if (r.lastThreeTeams)
            Label33->setVisible(*r.lastThreeTeams);
        // Set without a click: both log boxes may start checked.
        if (r.logAll)
            CheckBox4->setChecked(*r.logAll);
        firstStart_ = r.settingsCreated;
        const auto from = [&](bool kv::GiftGrants::*grant, const std::array<bool, 3>& enabled) {
            for (int gift = 0; gift < 2; ++gift)
                if (r.giftGrants[gift].*grant && enabled[0])
                    return gift + 1;
            return 0;
        };
        // A start begins a new evening: what it did not reach stays unknown.
        evening_.change([&](kv::Evening& e) {
            e = kv::Evening{};
            if (r.lastTournament) {
                const QStringList& last = *r.lastTournament;
                e.last = kv::LastTournament{{last.value(0), last.value(1), last.value(2)},
                                            last.value(3)};
            }
            if (r.playerNames)
                e.players = {r.playerNames->value(0), r.playerNames->value(1),
                             r.playerNames->value(2)};
            e.teamChoiceFrom = from(&kv::GiftGrants::teamChoice, r.teamChoiceEnabled);
            e.exceptChoiceFrom = from(&kv::GiftGrants::exceptChoice, r.exceptChoiceEnabled);
            for (int i = 0; r.bestScorer && i < 3; ++i)
                if (r.bestScorer->marks[i] && r.exceptChoiceEnabled[i])
                    e.privilegedScorer = r.bestScorer->name;
        });
    };
    guard([&] {
        try {
            kv::runStartup(r, *services_.dialogs, *services_.random);
        } catch (...) {
            apply();
            throw;
        }
        apply();
    });
}

// ---------------------------------------------------------------------------------------------
// Number of players, link, About, exit

void TForm1::ComboBox1Change() {
    if (ComboBox1->currentText() != QLatin1String("2"))
        return;
    ComboBox1->setCurrentIndex(1);
    if (TForm7* two = peers().form7) {
        two->move(frameGeometry().topRight() + QPoint(8, 0));
        kv::showInFront(two);
    }
}

void TForm1::Label12Click() {
    // A failure to open the browser is not reported.
    if (services_.opener)
        services_.opener->open(QUrl(kWebAddress));
}

void TForm1::N2Click() {
    services_.dialogs->information(QStringLiteral("Версия 6") + QStringLiteral("\n\r") +
                                   QStringLiteral("Программирование - Zorvo Team, "
                                                  "kickvale@example.org"));
}

void TForm1::N3Click() {
    if (mayEndProgram() && services_.endProgram)
        services_.endProgram();
}

void TForm1::setPeers(const Windows& peers, kv::HistoryStore* history) {
    makePeers_ = nullptr;
    peers_ = peers;
    history_ = history;
    showPrizeHolders();
    if (history_)
        connect(history_, &kv::HistoryStore::historyChanged, this, [this] {
            // A written or mended tournament moves the ratings the chances come from.
            chancesOf_ = {};
            findChances();
        });
    findChances();
}

const Windows& TForm1::peers() {
    if (makePeers_)
        std::exchange(makePeers_, nullptr)();
    return peers_;
}

void TForm1::showPrizeHolders() {
    // Without the database the holders stay unnamed; the results window, which opens it first,
    // has said what is wrong (a busy database is not waited for twice).
    kv::PrizeHolders holders;
    if (history_ && history_->isOpen()) {
        try {
            holders = kv::findPrizeHolders(*history_);
        } catch (const kv::Error&) {
        }
    }
    press_.holders = holders;
    const kv::Evening& e = evening_.value();
    const QString line =
        kv::privilegesLine(holders, e.teamChoiceFrom, e.exceptChoiceFrom, e.privilegedScorer);
    PrivilegeHolders->setText(line);
    PrivilegeHolders->setVisible(!line.isEmpty());
}

bool TForm1::mayEndProgram() {
    // A logout or a kill cannot wait for an answer.
    if (!peers_.form9 || !peers_.form9->holdsUnwrittenEvening() || kv::terminationRequested())
        return true;
    if (services_.dialogs->yesNo(kUnwrittenEveningQuestion) == kv::Dialogs::Answer::Yes)
        return true;
    kv::showInFront(peers_.form9);
    return false;
}

// ---------------------------------------------------------------------------------------------
// The draw and manual entry

void TForm1::CheckBox1Click() {
    guard([&] {
        const bool random = CheckBox1->isChecked();
        for (QLineEdit* team : {Edit1, Edit2, Edit3})
            team->setEnabled(!random);
        Button2->setEnabled(random);
        if (!random)
            for (QComboBox* except : {ComboBox2, ComboBox3, ComboBox4})
                except->setCurrentIndex(-1);
    });
}

void TForm1::Button2Click() {
    guard([&] {
        Button1->setEnabled(true);
        Button2->setEnabled(false);

        const kv::Evening& evening = evening_.value();
        const kv::DrawSlots board{evening.teams, evening.excepted,
                                  evening.last.value_or(kv::LastTournament{}).teams};
        const kv::DrawOptions options{CheckBox3->isChecked(), CheckBox4->isChecked()};
        const bool needsPicks = std::any_of(board.teams.cbegin(), board.teams.cend(),
                                            [](const QString& team) { return team.isEmpty(); });
        QStringList pool;
        QString log; // the whole text: a long log is looked through without a string per line
        if (needsPicks) {
            if (state_.currentPool.isEmpty()) {
                services_.dialogs->information(kv::kNoCurrentPoolMessage);
                return;
            }
            pool = kv::readLines(state_.currentPool);
            if (options.refuseLoggedTeams)
                log = kv::readText(kv::kLogFile).text;
        }
        const kv::DrawResult drawn =
            kv::drawTeams(board, options, pool, log, state_.poolTotal, *services_.random);
        evening_.change([&](kv::Evening& e) { e.teams = drawn.teams; });

        switch (drawn.outcome) {
        case kv::DrawResult::Outcome::Ok:
            break;
        case kv::DrawResult::Outcome::AttemptLimit:
            services_.dialogs->information(kv::PoolEmptyMessage(state_.currentPool));
            if (services_.endProgram)
                services_.endProgram();
            return;
        case kv::DrawResult::Outcome::SlotImpossible:
            services_.dialogs->information(
                kv::slotImpossibleMessage(evening_.value().players[drawn.slot]));
            return;
        }
    });
    // The next step is one Enter away.
    if (Button1->isEnabled())
        Button1->setFocus();
}

void TForm1::ComboBox5Change() {
    guard([&] { evening_.change([&](kv::Evening& e) { e.teams[0] = ComboBox5->currentText(); }); });
}

void TForm1::ComboBox6Change() {
    guard([&] { evening_.change([&](kv::Evening& e) { e.teams[1] = ComboBox6->currentText(); }); });
}

void TForm1::ComboBox7Change() {
    guard([&] { evening_.change([&](kv::Evening& e) { e.teams[2] = ComboBox7->currentText(); }); });
}

// ---------------------------------------------------------------------------------------------
// The schedule

void TForm1::Button1Click() {
    guard([&] {
        const std::array<QString, 3> teams = evening_.value().teams;
        // Equal teams can never be scheduled: say so and leave "Расписание" to press again
        // once the teams are put right. Nothing is logged.
        if (!kv::teamsDistinct(teams)) {
            services_.dialogs->information(kv::kEqualTeamsMessage);
            return;
        }
        Button2->setEnabled(false);
        Button1->setEnabled(false);
        BitBtn1->setEnabled(true);

        const kv::Schedule schedule = kv::makeSchedule(teams, *services_.random);
        evening_.change([&](kv::Evening& e) {
            e.schedule = QStringList(schedule.labels.cbegin(), schedule.labels.cend());
        });

        kv::appendTeamsToLog({teams[0], teams[1], teams[2]}, *services_.dialogs);
    });
    if (BitBtn1->isEnabled())
        BitBtn1->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Recent-teams log options and window

void TForm1::CheckBox4Click() {
    guard([&] {
        if (CheckBox4->isChecked())
            CheckBox3->setChecked(false);
    });
}

void TForm1::Button3Click() {
    guard([&] {
        if (peers().form8)
            peers().form8->openFromMainWindow();
    });
}

// ---------------------------------------------------------------------------------------------
// Tournament sheet, hand-over and prizes

void TForm1::BitBtn1Click() {
    // Enter stops running the fill from here on.
    Button2->setDefault(false);
    Button2->setAutoDefault(false);
    bool handedOver = false;
    guard([&] {
        const kv::Tournament input = evening_.value().tournament();
        kv::PressView view;
        view.handOverToResults = [&](const kv::Tournament& tournament) {
            if (!peers().form9)
                throw kv::Error(
                    QStringLiteral("Окно результатов не открылось, и турнир в него не передан. "
                                   "Перезапустите программу и нажмите кнопку снова."));
            peers().form9->showTournament(tournament);
            handedOver = true;
        };
        view.showPrize = [&](kv::PrizePlace place, const QString& path) {
            QLabel* box = place == kv::PrizePlace::First    ? Image1
                          : place == kv::PrizePlace::Second ? Image3
                                                            : Image4;
            box->setPixmap(kv::loadPicture(path));
        };
        view.uncoverPrizes = [&] { setClientHeight(kClientHeightWithPrizes); };
        // The desktop may answer after the press; the sheet window shows the sheet when no
        // spreadsheet program took the workbook.
        view.sheetMade = [form = QPointer<TForm1>(this)](const kv::TournamentSheet& sheet,
                                                         bool shownElsewhere,
                                                         const QString& workbook) {
            if (!form)
                return;
            kv::TournamentSheet shown = sheet;
            form->showEveningOn(shown);
            form->sheetWindow().setSheet(shown, shownElsewhere ? workbook : QString());
            if (!shownElsewhere)
                form->showEveningSheet();
        };
        kv::runTournamentPress(input, services_, view, press_);
    });
    // The prizes' message box was over this window, which it brought forward: the evening's
    // next steps come in front again.
    if (handedOver)
        bringEveningForward();
}

void TForm1::showEveningSheet() {
    // A message box being answered keeps the front; the sheet comes when it is closed.
    if (QWidget* box = QApplication::activeModalWidget()) {
        kv::connectGuarded(*services_.dialogs, box, &QObject::destroyed, this,
                           &TForm1::showEveningSheet, Qt::QueuedConnection);
        return;
    }
    kv::SheetWindow& sheet = sheetWindow();
    if (peers().form9 && peers().form9->isVisible())
        kv::placeSideBySide(&sheet, kv::SheetWindow::kReadableWidth, peers().form9);
    sheet.showSheet();
}

void TForm1::bringEveningForward() {
    TForm9* results = peers().form9;
    if (!results || !results->isVisible())
        return;
    // The results window over this one, and the sheet to print over both.
    kv::showInFront(results);
    if (sheetWindow_ && sheetWindow_->isVisible()) {
        kv::placeSideBySide(sheetWindow_, kv::SheetWindow::kReadableWidth, results);
        sheetWindow_->showSheet();
    }
}

void TForm1::showEvening() {
    const kv::Evening& e = evening_.value();
    const std::array<QLabel*, 3> players{Label16, Label17, Label18};
    const std::array<QLineEdit*, 3> teams{Edit1, Edit2, Edit3};
    const std::array<QComboBox*, 3> except{ComboBox2, ComboBox3, ComboBox4};
    const std::array<QLabel*, 3> last{Label22, Label23, Label24};
    for (int i = 0; i < 3; ++i) {
        players[i]->setText(e.players[i]);
        // Only a change moves the cursor of a box being typed in.
        if (teams[i]->text() != e.teams[i])
            teams[i]->setText(e.teams[i]);
        if (except[i]->currentText() != e.excepted[i])
            except[i]->setCurrentIndex(except[i]->findText(e.excepted[i]));
        // Until the start has read the last tournament its labels stay as they are.
        if (e.last)
            last[i]->setText(e.last->teams[i]);
    }
    if (e.last)
        Label29->setText(e.last->date);
    const std::array<QLabel*, 6> schedule{Label7, Label8, Label10, Label11, Label14, Label15};
    for (int i = 0; i < 6 && e.scheduled(); ++i) {
        schedule[i]->setText(e.schedule.value(i));
        schedule[i]->setVisible(true);
    }
    if (e.scheduled())
        Label6->setVisible(true);
    // The sheet is there to see once the evening has its schedule.
    sheetCommand_->setEnabled(e.scheduled());
    showChancesAndResult();
    findChances();
}

void TForm1::findChances() {
    const kv::Evening& e = evening_.value();
    if (!history_ || !e.scheduled() || e.tournament() == chancesOf_)
        return;
    chancesOf_ = e.tournament();
    if (!chancesWork_)
        chancesWork_ = new kv::BesideWork(this);
    chancesWork_->run([this, file = history_->fileName(), of = chancesOf_, levels = levelsOfPools()] {
        const kv::HistoryRead read = kv::readHistoryAlone(file);
        // The chances are a help, not part of the evening: a history that cannot be read gives
        // none, and the evening goes on without them.
        kv::MatchChances chances;
        if (!read.failure)
            chances = kv::eveningChances(read.history, of, levels);
        return [this, of, chances] {
            if (evening_.value().tournament() == of)
                evening_.change([&](kv::Evening& e) { e.chances = chances; });
        };
    });
}

void TForm1::showChancesAndResult() {
    const kv::Evening& e = evening_.value();
    const std::array<std::array<QLabel*, 2>, 3> firstLeg{
        {{Label7, Label8}, {Label10, Label11}, {Label14, Label15}}};
    const QStringList teams(e.teams.cbegin(), e.teams.cend());
    for (int i = 0; i < 3 && e.scheduled(); ++i) {
        const int home = teams.indexOf(e.schedule.value(2 * i));
        const int away = teams.indexOf(e.schedule.value(2 * i + 1));
        const int first = kv::matchAt(home, away);
        const int second = kv::matchAt(away, home);
        const QString tip = first < 0 || e.chances[first].isEmpty()
                                ? QString()
                                : QStringLiteral("%1\nОтветный матч: %2")
                                      .arg(e.chances[first], e.chances[second]);
        for (QLabel* label : firstLeg[i])
            label->setToolTip(tip.isEmpty() ? QString() : label->text() + u'\n' + tip);
    }
    if (sheetWindow_) {
        kv::TournamentSheet sheet = sheetWindow_->sheet();
        showEveningOn(sheet);
        if (sheet != sheetWindow_->sheet())
            sheetWindow_->setSheet(sheet, sheetWindow_->workbook());
    }
}

void TForm1::showEveningOn(kv::TournamentSheet& sheet) const {
    // Only the sheet of this evening: an earlier one's sheet keeps what it showed.
    const kv::Evening& e = evening_.value();
    if (sheet.teams != e.tournament().teams || sheet.players != e.tournament().players)
        return;
    kv::setSheetChances(sheet, e.chances);
    kv::setSheetResult(sheet, e.result);
}

kv::SheetWindow& TForm1::sheetWindow() {
    if (!sheetWindow_)
        sheetWindow_ =
            new kv::SheetWindow(*services_.dialogs, *services_.clock, services_.opener, this);
    return *sheetWindow_;
}

void TForm1::SheetCommandClick() {
    guard([&] {
        kv::SheetWindow& window = sheetWindow();
        kv::TournamentSheet sheet = kv::eveningSheet(evening_.value().tournament(),
                                                     *services_.clock, press_, services_.files);
        showEveningOn(sheet);
        window.setSheet(sheet, window.workbook());
        window.showSheet();
    });
}

// ---------------------------------------------------------------------------------------------
// Team pools editor

void TForm1::N5Click() {
    guard([&] {
        if (peers().form2)
            peers().form2->openFromMenu();
    });
}

// ---------------------------------------------------------------------------------------------
// Settings dialog

void TForm1::N8Click() {
    guard([&] {
        TForm6* dialog = peers().form6;
        if (!dialog)
            return;
        // Every opening shows the names the main window shows.
        setEnabled(false);
        dialog->showFromMainWindow(playerNames());
    });
}

void TForm1::askForPlayerNames() {
    N8Click();
    if (peers().form6 && peers().form6->isVisible())
        peers().form6->focusFirstName();
}

// ---------------------------------------------------------------------------------------------
// Statistics view

void TForm1::N6Click() {
    if (peers().form9)
        peers().form9->showStatistics(playerNames());
}
