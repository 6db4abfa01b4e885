#include "results/tform9.h"

#include "common/besidework.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/guard.h"
#include "common/gui_fulltexttips.h"
#include "common/gui_theme.h"
#include "common/gui_windowplace.h"
#include "common/services.h"
#include "common/textfile.h"
#include "history/gui_restore.h"
#include "history/gui_totalpreview.h"
#include "history/historyread.h"
#include "history/safetycopy.h"
#include "history/tournamentdates.h"
#include "pools/pools.h"
#include "records/gui_eveningcard.h"
#include "records/records.h"
#include "results/bestscorer.h"
#include "tournament/evening.h"

#include <QApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QShortcut>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStyle>
#include <QTimer>

#include <algorithm>

using kv::StandingField;

namespace {

// The grid's view of the table: Russian headings and scores as 4:1; the table itself keeps the
// database's columns and stored forms.
class ShownTable : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        const QVariant value = QIdentityProxyModel::headerData(section, orientation, role);
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return kv::columnHeading(value.toString());
        return value;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const QVariant value = QIdentityProxyModel::data(index, role);
        if (role != Qt::DisplayRole || value.typeId() != QMetaType::QString)
            return value;
        const QString column =
            sourceModel()->headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString();
        return kv::shownCell(column, value.toString());
    }
    // The history changes only through its store: nothing is edited in the grid.
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QIdentityProxyModel::flags(index) & ~Qt::ItemIsEditable;
    }
};

} // namespace

TForm9::TForm9(kv::Services& services, kv::HistoryStore& history, kv::EveningOwner* evening,
               QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), db_(history),
      evening_(evening ? evening : new kv::EveningOwner(this)) {
    kv::prepareWindow(this, {957, 426});
    setupUi(this);

    boxes_ = {Edit1, Edit2, Edit3, Edit4,  Edit5,  Edit6,
              Edit7, Edit8, Edit9, Edit10, Edit11, Edit12};
    // Goals for, against, difference, wins, draws, losses, points, place.
    standings_ = {{{Label15, Label16, Label18, Label33, Label34, Label35, Label19, Label43},
                   {Label20, Label21, Label22, Label36, Label37, Label38, Label23, Label44},
                   {Label24, Label25, Label26, Label39, Label40, Label41, Label27, Label45}}};
    names_ = {Label29, Label30, Label31};
    // No player, no best-scorer button to press. The chosen one stays checked and bold, and any
    // other can still be pressed: the last choice counts.
    for (QPushButton* button : {Button3, Button4, Button5})
        button->setEnabled(false);
    for (QPushButton* button : scorerButtons())
        button->setCheckable(true);

    // Fonts of single controls are the window's font with a change, so they keep its family.
    QFont heading = font();
    heading.setBold(true);
    heading.setUnderline(true);
    Label46->setFont(heading);
    DBGrid1->horizontalHeader()->setFont(font());
    DBGrid1->verticalHeader()->setFont(font());

    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));

    setUpGrid();
    DBGrid1->installEventFilter(this);
    ListBox1->installEventFilter(this);
    for (QLineEdit* box : boxes_)
        box->installEventFilter(this);
    kv::tipCutTexts(this);

    kv::Dialogs& dialogs = *services_.dialogs;
    kv::connectGuarded(dialogs, Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    kv::connectGuarded(dialogs, Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
    kv::connectGuarded(dialogs, BitBtn1, &QPushButton::clicked, this, &TForm9::BitBtn1Click);
    kv::connectGuarded(dialogs, Button3, &QPushButton::clicked, this, &TForm9::Button3Click);
    kv::connectGuarded(dialogs, Button4, &QPushButton::clicked, this, &TForm9::Button4Click);
    kv::connectGuarded(dialogs, Button5, &QPushButton::clicked, this, &TForm9::Button5Click);
    kv::connectGuarded(dialogs, Button6, &QPushButton::clicked, this, &TForm9::Button6Click);
    kv::connectGuarded(dialogs, FixButton, &QPushButton::clicked, this, &TForm9::FixButtonClick);
    kv::connectGuarded(dialogs, DeleteButton, &QPushButton::clicked, this,
                       &TForm9::DeleteButtonClick);
    kv::connectGuarded(dialogs, RebuildButton, &QPushButton::clicked, this,
                       &TForm9::RebuildButtonClick);
    auto* fix = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(fix, &QShortcut::activated, FixButton, &QPushButton::click);
    kv::connectGuarded(dialogs, DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
                       &TForm9::DBGrid1TitleClick);
    connectTournamentList();
    kv::connectGuarded(dialogs, &db_, &kv::HistoryStore::historyChanged, this,
                       &TForm9::historyChanged);
    findingRecords_ = new kv::BesideWork(this);
    chancesLabel_ = new QLabel(this);
    chancesLabel_->setObjectName(QStringLiteral("ChancesLabel"));
    chancesLabel_->setTextFormat(Qt::PlainText);
    chancesLabel_->setGeometry(8, 132, 769, 40);
    chancesLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(evening_, &kv::EveningOwner::changed, this, &TForm9::showChances);
    // Beside the write button, over the manual entry: the one free place near the list.
    SummaryButton = new QPushButton(QStringLiteral("Итоги турнира..."), this);
    SummaryButton->setObjectName(QStringLiteral("SummaryButton"));
    SummaryButton->setGeometry(640, 222, 139, 22);
    SummaryButton->setToolTip(QStringLiteral("Картинка и текст итогов турнира, выбранного в "
                                             "списке справа, чтобы отправить их в чат"));
    kv::connectGuarded(dialogs, SummaryButton, &QPushButton::clicked, this,
                       &TForm9::SummaryButtonClick);

    FormCreate();
}

void TForm9::connectTournamentList() {
    kv::Dialogs& dialogs = *services_.dialogs;
    // Every change of the chosen item opens its table (mouse or keyboard); a click on the item
    // already chosen opens it again, but the click that chose it does not open it twice.
    kv::connectGuarded(dialogs, ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (reloadingList_ || row < 0)
            return;
        chosenByPress_ = QApplication::mouseButtons() != Qt::NoButton ? row : -1;
        ListBox1Click();
    });
    kv::connectGuarded(dialogs, ListBox1, &QListWidget::itemClicked, this,
                       [this](QListWidgetItem* item) {
                           const bool justOpened = ListBox1->row(item) == chosenByPress_;
                           chosenByPress_ = -1;
                           if (!justOpened)
                               ListBox1Click();
                       });

    // Enter on the item already chosen opens it again, as a click does.
    kv::connectGuarded(dialogs, ListBox1, &QListWidget::itemActivated, this,
                       [this](QListWidgetItem*) {
                           if (QApplication::mouseButtons() == Qt::NoButton)
                               ListBox1Click();
                       });
}

TForm9::~TForm9() {
    // The grid's table holds the connection; it goes before the connection is removed.
    DBGrid1->setModel(nullptr);
    delete ADOTable1;
    ADOTable1 = nullptr;
}

void TForm9::setUpGrid() {
    ADOTable1 = db_.newTableView(this);
    ADOTable1->setObjectName(QStringLiteral("ADOTable1"));
    ADOTable1->setEditStrategy(QSqlTableModel::OnManualSubmit);
    auto* shown = new ShownTable(this);
    shown->setSourceModel(ADOTable1);
    DBGrid1->setModel(shown);
    DBGrid1->setSortingEnabled(false);
    // Tab leaves the grid for the next control, as everywhere else in the window.
    DBGrid1->setTabKeyNavigation(false);
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    DBGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DBGrid1->horizontalHeader()->setHighlightSections(false);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
}

template <typename F> void TForm9::guard(F&& handler) {
    kv::guarded(*services_.dialogs, [&] {
        try {
            std::forward<F>(handler)();
        } catch (const kv::DamagedHistory& damage) {
            offerRestore(damage);
        }
    });
}

void TForm9::offerRestore(const kv::DamagedHistory& damage) {
    if (kv::safetyCopies(db_.fileName()).isEmpty())
        throw damage;
    if (services_.dialogs->yesNo(damage.text() + QStringLiteral("\n\nВосстановить из копии?")) !=
        kv::Dialogs::Answer::Yes)
        return;
    // After the handler, and at start after the main window is up, so that it comes in front.
    QTimer::singleShot(0, this, [this] { kv::showRestoreWindow(this, db_, *services_.dialogs); });
}

void TForm9::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (listBusy_)
        FormCreate();
}

const kv::Evening& TForm9::evening() const {
    return evening_->value();
}

void TForm9::showChances() {
    const bool shown = correcting_.isEmpty() && !evening().chances[0].isEmpty();
    const kv::PlayOrder order = playOrder_.value_or(kv::PlayOrder{0, 1, 2, 3, 4, 5});
    std::array<QStringList, 2> legs;
    for (int i = 0; i < 6; ++i) {
        const int m = order[i];
        const QString chances = shown ? evening().chances[m] : QString();
        boxes_[kv::homeBox(m)]->setToolTip(chances);
        boxes_[kv::awayBox(m)]->setToolTip(chances);
        legs[i / 3].append(QStringLiteral("%1) %2").arg(i + 1).arg(chances));
    }
    const QString gap = QStringLiteral("   ");
    chancesLabel_->setText(
        shown ? QStringLiteral("Шансы: %1\n%2").arg(legs[0].join(gap), legs[1].join(gap))
              : QString());
}

QLabel* TForm9::standingLabel(int player, StandingField field) const {
    return standings_.at(player).at(static_cast<int>(field));
}

// ---------------------------------------------------------------------------------------------
// What the main window hands over

void TForm9::showTournament(const kv::Tournament& tournament) {
    // A new evening ends a correction the window may hold: its write must store the new one.
    abandonCorrection();
    showTeams({kv::lineAt(tournament.teams, 0), kv::lineAt(tournament.teams, 1),
               kv::lineAt(tournament.teams, 2)});
    for (int i = 0; i < 3; ++i)
        names_[i]->setText(kv::lineAt(tournament.players, i));
    // Written with the evening: the records count runs in the order the matches were played.
    playOrder_ = kv::playOrderOf(tournament.teams, tournament.matches);
    // A new evening: nothing computed, chosen or written yet.
    evening_->change([](kv::Evening& e) {
        e.result.reset();
        e.bestScorer.reset();
        e.writtenTable.clear();
    });
    for (QPushButton* button : {Button3, Button4, Button5})
        button->setText(QString());
    Button6->setEnabled(true);
    markChosenScorer(nullptr);
    showScorerButtons(tournament.players);
    Button1->setEnabled(true);
    unwrittenEvening_ = true;
    showChances();
    // The scores come next: the first box has the keyboard, its "0" ready to be typed over.
    Edit1->setFocus();
    kv::showInFront(this);
}

void TForm9::showStatistics(const QStringList& players) {
    // A loaded correction keeps the players of its evening: its write stores them.
    if (correcting_.isEmpty())
        for (int i = 0; i < 3; ++i)
            names_[i]->setText(kv::lineAt(players, i));
    showScorerButtons(players);
    kv::showInFront(this);
}

void TForm9::showScorerButtons(const QStringList& players) {
    // Only buttons without a name yet get one: a chosen best scorer stays chosen.
    const std::array<QPushButton*, 3> scorers{Button3, Button4, Button5};
    for (int i = 0; i < 3; ++i) {
        if (!scorers[i]->text().isEmpty())
            continue;
        scorers[i]->setText(kv::lineAt(players, i));
        scorers[i]->setEnabled(!scorers[i]->text().isEmpty());
    }
}

void TForm9::markChosenScorer(const QPushButton* chosen) {
    for (QPushButton* button : scorerButtons()) {
        button->setChecked(button == chosen);
        QFont bold = button->font();
        bold.setBold(button == chosen);
        button->setFont(bold);
    }
}

QPushButton* TForm9::scorerButton(const std::optional<QString>& name) const {
    if (name)
        for (QPushButton* button : scorerButtons())
            if (button->text() == *name)
                return button;
    return nullptr;
}

void TForm9::showTeams(const std::array<QString, 3>& teams) {
    teamNames_ = teams;
    const std::array<std::array<QLabel*, 2>, 3> labels{
        {{Label3, Label6}, {Label4, Label7}, {Label5, Label8}}};
    for (int i = 0; i < 3; ++i)
        for (QLabel* label : labels[i]) {
            const QString shown = label->fontMetrics().elidedText(teams[i], Qt::ElideRight,
                                                                  label->contentsRect().width());
            label->setText(shown);
            label->setToolTip(shown == teams[i]
                                  ? QString()
                                  : Qt::convertFromPlainText(teams[i], Qt::WhiteSpaceNoWrap));
        }
}

// ---------------------------------------------------------------------------------------------
// Creation and the tournament list

void TForm9::FormCreate() {
    guard([&] {
        reloadTournamentList();
        Label2->setText(services_.clock->shortDate());
        setGridColumnWidths();
    });
}

void TForm9::reloadTournamentList() {
    QStringList names;
    try {
        // Read first: a table made meanwhile by another program makes the next list whole.
        listedSchema_ = db_.schemaVersion();
        names = db_.tableNames();
    } catch (const kv::BusyHistory&) {
        listBusy_ = true;
        throw;
    }
    listBusy_ = false;
    listed_ = kv::TournamentList(names);
    reloadingList_ = true;
    // Dates as people read them, newest first; the table's own name goes with each item.
    ListBox1->setSortingEnabled(false);
    ListBox1->clear();
    for (const kv::ListedTable& listed : listed_.listed()) {
        auto* item = new QListWidgetItem(listed.shown, ListBox1);
        item->setData(Qt::UserRole, listed.table);
        item->setToolTip(listed.table);
    }
    reloadingList_ = false;
    chosenByPress_ = -1;
    if (gridActive_)
        markListed(gridTable_);
    if (!formatWarned_ && !db_.formatWarning().isEmpty()) {
        formatWarned_ = true;
        services_.dialogs->information(db_.formatWarning());
    }
}

void TForm9::addToTournamentList(const QString& table) {
    const std::optional<kv::TournamentList::Added> added = listed_.add(table);
    if (!added) {
        reloadTournamentList();
        return;
    }
    reloadingList_ = true;
    auto* item = new QListWidgetItem(listed_.listed()[added->row].shown);
    item->setData(Qt::UserRole, table);
    item->setToolTip(table);
    ListBox1->insertItem(int(added->row), item);
    for (qsizetype row : added->relabeled)
        ListBox1->item(int(row))->setText(listed_.listed()[row].shown);
    reloadingList_ = false;
}

QString TForm9::tableOf(const QListWidgetItem* item) {
    const QVariant table = item->data(Qt::UserRole);
    return table.isValid() ? table.toString() : item->text();
}

QListWidgetItem* TForm9::findListed(const QString& table) const {
    // The list shows listed_ row by row: a table's row is found by its date, not by a search.
    const qsizetype row = listed_.rowOf(table);
    QListWidgetItem* item = row >= 0 ? ListBox1->item(int(row)) : nullptr;
    return item && tableOf(item) == table ? item : nullptr;
}

void TForm9::markListed(const QString& table) {
    // A list that gets the keyboard with no item current makes its first one current, which
    // would open that table: the item of the table shown is current instead.
    QListWidgetItem* item = findListed(table);
    if (!item || item == ListBox1->currentItem())
        return;
    reloadingList_ = true;
    ListBox1->setCurrentItem(item);
    reloadingList_ = false;
}

QString TForm9::listedName(const QString& table) const {
    const QListWidgetItem* item = findListed(table);
    return item ? item->text() : table;
}

void TForm9::historyChanged() {
    guard([&] {
        // A write adds its table and removes none: the list read before stays good.
        if (!beingWritten_.isEmpty()) {
            addToTournamentList(beingWritten_);
            listedSchema_ = db_.schemaVersion();
            if (gridActive_) {
                const QList<int> widths = gridColumnWidths();
                openGridTable(gridTable_, gridSort_);
                restoreGridColumnWidths(widths);
            }
            return;
        }
        reloadTournamentList();
        if (!gridActive_)
            return;
        // The grid shows the same table as before, the same way, unless it is gone.
        const QList<int> widths = gridColumnWidths();
        const bool gone = !findListed(gridTable_);
        openGridTable(gone ? kv::kTotalTable : gridTable_, gone ? QStringLiteral("id") : gridSort_);
        if (!gone)
            restoreGridColumnWidths(widths);
    });
}

void TForm9::ListBox1Click() {
    guard([&] {
        const QListWidgetItem* item = ListBox1->currentItem();
        if (!item)
            return;
        openGridTable(tableOf(item), QStringLiteral("id"));
    });
}

// ---------------------------------------------------------------------------------------------
// The grid

void TForm9::openGridTable(const QString& table, const QString& sortColumn) {
    db_.open();
    ADOTable1->setTable(table);
    // A table without the sort column (no id) is shown in its stored order.
    const int column = ADOTable1->record().indexOf(sortColumn);
    ADOTable1->setSort(column, Qt::AscendingOrder);
    gridTable_ = table;
    gridSort_ = sortColumn;
    gridActive_ = true;
    markListed(table);
    selectAll();
    setGridColumnWidths();
}

void TForm9::selectAll() {
    // Every row is read at once: a read left pending would hold the database while the history
    // changes, and a change undone would end it half way.
    bool ok = ADOTable1->select();
    while (ok && ADOTable1->canFetchMore()) {
        const int rows = ADOTable1->rowCount();
        ADOTable1->fetchMore();
        ok = ADOTable1->rowCount() > rows;
    }
    if (ADOTable1->lastError().isValid())
        kv::sql::fail(ADOTable1->lastError());
}

void TForm9::setGridColumnWidths() {
    for (int c = 0; c < ADOTable1->columnCount(); ++c)
        DBGrid1->setColumnWidth(c, kGridColumnWidth);
}

QList<int> TForm9::gridColumnWidths() const {
    QList<int> widths;
    for (int c = 0; c < ADOTable1->columnCount(); ++c)
        widths.append(DBGrid1->columnWidth(c));
    return widths;
}

void TForm9::restoreGridColumnWidths(const QList<int>& widths) {
    for (int c = 0; c < widths.size() && c < ADOTable1->columnCount(); ++c)
        DBGrid1->setColumnWidth(c, widths[c]);
}

void TForm9::DBGrid1TitleClick(int column) {
    guard([&] {
        if (!gridActive_ || column < 0 || column >= ADOTable1->columnCount())
            return;
        const QList<int> widths = gridColumnWidths();
        gridSort_ = ADOTable1->record().fieldName(column);
        ADOTable1->setSort(column, Qt::AscendingOrder);
        const auto restore = qScopeGuard([&] { restoreGridColumnWidths(widths); });
        selectAll();
    });
}

void TForm9::DBGrid1DeleteRecord() {
    // A single row deleted would leave "Total" counting what the tournament no longer holds:
    // the grid offers the whole tournament it shows, as "Удалить турнир" does.
    guard([&] {
        if (gridActive_)
            deleteTournament(gridTable_);
    });
}

bool TForm9::eventFilter(QObject* watched, QEvent* event) {
    // A score box reached by the keyboard or by coming back to the window is typed over, as
    // one reached by Tab is; a click still puts the cursor where it points.
    if (event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        if (const auto box = std::find(boxes_.begin(), boxes_.end(), watched); box != boxes_.end())
            (*box)->selectAll();
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == DBGrid1 && key->key() == Qt::Key_Delete &&
            key->modifiers() == Qt::ControlModifier) {
            DBGrid1DeleteRecord();
            return true;
        }
        if (watched == ListBox1 && key->key() == Qt::Key_Delete &&
            key->modifiers() == Qt::NoModifier) {
            DeleteButton->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Standings, manual entry, the Enter key

void TForm9::Button1Click() {
    guard([&] {
        computeAndShow();
        BitBtn1->setEnabled(true);
        button1Default_ = false;
        Button1->setDefault(false);
        BitBtn1->setDefault(true);
    });
}

QStringList TForm9::boxTexts() const {
    QStringList boxes;
    for (const QLineEdit* box : boxes_)
        boxes.append(box->text());
    return boxes;
}

void TForm9::computeAndShow() {
    const QStringList boxes = boxTexts();
    const kv::Standings standings =
        kv::computeStandings(boxes, [&](int player, StandingField field, const QString& text) {
            standingLabel(player, field)->setText(text);
        });
    computed_ = kv::ComputedStandings{boxes, standings};
    if (correcting_.isEmpty())
        evening_->change([&](kv::Evening& e) { e.result = computed_; });
}

void TForm9::Button2Click() {
    guard([&] {
        ProgressBar1->setValue(0);
        Button1->setEnabled(true);
        BitBtn1->setEnabled(true);
        // An evening typed in after the last one was written is stored in a table of its own: a
        // best scorer chosen from now on belongs to that one.
        evening_->change([](kv::Evening& e) { e.writtenTable.clear(); });
        for (QPushButton* button : scorerButtons())
            button->setEnabled(!button->text().isEmpty());
    });
}

QPushButton* TForm9::enterButton() const {
    // The write button is a default button from the start, but while the compute button is
    // enabled and still the default, Enter goes to the compute button.
    if (button1Default_ && Button1->isEnabled())
        return Button1;
    if (BitBtn1->isEnabled())
        return BitBtn1;
    return nullptr;
}

void TForm9::keyPressEvent(QKeyEvent* event) {
    // Keys the focused control leaves alone arrive here; Enter presses the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (QPushButton* button = enterButton()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Best scorer

void TForm9::chooseBestScorer(QPushButton* pressed) {
    markChosenScorer(pressed);
    guard([&] {
        if (!correcting_.isEmpty()) {
            // Kept with the correction when it is written, which may change nothing else.
            correctionScorer_ = pressed->text();
            BitBtn1->setEnabled(true);
            return;
        }
        const QString chosen = pressed->text();
        evening_->change([&](kv::Evening& e) { e.bestScorer = chosen; });
        kv::chooseBestScorer(chosen);
        if (evening().written())
            db_.setBestScorer(evening().writtenTable, chosen);
    });
    // Writing comes next, one Enter away.
    if (BitBtn1->isEnabled())
        BitBtn1->setFocus();
}

void TForm9::Button3Click() {
    chooseBestScorer(Button3);
}
void TForm9::Button4Click() {
    chooseBestScorer(Button4);
}
void TForm9::Button5Click() {
    chooseBestScorer(Button5);
}
void TForm9::Button6Click() {
    chooseBestScorer(Button6);
}

// ---------------------------------------------------------------------------------------------
// The database write

kv::TournamentEntry TForm9::tournamentToWrite() {
    // A correction whose scores were left as loaded keeps the figures as they are stored.
    if (!correcting_.isEmpty() && !computed_) {
        if (boxTexts() == correctionStored_.boxes)
            return correctionStored_;
        computeAndShow();
    }
    // Standings that no longer belong to the boxes are computed again first: a stored
    // tournament never holds scores and standings that disagree.
    if (computed_ && computed_->boxes != boxTexts())
        computeAndShow();
    for (int i = 0; i < 3; ++i)
        if (names_[i]->text().isEmpty() || teamNames_[i].isEmpty())
            throw kv::Error(QStringLiteral(
                "Турнир не записан: в окне нет команд или имён игроков. Проведите турнир из "
                "главного окна (\"Заполнить\", \"Расписание\", \"Полная таблица и печать\"): "
                "тогда здесь появятся команды и игроки, и результат можно записать."));
    if (!computed_)
        throw kv::notComputed(names_[0]->text());
    return kv::tournamentEntry({names_[0]->text(), names_[1]->text(), names_[2]->text()},
                               {teamNames_[0], teamNames_[1], teamNames_[2]}, *computed_);
}

void TForm9::BitBtn1Click() {
    guard([&] {
        try {
            if (!correcting_.isEmpty()) {
                // A correction replaces the loaded tournament; it never stores a new one.
                const QString table = correcting_;
                const std::optional<kv::TournamentEntry> corrected = writeCorrection();
                if (!corrected)
                    return;
                finishCorrection(table, *corrected);
                return;
            }
            kv::TournamentEntry entry = tournamentToWrite();
            entry.playOrder = playOrder_;
            const std::optional<QString> scorer = evening().bestScorer;
            if (!scorer &&
                services_.dialogs->yesNo(QStringLiteral(
                    "Лучший бомбардир этого турнира не выбран. Записать турнир без него?\n"
                    "Да - записать; прошлый бомбардир будет стёрт из \"bomb.txt\", и в следующем "
                    "турнире никто не получит его привилегию.\n"
                    "Нет - вернуться и выбрать бомбардира кнопкой с его именем (или "
                    "\"Никто!\").")) != kv::Dialogs::Answer::Yes)
                return;
            const QString table = kv::tournamentTableName(*services_.clock);
            // Tables another program made or dropped since the list was read: it is read whole.
            if (!listBusy_ && db_.schemaVersion() == listedSchema_)
                beingWritten_ = table;
            const auto written = qScopeGuard([&] { beingWritten_.clear(); });
            // bomb.txt is written with the tournament: nobody chosen, nobody privileged, and a
            // file that cannot be written leaves nothing stored.
            db_.writeTournament(
                table, entry, scorer, [&](int percent) { ProgressBar1->setValue(percent); },
                db_.bestScorerFile());
            evening_->change([&](kv::Evening& e) { e.writtenTable = table; });
        } catch (...) {
            // Nothing was stored: the bar says so, and the grid is read again.
            ProgressBar1->setValue(0);
            if (gridActive_) {
                const QList<int> widths = gridColumnWidths();
                kv::guarded(*services_.dialogs, [&] { selectAll(); });
                restoreGridColumnWidths(widths);
            }
            throw;
        }
        unwrittenEvening_ = false;
        afterWrite();
        announceNewRecords(evening().writtenTable);
    });
}

bool TForm9::isFindingRecords() const {
    return findingRecords_->isRunning();
}

void TForm9::announceNewRecords(const QString& written) {
    // Evenings written while the news of an earlier one is still being found are told with it.
    untold_.append(written);
    findingRecords_->run([this, file = db_.fileName(), written = untold_,
                          date = kv::tournamentDate(*services_.clock),
                          levels = kv::poolLabelsOfTeams()] {
        const kv::HistoryRead read = kv::readHistoryAlone(file);
        // The records are news, not part of the write: a history that cannot be read tells none.
        auto news = std::make_shared<kv::EveningNews>();
        if (!read.failure)
            *news = kv::eveningNews(
                read.history, written,
                [&levels](const QString& club) { return levels.value(club); }, date);
        return kv::BesideWork::HandOver([this, written, news] {
            for (const QString& table : written)
                untold_.removeOne(table);
            showFindingRecords(false);
            if (!news->isEmpty() && services_.dialogs->informationWithOffer(
                                        news->text(), QStringLiteral("Итоги вечера...")))
                showEveningCard(written.last());
        });
    });
    showFindingRecords(true);
}

kv::EveningCardWindow* TForm9::showEveningCard(const QString& table) {
    if (!card_)
        card_ = new kv::EveningCardWindow(
            db_, *services_.dialogs,
            [] {
                const QHash<QString, QString> levels = kv::poolLabelsOfTeams();
                return kv::LevelOf([levels](const QString& club) { return levels.value(club); });
            },
            this);
    card_->showTournament(table);
    kv::showInFront(card_);
    return card_;
}

void TForm9::SummaryButtonClick() {
    guard([&] {
        const QListWidgetItem* item = ListBox1->currentItem();
        const QString table = item ? tableOf(item) : QString();
        if (table.isEmpty() || table == kv::kTotalTable) {
            services_.dialogs->information(
                QStringLiteral("Турнир не выбран. Выберите турнир в списке справа и нажмите "
                               "\"Итоги турнира...\" ещё раз."));
            return;
        }
        showEveningCard(table);
    });
}

void TForm9::showFindingRecords(bool finding) {
    // The bar that showed the write says what comes after it.
    ProgressBar1->setFormat(finding ? QStringLiteral("Ищу новые рекорды...")
                                    : QStringLiteral("%p%"));
    ProgressBar1->setTextVisible(finding);
}

void TForm9::afterWrite() {
    // The keyboard goes to the list, on the evening just written, not to whatever follows the
    // write button once it is disabled. Marked there, not opened: the grid keeps its table.
    markListed(evening().writtenTable);
    ListBox1->setFocus();
    // Stored: the tournament must not be stored twice.
    BitBtn1->setEnabled(false);
    Button1->setEnabled(false);
    showGridAfterChange();
    markListed(evening().writtenTable);
}

void TForm9::showGridAfterChange() {
    // The list and the grid followed the change already.
    if (!gridActive_)
        openGridTable(gridTable_, gridSort_);
    setGridColumnWidths();
}

// ---------------------------------------------------------------------------------------------
// Correcting a stored tournament

void TForm9::FixButtonClick() {
    guard([&] {
        if (!correcting_.isEmpty()) {
            abandonCorrection();
            return;
        }
        const kv::History history = db_.readHistory();
        const auto tournament = [&](const QString& table) {
            if (history.find(table))
                return true;
            for (const kv::SkippedTable& s : history.unreadable)
                if (s.table == table)
                    return true;
            return false;
        };
        if (!ListBox1->currentItem() || !tournament(tableOf(ListBox1->currentItem()))) {
            // Nothing chosen, or "Total" shown: the newest tournament, the one most likely to
            // need it.
            QString newest;
            for (const kv::PlayedTournament& t : history.tournaments)
                if (t.counted())
                    newest = t.table;
            QListWidgetItem* found = findListed(newest);
            if (newest.isEmpty() || !found)
                throw kv::Error(QStringLiteral("В базе нет турнира, который можно исправить. "
                                               "Запишите турнир кнопкой \"Записать в базу\"."));
            ListBox1->setCurrentItem(found);
        }
        const QString table = tableOf(ListBox1->currentItem());
        const kv::TournamentEntry stored = db_.readTournament(table);
        const kv::PlayedTournament* played = history.find(table);
        loadCorrection(table, stored, played ? played->bestScorer : std::nullopt);
    });
}

std::optional<kv::TournamentEntry> TForm9::writeCorrection() {
    const kv::TournamentEntry corrected = tournamentToWrite();
    const std::optional<QString> scorer =
        correctionScorer_ != correctionStoredScorer_ ? correctionScorer_ : std::nullopt;
    if (kv::tournamentRows(corrected) == kv::tournamentRows(correctionStored_) && !scorer) {
        services_.dialogs->information(
            QStringLiteral("Исправление ничего не меняет: турнир %1 в базе уже такой. Ничего не "
                           "записано.")
                .arg(listedName(correcting_)));
        return corrected;
    }
    if (services_.dialogs->yesNo(
            QStringLiteral("Записать исправление турнира %1?").arg(listedName(correcting_)),
            kv::Dialogs::Answer::No) != kv::Dialogs::Answer::Yes)
        return std::nullopt;
    db_.correctTournament(correcting_, corrected, scorer, db_.bestScorerFile());
    ProgressBar1->setValue(100);
    correctionStoredScorer_ = scorer ? scorer : correctionStoredScorer_;
    return corrected;
}

void TForm9::finishCorrection(const QString& table, const kv::TournamentEntry& stored) {
    // An evening not yet written comes back untouched; otherwise the window shows the
    // tournament as it is now stored. Either way the grid shows the stored table.
    const bool eveningHeld = unwrittenEvening_ || beforeCorrection_.writeEnabled;
    const std::optional<QString> scorer = correctionStoredScorer_;
    abandonCorrection();
    if (!eveningHeld) {
        showStored(stored, scorer);
        computed_.reset();
        Button1->setEnabled(false);
        BitBtn1->setEnabled(false);
        // A choice now belongs to the evening this window wrote, or to none.
        for (QPushButton* button : scorerButtons())
            button->setEnabled(table == evening().writtenTable && !button->text().isEmpty());
    }
    if (const auto found = findListed(table); found) {
        ListBox1->setCurrentItem(found);
        if (gridTable_ != table || !gridActive_)
            openGridTable(table, QStringLiteral("id"));
    }
    showGridAfterChange();
    ListBox1->setFocus();
}

QList<QWidget*> TForm9::correctedControls() const {
    QList<QWidget*> controls(boxes_.begin(), boxes_.end());
    for (const auto& line : standings_)
        controls.append(QList<QWidget*>(line.begin(), line.end()));
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label29, Label30, Label31, Button3, Button4, Button5})
        controls.append(w);
    return controls;
}

TForm9::HeldEntry TForm9::heldEntry() const {
    HeldEntry held{
        {}, teamNames_, computed_, Button1->isEnabled(), BitBtn1->isEnabled(), button1Default_};
    for (QWidget* w : correctedControls())
        held.texts.append(w->property("text").toString());
    for (int i = 0; i < 4; ++i) {
        held.scorerEnabled[i] = scorerButtons()[i]->isEnabled();
        held.scorerChecked[i] = scorerButtons()[i]->isChecked();
    }
    return held;
}

void TForm9::restoreEntry(const HeldEntry& held) {
    const QList<QWidget*> controls = correctedControls();
    for (int i = 0; i < controls.size() && i < held.texts.size(); ++i)
        controls[i]->setProperty("text", held.texts[i]);
    showTeams(held.teams);
    const QPushButton* chosen = nullptr;
    for (int i = 0; i < 4; ++i) {
        scorerButtons()[i]->setEnabled(held.scorerEnabled[i]);
        if (held.scorerChecked[i])
            chosen = scorerButtons()[i];
    }
    markChosenScorer(chosen);
    computed_ = held.computed;
    Button1->setEnabled(held.computeEnabled);
    BitBtn1->setEnabled(held.writeEnabled);
    button1Default_ = held.computeDefault;
    Button1->setDefault(held.computeDefault);
    BitBtn1->setDefault(!held.computeDefault);
}

void TForm9::DeleteButtonClick() {
    guard([&] {
        const QListWidgetItem* item = ListBox1->currentItem();
        if (!item)
            throw kv::Error(QStringLiteral("Выберите турнир в списке \"Все турниры по дате:\" и "
                                           "нажмите \"Удалить турнир\" ещё раз."));
        deleteTournament(tableOf(item));
    });
}

void TForm9::deleteTournament(const QString& table) {
    if (table == correcting_)
        throw kv::Error(QStringLiteral("Турнир \"%1\" сейчас исправляется. Нажмите \"Отменить "
                                       "исправление\", потом удалите его.")
                            .arg(listedName(table)));
    const kv::History history = db_.readHistory();
    QString question;
    if (const kv::PlayedTournament* t = history.find(table); t && t->counted()) {
        question =
            QStringLiteral("Удалить турнир \"%1\" (%2)? Его очки, мячи и места будут "
                           "вычтены из Total.")
                .arg(listedName(table),
                     QStringList(t->players.begin(), t->players.end()).join(QStringLiteral(", ")));
    } else {
        for (const kv::SkippedTable& s : history.leftOut())
            if (s.table == table)
                question = QStringLiteral("Таблица \"%1\" не посчитана в Total: %2. Удалить "
                                          "её? Total не изменится.")
                               .arg(table, s.reason);
    }
    if (question.isEmpty())
        throw kv::Error(QStringLiteral("\"%1\" - не таблица турнира, её нельзя удалить. "
                                       "Выберите в списке турнир (его имя - дата и время "
                                       "записи) и повторите.")
                            .arg(table));
    question += QStringLiteral("\nПеред удалением сохраняется копия базы.");
    if (services_.dialogs->yesNo(question, kv::Dialogs::Answer::No) != kv::Dialogs::Answer::Yes)
        return;
    db_.deleteTournament(table);
    if (evening().writtenTable == table)
        evening_->change([](kv::Evening& e) { e.writtenTable.clear(); });
}

void TForm9::showStored(const kv::TournamentEntry& stored, const std::optional<QString>& scorer) {
    for (int i = 0; i < 12; ++i)
        boxes_[i]->setText(stored.boxes.value(i));
    showTeams({stored.players[0].team, stored.players[1].team, stored.players[2].team});
    const std::array<QPushButton*, 3> scorers{Button3, Button4, Button5};
    for (int p = 0; p < 3; ++p) {
        const kv::PlayerEntry& e = stored.players[p];
        names_[p]->setText(e.name);
        scorers[p]->setText(e.name);
        const kv::Figures& f = e.figures;
        const qint64 figures[] = {f.goalsFor, f.goalsAgainst, f.difference, f.wins,
                                  f.draws,    f.losses,       f.points,     f.place()};
        for (int i = 0; i < 8; ++i)
            standings_[p][i]->setText(QString::number(figures[i]));
    }
    markChosenScorer(scorerButton(scorer));
}

void TForm9::loadCorrection(const QString& table, const kv::TournamentEntry& stored,
                            const std::optional<QString>& scorer) {
    beforeCorrection_ = heldEntry();
    showStored(stored, scorer);
    // The best scorer can be corrected too: every button can be pressed.
    for (QPushButton* button : scorerButtons())
        button->setEnabled(!button->text().isEmpty());
    correctionStored_ = stored;
    correctionStoredScorer_ = scorer;
    correctionScorer_.reset();
    // The stored figures are shown, not computed: changed scores are computed before a write.
    computed_.reset();
    correcting_ = table;
    showChances();
    titleBeforeCorrection_ = windowTitle();
    setWindowTitle(QStringLiteral("Исправление турнира %1").arg(listedName(table)));
    FixButton->setText(QStringLiteral("Отменить исправление"));
    BitBtn1->setText(QStringLiteral("Записать исправление"));
    // The scores are fixed and computed again before the correction can be written.
    ProgressBar1->setValue(0);
    Button1->setEnabled(true);
    BitBtn1->setEnabled(false);
    button1Default_ = true;
    BitBtn1->setDefault(false);
    Button1->setDefault(true);
}

void TForm9::abandonCorrection() {
    if (correcting_.isEmpty())
        return;
    correcting_.clear();
    correctionScorer_.reset();
    setWindowTitle(titleBeforeCorrection_);
    FixButton->setText(QStringLiteral("Исправить турнир"));
    BitBtn1->setText(QStringLiteral("Записать в базу"));
    restoreEntry(beforeCorrection_);
    showChances();
}

void TForm9::RebuildButtonClick() {
    guard([&] {
        const kv::TotalRebuild rebuild = db_.rebuiltTotal();
        if (!kv::confirmTotalRebuild(this, rebuild))
            return;
        db_.replaceTotal(rebuild);
        showGridAfterChange();
    });
}
