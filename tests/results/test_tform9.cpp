#include "app/tform1.h"
#include "common/dialogs.h"
#include "resultswindow.h"
#include "windowsupport.h"

#include <QDir>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QTextDocumentFragment>

#include <memory>

using kvtest::child;
using kvtest::sqliteRows;
using Answer = kv::Dialogs::Answer;

Q_DECLARE_METATYPE(kv::Tournament)

namespace {

const QString& kTable = kvtest::kResultsTable;

// One results window in a fresh folder with the fakes.
struct Env : kvtest::ResultsWindow {
    using ResultsWindow::ResultsWindow;
    QStringList places() const { return {label(43), label(44), label(45)}; }
    QList<int> gridWidths() const {
        QList<int> w;
        for (int c = 0; c < kvtest::gridTable(form.get())->columnCount(); ++c)
            w << form->DBGrid1->columnWidth(c);
        return w;
    }
    void clickTitle(const QString& name) {
        QHeaderView* header = form->DBGrid1->horizontalHeader();
        const int c = kvtest::gridTable(form.get())->record().indexOf(name);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(c) + 5, 5));
    }
};

} // namespace

class TestTForm9 : public QObject {
    Q_OBJECT
private slots:
    void captionsFit();
    void tabOrderAndStartState();
    void computesAndRecomputes();
    void badBoxKeepsTheLabelsWrittenBefore();
    void enterPressesComputeThenWrite();
    void focusAfterWriteLeavesTheGrid();
    void bestScorerButtons_data();
    void bestScorerButtons();
    void writeStoresOnceAndFailureChangesNothing();
    void unwritableBombFileStoresNothing();
    void failedWriteLeavesALongGridReadable();
    void manualEntryWithoutPlacesWritesNothing();
    void missingDatabaseIsReportedAndNotCreated();
    void gridShowsChosenTableSortedByTitle();
    void ctrlDeleteAsksFirst();
    void statisticsMenuShowsNamesOnly();
    void writeRecomputesChangedScores_data();
    void writeRecomputesChangedScores();
    void typedTournamentIsShown_data();
    void typedTournamentIsShown();
    void writeWithoutBestScorerAsks_data();
    void writeWithoutBestScorerAsks();
    void longTeamIsShortenedAndStoredWhole();
};

void TestTForm9::captionsFit() {
    Env env;
    QCOMPARE(env.form->windowTitle(), QStringLiteral("Введите результаты турнира"));
    QCOMPARE(env.form->size(), QSize(957, 426));
    kvtest::verifyCaptionsFit(env.form.get());
}

void TestTForm9::tabOrderAndStartState() {
    Env env;
    TForm9* f = env.form.get();
    // The best scorer is one Tab from the last score box.
    const QStringList order{"Button1", "Edit1",        "Edit2",   "Edit9",   "Edit10",  "Edit3",
                            "Edit4",   "Edit11",       "Edit12",  "Edit5",   "Edit6",   "Edit7",
                            "Edit8",   "Button3",      "Button4", "Button5", "Button6", "BitBtn1",
                            "DBGrid1", "ProgressBar1", "Button2", "ListBox1"};
    QStringList seen;
    QWidget* w = f->Button1;
    do {
        if (order.contains(w->objectName()))
            seen << w->objectName();
        w = w->nextInFocusChain();
    } while (w != f->Button1);
    QCOMPARE(seen, order);

    QVERIFY(!f->Button1->isEnabled() && f->Button1->isDefault());
    QVERIFY(!f->BitBtn1->isEnabled());
    QCOMPARE(f->Label2->text(), QStringLiteral("08.12.2016"));
    QCOMPARE(env.list(), QStringList{"Total"});
    QCOMPARE(kvtest::gridTable(f)->columnCount(), 0); // nothing shown until a table is chosen
    QCOMPARE(f->DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!f->DBGrid1->tabKeyNavigation());           // Tab leaves the grid
    QVERIFY(!f->DBGrid1->verticalHeader()->isHidden()); // the row indicator
    QVERIFY(env.dialogs.shown().isEmpty());

    // Closing only hides.
    f->show();
    QVERIFY(!f->testAttribute(Qt::WA_DeleteOnClose));
    f->close();
    QVERIFY(!f->isVisible());
}

void TestTForm9::computesAndRecomputes() {
    Env env;
    env.handOver();
    env.scores({{5, "2"}, {7, "1"}, {9, "1"}, {11, "1"}});
    env.form->Button1->click();
    QCOMPARE(env.places(), QStringList({"2", "3", "1"}));
    QCOMPARE(QStringList({env.label(24), env.label(25), env.label(26), env.label(27)}),
             QStringList({"2", "3", "-1", "6"}));
    QVERIFY(env.form->BitBtn1->isEnabled());
    QCOMPARE(env.form->enterButton(), env.form->BitBtn1);
    QVERIFY(env.form->BitBtn1->isDefault() && !env.form->Button1->isDefault());

    env.scores({{8, "1"}, {10, "1"}});
    env.form->Button1->click();
    QCOMPARE(env.places(), QStringList({"1", "1", "3"}));
    QCOMPARE(QStringList({env.label(33), env.label(34), env.label(35), env.label(19)}),
             QStringList({"1", "3", "0", "6"}));
    QVERIFY(env.dialogs.errors().isEmpty());
}

void TestTForm9::badBoxKeepsTheLabelsWrittenBefore() {
    Env env;
    env.handOver();
    env.scores({{11, ""}});
    env.form->Button1->click();
    QCOMPARE(env.dialogs.errors(), QStringList{"'' is not a valid integer value"});
    // Player 1 complete, player 2's goals for, nothing after.
    for (int n : {15, 16, 18, 33, 35})
        QCOMPARE(env.label(n), QStringLiteral("0"));
    QCOMPARE(env.label(19), QStringLiteral("4"));
    QCOMPARE(env.label(20), QStringLiteral("0"));
    for (int n : {21, 22, 23, 36, 24, 27})
        QCOMPARE(env.label(n), QString());
    QCOMPARE(env.places(), QStringList({"", "", ""}));
    QVERIFY(!env.form->BitBtn1->isEnabled());
    QCOMPARE(env.form->enterButton(), env.form->Button1);
}

void TestTForm9::enterPressesComputeThenWrite() {
    Env env;
    env.handOver();
    env.scores({{0, "3"}, {1, "1"}});
    QTest::keyClick(env.form->Edit1, Qt::Key_Return);
    QCOMPARE(env.places(), QStringList({"1", "3", "2"}));
    QTest::keyClick(env.form->Edit1, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(env.list(), QStringList({kTable, "Total"}));
    QCOMPARE(env.form->enterButton(), nullptr);
}

void TestTForm9::focusAfterWriteLeavesTheGrid() {
    Env env;
    env.handOver();
    env.form->Button1->click();
    env.form->show();
    QVERIFY(QTest::qWaitForWindowActive(env.form.get()));
    env.form->BitBtn1->setFocus();
    QTest::keyClick(env.form->BitBtn1, Qt::Key_Space);
    QCOMPARE(env.list(), QStringList({kTable, "Total"}));
    QCOMPARE(QApplication::focusWidget(), env.form->ListBox1);
}

void TestTForm9::bestScorerButtons_data() {
    QTest::addColumn<QString>("first"); // pressed before; the second press counts
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("player 2, twice") << "Button4"
                                     << "Button4"
                                     << "Пенва";
    QTest::newRow("nobody") << ""
                            << "Button6"
                            << "Никто!";
    QTest::newRow("a wrong choice mended") << "Button5"
                                           << "Button4"
                                           << "Пенва";
    QTest::newRow("nobody, then player 1") << "Button6"
                                           << "Button3"
                                           << "Зурко";
}

void TestTForm9::bestScorerButtons() {
    QFETCH(QString, first);
    QFETCH(QString, button);
    QFETCH(QString, name);
    Env env;
    env.handOver(false);
    if (!first.isEmpty())
        child<QPushButton>(env.form.get(), first)->click();
    child<QPushButton>(env.form.get(), button)->click();
    QCOMPARE(env.folder.lines("bomb.txt"), QStringList{name});
    QCOMPARE(env.folder.bytes("bomb.txt"), (name + "\r\n").toUtf8());
    // Every button can still be pressed; only the last one pressed shows as chosen.
    for (QPushButton* b :
         {env.form->Button3, env.form->Button4, env.form->Button5, env.form->Button6}) {
        QVERIFY(b->isEnabled());
        QCOMPARE(b->isChecked(), b->objectName() == button);
        QCOMPARE(b->font().bold(), b->objectName() == button);
    }
    env.form->Button1->click();
    env.form->BitBtn1->click();
    QCOMPARE(env.database.readHistory().find(kTable)->bestScorer, std::optional<QString>(name));
}

void TestTForm9::writeStoresOnceAndFailureChangesNothing() {
    Env env;
    env.handOver();
    env.scores({{0, "3"}, {1, "1"}});
    env.form->Button1->click();
    env.form->BitBtn1->click();
    QVERIFY(env.dialogs.errors().isEmpty());
    QCOMPARE(env.list(), QStringList({kTable, "Total"}));
    QCOMPARE(env.form->ProgressBar1->value(), 100);
    QVERIFY(!env.form->BitBtn1->isEnabled() && !env.form->Button1->isEnabled());
    QCOMPARE(kvtest::gridTable(env.form.get())->tableName(), QStringLiteral("Total"));
    QCOMPARE(env.gridColumn("Игрок"), QStringList({"Зурко", "Пенва", "Лодыш"}));
    QCOMPARE(env.gridWidths(), QList<int>(12, 60));
    QCOMPARE(
        sqliteRows(
            QStringLiteral("SELECT Team2, Goals, Scores, Rank FROM \"%1\" WHERE id=1").arg(kTable)),
        QStringList{"3'-'1|3'-'1|6|1"});
    // The matches in the order the schedule gave them.
    const QString order = QStringLiteral("SELECT tournament || ' ' || matches FROM "
                                         "kickvale_play_order");
    QCOMPARE(sqliteRows(order), QStringList{kTable + " 2-3 1-2 3-1 3-2 2-1 1-3"});
    // The program's evening holds what was made of it.
    const kv::Evening& evening = env.evening.value();
    QCOMPARE(evening.writtenTable, kTable);
    QCOMPARE(evening.bestScorer, std::optional<QString>("Никто!"));
    QCOMPARE(evening.result->standings.places, (std::array<int, 3>{1, 3, 2}));

    // Again within the same second: refused, and nothing of it stays.
    env.form->Button2->click();
    QVERIFY(!evening.written());
    env.form->BitBtn1->click();
    QCOMPARE(env.dialogs.errors().size(), 1);
    QVERIFY2(env.dialogs.errors().first().contains("already exists"),
             qPrintable(env.dialogs.errors().first()));
    QCOMPARE(env.form->ProgressBar1->value(), 0);
    QVERIFY(env.form->BitBtn1->isEnabled() && env.form->Button1->isEnabled());
    QCOMPARE(sqliteRows("SELECT sum(Первый) + sum(Второй) + sum(Третий) FROM Total"),
             QStringList{"3"});
    QCOMPARE(sqliteRows(order).size(), 1);

    env.clock.advance(1);
    env.form->BitBtn1->click();
    // Newest first, as people read dates; two of one minute apart by their seconds.
    QCOMPARE(env.list(), QStringList({"08_12_2016__21_05_34", kTable, "Total"}));
    QCOMPARE(env.form->ListBox1->item(0)->text(), QStringLiteral("08.12.2016 21:05:34"));
    QCOMPARE(env.form->ListBox1->item(0)->toolTip(), QStringLiteral("08_12_2016__21_05_34"));
    QCOMPARE(env.gridColumn("Первый"), QStringList({"2", "0", "0"}));
}

void TestTForm9::unwritableBombFileStoresNothing() {
    Env env;
    // A folder in its place: the file cannot be written, by root neither.
    QVERIFY(QDir().mkdir(QStringLiteral("bomb.txt")));
    env.handOver();
    QCOMPARE(env.dialogs.errors().size(), 1); // the choice could not be written either
    env.form->Button1->click();
    env.form->BitBtn1->click();
    QCOMPARE(env.dialogs.errors().size(), 2);
    QVERIFY2(env.dialogs.errors().last().startsWith("Турнир не записан: не удалось записать файл "
                                                    "лучшего бомбардира \"bomb.txt\""),
             qPrintable(env.dialogs.errors().last()));
    QCOMPARE(env.list(), QStringList{"Total"});
    QCOMPARE(sqliteRows("SELECT count(*) FROM Total"), QStringList{"0"});
    QVERIFY(env.form->BitBtn1->isEnabled());

    // Once the file can be written, the next press stores the evening once.
    QVERIFY(QDir().rmdir(QStringLiteral("bomb.txt")));
    env.form->BitBtn1->click();
    QCOMPARE(env.dialogs.errors().size(), 2);
    QCOMPARE(env.list(), QStringList({kTable, "Total"}));
    QCOMPARE(sqliteRows("SELECT count(*), sum(Первый + Второй + Третий) FROM Total"),
             QStringList{"3|3"});
    QCOMPARE(env.folder.lines("bomb.txt"), QStringList{"Никто!"});
    QVERIFY(!env.form->BitBtn1->isEnabled());
}

void TestTForm9::failedWriteLeavesALongGridReadable() {
    Env env;
    // More players than the grid reads at once, so a read is still open during the write.
    QString fill = QStringLiteral("BEGIN;");
    for (int i = 0; i < 600; ++i)
        fill += QStringLiteral("INSERT INTO Total (Игрок) VALUES ('p%1');").arg(i);
    kvtest::sqlite3(fill + QStringLiteral("COMMIT;"));
    kvtest::sqlite3("CREATE TRIGGER no BEFORE INSERT ON Total BEGIN SELECT RAISE(ABORT, 'no'); "
                    "END");
    env.choose("Total");
    env.handOver();
    env.form->Button1->click();
    env.form->BitBtn1->click();
    QCOMPARE(env.dialogs.errors().size(), 1);
    while (kvtest::gridTable(env.form.get())->canFetchMore())
        kvtest::gridTable(env.form.get())->fetchMore();
    QCOMPARE(kvtest::gridTable(env.form.get())->rowCount(), 600);
    QVERIFY(!kvtest::gridTable(env.form.get())->lastError().isValid());
    QCOMPARE(env.list(), QStringList{"Total"});
}

void TestTForm9::manualEntryWithoutPlacesWritesNothing() {
    Env env;
    env.form->Button2->click();
    QVERIFY(env.form->Button1->isEnabled() && env.form->BitBtn1->isEnabled());
    QCOMPARE(env.form->ProgressBar1->value(), 0);
    env.form->BitBtn1->click();
    QCOMPARE(env.dialogs.errors().size(), 1);
    QVERIFY(env.dialogs.errors().first().contains("нет команд или имён игроков"));
    QCOMPARE(sqliteRows("SELECT count(*) FROM sqlite_master WHERE type='table' AND name<>'Total' "
                        "AND name NOT LIKE 'sqlite%'"),
             QStringList{"0"});
    QCOMPARE(env.list(), QStringList{"Total"});
}

void TestTForm9::missingDatabaseIsReportedAndNotCreated() {
    Env env(false);
    QCOMPARE(env.dialogs.errors().size(), 1);
    QVERIFY(env.dialogs.errors().first().startsWith("Cannot open file \"base.db\"."));
    QCOMPARE(env.form->Label2->text(), QString());
    QCOMPARE(env.form->ListBox1->count(), 0);
    env.handOver();
    env.form->Button1->click();
    env.form->BitBtn1->click();
    QCOMPARE(env.dialogs.errors().size(), 2);
    QVERIFY(!env.folder.exists("base.db"));
    QVERIFY(env.form->BitBtn1->isEnabled());
}

void TestTForm9::gridShowsChosenTableSortedByTitle() {
    Env env;
    kvtest::sqlite3("CREATE TABLE noid (a, b); INSERT INTO noid VALUES (2, 'x'), (1, 'y');");
    env.handOver();
    env.scores({{5, "2"}, {7, "1"}, {9, "1"}, {11, "1"}}); // points 5, 5, 6
    env.form->Button1->click();
    env.form->BitBtn1->click();
    env.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(env.form.get()));

    env.choose(kTable);
    QStringList titles;
    for (int c = 0; c < kvtest::gridTable(env.form.get())->columnCount(); ++c)
        titles << kvtest::gridTable(env.form.get())->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, QStringList({"id", "Player", "-", "Team1", "Team2", "Team3", "Goals", "Scores",
                                  "Rank"}));
    QCOMPARE(env.gridWidths(), QList<int>(9, 60));
    // The grid itself speaks Russian and shows scores as 4:1.
    QAbstractItemModel* shown = env.form->DBGrid1->model();
    QCOMPARE(shown->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Против 2"));
    QCOMPARE(shown->index(0, 4).data().toString(), QStringLiteral("0:0"));
    QCOMPARE(shown->index(0, 6).data().toString(), QStringLiteral("2:1"));
    QCOMPARE(env.gridColumn("Player"), QStringList({"Зурко", "Пенва", "Лодыш"}));
    env.clickTitle("Rank");
    QCOMPARE(env.gridColumn("Player"), QStringList({"Лодыш", "Зурко", "Пенва"}));

    env.choose("Total");
    QCOMPARE(env.gridColumn("Игрок"), QStringList({"Зурко", "Пенва", "Лодыш"}));
    env.clickTitle("Очки");
    QCOMPARE(env.gridColumn("Очки"), QStringList({"5", "5", "6"}));
    QCOMPARE(env.gridColumn("Игрок").last(), QStringLiteral("Лодыш"));
    // A write reopens the grid with the chosen sort.
    env.clock.advance(1);
    env.form->Button2->click();
    env.form->BitBtn1->click();
    QCOMPARE(env.gridColumn("Очки"), QStringList({"10", "10", "12"}));
    // A click on the table already chosen shows it by id again.
    env.choose("Total");
    env.clickTitle("Игрок");
    QCOMPARE(env.gridColumn("Игрок"), QStringList({"Зурко", "Лодыш", "Пенва"}));
    QListWidgetItem* total = env.form->ListBox1->findItems("Total", Qt::MatchExactly).first();
    QTest::mouseClick(env.form->ListBox1->viewport(), Qt::LeftButton, {},
                      env.form->ListBox1->visualItemRect(total).center());
    QCOMPARE(env.gridColumn("Игрок"), QStringList({"Зурко", "Пенва", "Лодыш"}));

    env.choose(kTable);
    QCOMPARE(env.gridColumn("id"), QStringList({"1", "2", "3"}));
    // A table without id is shown as stored.
    env.choose("noid");
    QCOMPARE(env.gridColumn("a"), QStringList({"2", "1"}));
    QVERIFY(env.dialogs.errors().isEmpty());
}

void TestTForm9::ctrlDeleteAsksFirst() {
    Env env;
    env.handOver();
    env.form->Button1->click();
    env.form->BitBtn1->click();
    const QModelIndex cell = env.form->DBGrid1->model()->index(1, 1);
    QVERIFY(!(cell.flags() & Qt::ItemIsEditable));
    env.form->DBGrid1->setCurrentIndex(cell);

    // No row of "Total" is deleted on its own: it is no tournament.
    QTest::keyClick(env.form->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(env.dialogs.errors().size(), 1);
    QVERIFY2(env.dialogs.errors()[0].contains("не таблица турнира"),
             qPrintable(env.dialogs.errors()[0]));
    QCOMPARE(sqliteRows("SELECT Игрок FROM Total ORDER BY id"),
             QStringList({"Зурко", "Пенва", "Лодыш"}));

    // A tournament goes whole, after a question that Enter answers No.
    env.choose(kTable);
    env.dialogs.queue(Answer::No);
    QTest::keyClick(env.form->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    const kv::ScriptedDialogs::Shown asked = env.dialogs.shown().last();
    QVERIFY2(asked.text.startsWith("Удалить турнир \"08.12.2016 21:05\""), qPrintable(asked.text));
    QCOMPARE(asked.enterAnswer, Answer::No);
    QCOMPARE(env.list(), QStringList({kTable, "Total"}));
    env.dialogs.queue(Answer::Yes);
    QTest::keyClick(env.form->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(env.list(), QStringList{"Total"});
    QCOMPARE(sqliteRows("SELECT sum(Очки + Первый + Второй + Третий) FROM Total"),
             QStringList{"0"});
    QCOMPARE(env.dialogs.errors().size(), 1);
}

void TestTForm9::statisticsMenuShowsNamesOnly() {
    Env env;
    env.folder.writeStartData();
    TForm1 main(env.services, env.state, env.evening);
    Windows peers;
    peers.form9 = env.form.get();
    main.setPeers(peers);
    env.evening.change([](kv::Evening& e) { e.players = {"Аня", "Боря", "Вера"}; });
    main.N6->trigger();
    QVERIFY(env.form->isVisible());
    QCOMPARE(QStringList({env.label(29), env.label(30), env.label(31)}),
             QStringList({"Аня", "Боря", "Вера"}));
    QCOMPARE(env.label(3), QString());
    QVERIFY(!env.form->Button1->isEnabled() && !env.form->BitBtn1->isEnabled());
}

void TestTForm9::writeRecomputesChangedScores_data() {
    QTest::addColumn<QString>("edit2");  // Edit2 changed to this after the computation
    QTest::addColumn<QString>("stored"); // player 1's Goals|Scores|Rank, then his points in Total
    QTest::addColumn<QString>("place");  // player 1's place on screen after the press
    QTest::newRow("unchanged") << "1"
                               << "3'-'1|6|1 6"
                               << "1";
    QTest::newRow("changed: recomputed first") << "5"
                                               << "3'-'5|3|3 3"
                                               << "3";
    QTest::newRow("changed to a bad score: nothing stored") << "x"
                                                            << ""
                                                            << "1";
}

void TestTForm9::writeRecomputesChangedScores() {
    QFETCH(QString, edit2);
    QFETCH(QString, stored);
    QFETCH(QString, place);
    Env env;
    env.handOver();
    env.scores({{0, "3"}, {1, "1"}});
    env.form->Button1->click();
    env.form->Edit2->setText(edit2);
    env.form->BitBtn1->click();
    QCOMPARE(env.label(43), place);
    if (stored.isEmpty()) {
        QCOMPARE(env.dialogs.errors(), QStringList{"'x' is not a valid integer value"});
        QCOMPARE(env.list(), QStringList{"Total"});
        return;
    }
    QVERIFY(env.dialogs.errors().isEmpty());
    const QString row =
        sqliteRows(QStringLiteral("SELECT Goals, Scores, Rank FROM \"%1\" WHERE id=1").arg(kTable))
            .value(0);
    const QString total = sqliteRows("SELECT Очки FROM Total WHERE Игрок='Зурко'").value(0);
    QCOMPARE(row + ' ' + total, stored);
}

void TestTForm9::typedTournamentIsShown_data() {
    QTest::addColumn<kv::Tournament>("tournament");
    QTest::addColumn<QStringList>("teams");
    QTest::addColumn<QStringList>("players");
    QTest::newRow("complete") << kv::Tournament{{"Аня", "Боря", "Вера"},
                                                {"Милан", "Аякс", "Порту"},
                                                {"Милан", "Аякс", "Порту", "Милан", "Аякс",
                                                 "Порту"}}
                              << QStringList{"Милан", "Аякс", "Порту"}
                              << QStringList{"Аня", "Боря", "Вера"};
    QTest::newRow("empty texts and short lists")
        << kv::Tournament{{"", "Боря"}, {"Милан"}, {}} << QStringList{"Милан", "", ""}
        << QStringList{"", "Боря", ""};
}

void TestTForm9::typedTournamentIsShown() {
    QFETCH(kv::Tournament, tournament);
    QFETCH(QStringList, teams);
    QFETCH(QStringList, players);
    Env env;
    env.form->showTournament(tournament);
    QVERIFY(env.form->isVisible());
    QVERIFY(env.form->Button1->isEnabled() && !env.form->BitBtn1->isEnabled());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(env.label(3 + i), teams[i]); // row headings
        QCOMPARE(env.label(6 + i), teams[i]); // column headings
        QCOMPARE(env.label(29 + i), players[i]);
        QCOMPARE(child<QPushButton>(env.form.get(), QStringLiteral("Button%1").arg(3 + i))->text(),
                 players[i]);
    }
    QCOMPARE(env.form->Button6->text(), QStringLiteral("Никто!")); // not a player's button
}

void TestTForm9::writeWithoutBestScorerAsks_data() {
    QTest::addColumn<QString>("scorer"); // the button pressed before the write; none: ""
    QTest::addColumn<int>("answer");     // to the question; Closed: none is asked
    QTest::addColumn<QString>("bomb");   // bomb.txt afterwards
    QTest::addColumn<QString>("kept");   // the best scorer kept with the tournament
    QTest::newRow("chosen: nothing asked") << "Button4" << int(Answer::Closed) << "Пенва\r\n"
                                           << "Пенва";
    QTest::newRow("none: written anyway, nobody privileged") << "" << int(Answer::Yes) << ""
                                                             << "";
    QTest::newRow("none: back to choose") << "" << int(Answer::No) << "Старый\r\n"
                                          << "";
}

void TestTForm9::writeWithoutBestScorerAsks() {
    QFETCH(QString, scorer);
    QFETCH(int, answer);
    QFETCH(QString, bomb);
    QFETCH(QString, kept);
    Env env;
    env.folder.write("bomb.txt", {"Старый"});
    env.handOver(false);
    if (!scorer.isEmpty())
        child<QPushButton>(env.form.get(), scorer)->click();
    env.form->Button1->click();
    if (Answer(answer) != Answer::Closed)
        env.dialogs.queue(Answer(answer));
    env.form->BitBtn1->click();

    QCOMPARE(env.dialogs.texts(kv::ScriptedDialogs::Kind::YesNo).size(),
             Answer(answer) == Answer::Closed ? 0 : 1);
    QCOMPARE(env.folder.bytes("bomb.txt"), bomb.toUtf8());
    const bool stored = Answer(answer) != Answer::No;
    QCOMPARE(env.list().contains(kTable), stored);
    QCOMPARE(env.form->BitBtn1->isEnabled(), !stored);
    if (stored)
        QCOMPARE(env.database.readHistory().find(kTable)->bestScorer.value_or(""), kept);
}

void TestTForm9::longTeamIsShortenedAndStoredWhole() {
    Env env;
    const QString team =
        QStringLiteral("Атлетико Мадрид Клуб де Футбол Сociedad Anónima Deportiva");
    env.form->showTournament({kvtest::kPlayers, {team, "Б", "В"}, {}});
    env.form->Button6->click();
    for (const char* label : {"Label3", "Label6"}) {
        const QLabel* shown = child<QLabel>(env.form.get(), label);
        QVERIFY2(shown->text().endsWith(QChar(0x2026)) && team.startsWith(shown->text().chopped(1)),
                 qPrintable(shown->text()));
        QCOMPARE(QTextDocumentFragment::fromHtml(shown->toolTip()).toPlainText(), team);
    }
    env.form->Button1->click();
    env.form->BitBtn1->click();
    QCOMPARE(sqliteRows(QStringLiteral("SELECT \"-\" FROM \"%1\" WHERE id=1").arg(kTable)),
             QStringList{team});
}

QTEST_MAIN(TestTForm9)
#include "test_tform9.moc"
