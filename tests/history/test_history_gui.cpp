// Changes to base.db from the results window: each one first leaves a copy of the database as
// it was, and none is made without one.
#include "../results/resultswindow.h"
#include "history/historystore.h"
#include "history/safetycopy.h"
#include "historydb.h"
#include "results/tform9.h"

#include <QDialog>
#include <QSqlTableModel>

#include <memory>

using Answer = kv::Dialogs::Answer;
using kvtest::child;
using kvtest::sqlite3;
using kvtest::sqliteRows;

namespace {

const QString kStored = QStringLiteral("01_03_2024__19_00_00");

// A results window over a base.db that already holds one tournament.
struct Env {
    Env() {
        kvtest::createBaseDb();
        kv::HistoryStore(kv::kDatabaseFile).writeTournament(kStored, kvtest::sampleTournament());
        QDir(kv::safetyCopyFolder(kv::kDatabaseFile)).removeRecursively();
    }
    void open() { form = std::make_unique<TForm9>(fakes.services, database); }
    void enter(const QStringList& boxes) {
        if (form->Label3->text().isEmpty())
            form->showTournament({kvtest::kPlayers, {"Команда 1", "Команда 2", "Команда 3"}, {}});
        for (int i = 0; i < 12; ++i)
            form->findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(i + 1))->setText(boxes[i]);
        form->Button1->setEnabled(true);
        form->Button1->click();
    }
    void choose(const QString& table) const { kvtest::choose(*form, table); }

    kvtest::WorkFolder folder;
    kvtest::Fakes fakes;
    kv::HistoryStore database{kv::kDatabaseFile, &fakes.clock};
    std::unique_ptr<TForm9> form;
};

QString dump(const QString& file = QStringLiteral("base.db")) {
    return sqlite3(QStringLiteral(".dump"), file);
}

enum class Change { Write, DeleteRow, Correction, Rebuild, DeleteTournament };

void make(Env& env, Change change) {
    switch (change) {
    case Change::Write:
        env.enter({"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"});
        env.fakes.dialogs.queue(Answer::Yes); // written without a best scorer
        env.form->BitBtn1->click();
        break;
    case Change::DeleteRow: // Ctrl+Delete in the grid deletes the tournament it shows
        env.choose(kStored);
        env.form->DBGrid1->setCurrentIndex(kvtest::gridTable(env.form.get())->index(1, 1));
        env.fakes.dialogs.queue(Answer::Yes);
        env.form->DBGrid1DeleteRecord();
        break;
    case Change::Correction:
        env.choose(kStored);
        env.form->FixButton->click();
        env.form->Edit1->setText(QStringLiteral("5"));
        env.form->Button1->click();
        env.fakes.dialogs.queue(Answer::Yes);
        env.form->BitBtn1->click();
        break;
    case Change::Rebuild:
        QTimer::singleShot(
            0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
        env.form->RebuildButton->click();
        break;
    case Change::DeleteTournament:
        env.choose(kStored);
        env.fakes.dialogs.queue(Answer::Yes);
        env.form->DeleteButton->click();
        break;
    }
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void eachChangeKeepsCopyOfBefore_data();
    void eachChangeKeepsCopyOfBefore();
    void newestTwentyCopiesStay();
    void correctionReplacesTheTournament();
    void deletionTakesTheTournamentOffTotal_data();
    void deletionTakesTheTournamentOffTotal();
    void bestScorerIsKeptWithItsTournament_data();
    void bestScorerIsKeptWithItsTournament();
    void fixWithoutChoiceTakesTheNewest_data();
    void fixWithoutChoiceTakesTheNewest();
    void cancelledCorrectionLeavesNothingToStore_data();
    void cancelledCorrectionLeavesNothingToStore();
    void correctionAsksThenShowsWhatIsStored_data();
    void correctionAsksThenShowsWhatIsStored();
};

void TestHistory::eachChangeKeepsCopyOfBefore_data() {
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("copyPossible");
    QTest::addColumn<QString>("note"); // kept with the copy: the change it came before
    QTest::newRow("tournament written") << int(Change::Write) << true << "перед записью 09.03.2024";
    QTest::newRow("grid row deleted")
        << int(Change::DeleteRow) << true << "перед удалением 01.03.2024";
    QTest::newRow("tournament corrected")
        << int(Change::Correction) << true << "перед исправлением 01.03.2024";
    QTest::newRow("Total rebuilt") << int(Change::Rebuild) << true << "перед пересчётом Total";
    QTest::newRow("tournament deleted")
        << int(Change::DeleteTournament) << true << "перед удалением 01.03.2024";
    QTest::newRow("deletion without a copy") << int(Change::DeleteTournament) << false << "";
    QTest::newRow("correction without a copy") << int(Change::Correction) << false << "";
    QTest::newRow("write without a copy") << int(Change::Write) << false << "";
    QTest::newRow("delete without a copy") << int(Change::DeleteRow) << false << "";
}

void TestHistory::eachChangeKeepsCopyOfBefore() {
    QFETCH(int, change);
    QFETCH(bool, copyPossible);
    QFETCH(QString, note);
    Env env;
    if (!copyPossible) // a file where the folder of the copies should be
        env.folder.writeBytes(QStringLiteral("backups"), "not a folder");
    if (Change(change) == Change::Rebuild)
        sqlite3(QStringLiteral("UPDATE Total SET Очки = 0;"));
    env.open();
    const QString before = dump();
    QSignalSpy changed(&env.database, &kv::HistoryStore::historyChanged);

    make(env, Change(change));
    QCOMPARE(changed.count(), copyPossible ? 1 : 0);
    // A write and a correction end the same way when they fail: nothing stored, the bar at 0.
    if (Change(change) == Change::Write || Change(change) == Change::Correction)
        QCOMPARE(env.form->ProgressBar1->value(), copyPossible ? 100 : 0);

    const QStringList copies = kv::safetyCopies(QStringLiteral("base.db"));
    if (copyPossible) {
        QVERIFY(env.fakes.dialogs.errors().isEmpty());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(QFileInfo(copies[0]).fileName(), QStringLiteral("base-2024-03-09_20-15-00.db"));
        QCOMPARE(dump(copies[0]), before);
        QVERIFY(dump() != before);
        QCOMPARE(kv::safetyCopyNote(copies[0]), note);
    } else {
        QVERIFY(copies.isEmpty());
        QCOMPARE(env.fakes.dialogs.errors().size(), 1);
        QVERIFY(env.fakes.dialogs.errors()[0].startsWith("Не удалось сохранить копию базы"));
        QCOMPARE(dump(), before);
    }
}

void TestHistory::newestTwentyCopiesStay() {
    Env env;
    env.open();
    // Twenty-five changes, two of them within one second: no copy overwrites another.
    for (int i = 0; i < 25; ++i) {
        if (i != 10)
            env.fakes.clock.advance(60);
        env.form->database().keepSafetyCopy();
    }
    const QStringList copies = kv::safetyCopies(QStringLiteral("base.db"));
    QCOMPARE(copies.size(), kv::kSafetyCopiesKept);
    QCOMPARE(QFileInfo(copies.first()).fileName(), QStringLiteral("base-2024-03-09_20-21-00.db"));
    QCOMPARE(QFileInfo(copies.last()).fileName(), QStringLiteral("base-2024-03-09_20-39-00.db"));
    QCOMPARE(QDir(QStringLiteral("backups")).entryList(QDir::Files).size(), 20);
}

void TestHistory::correctionReplacesTheTournament() {
    Env env;
    env.open();
    env.form->show();
    QVERIFY(QTest::qWaitForWindowActive(env.form.get()));
    env.choose(kStored);
    QTest::keyClick(env.form.get(), Qt::Key_E, Qt::ControlModifier);

    // The stored evening is in the window, and only its correction can be written.
    QCOMPARE(env.form->correctedTable(), kStored);
    QVERIFY(env.form->windowTitle().contains("01.03.2024 19:00"));
    QCOMPARE(env.form->Label30->text(), kvtest::kPlayers[1]);
    // "Статистика..." from the main window, whose players differ, leaves the evening's own.
    env.form->showStatistics({"Гость 1", "Гость 2", "Гость 3"});
    QCOMPARE(env.form->Label30->text(), kvtest::kPlayers[1]);
    QCOMPARE(env.form->Edit1->text(), QStringLiteral("3"));
    QCOMPARE(env.form->Edit2->text(), QStringLiteral("1"));
    QCOMPARE(env.form->Label19->text(), QStringLiteral("7"));
    QVERIFY(!env.form->BitBtn1->isEnabled());
    QCOMPARE(env.form->BitBtn1->text(), QStringLiteral("Записать исправление"));

    env.form->Edit1->setText(QStringLiteral("5"));
    env.form->Button1->click();
    env.fakes.dialogs.queue(Answer::Yes);
    env.form->BitBtn1->click();
    QVERIFY(env.fakes.dialogs.errors().isEmpty());
    QCOMPARE(sqliteRows("SELECT name FROM sqlite_master WHERE type='table' AND name <> "
                        "'sqlite_sequence' ORDER BY name"),
             QStringList({kStored, "Total"}));
    QCOMPARE(sqliteRows(QStringLiteral("SELECT Team2, Goals FROM \"%1\" WHERE id=1").arg(kStored)),
             QStringList{"5'-'1|12'-'2"});
    QCOMPARE(sqliteRows("SELECT Забито, Пропущено FROM Total WHERE Игрок='Зурко'"),
             QStringList{"12|2"});
    QVERIFY(env.form->correctedTable().isEmpty());
    QVERIFY(!env.form->windowTitle().contains("01.03.2024 19:00"));
    QVERIFY(!env.form->BitBtn1->isEnabled());
    QVERIFY(!env.folder.exists(QStringLiteral("bomb.txt")));
}

void TestHistory::deletionTakesTheTournamentOffTotal_data() {
    QTest::addColumn<QString>("setUp");       // SQL before the window opens
    QTest::addColumn<QString>("table");       // chosen in the list
    QTest::addColumn<int>("answer");          // to the question; Closed: no question is asked
    QTest::addColumn<QString>("total");       // the sum of every figure in Total afterwards
    QTest::addColumn<QString>("message");     // a part of the question or the error
    const QString sum = QStringLiteral("67"); // the sample tournament's figures, all together
    QTest::newRow("a tournament, by the Delete key") << "" << kStored << int(Answer::Yes) << "0"
                                                     << "будут вычтены из Total";
    QTest::newRow("a tournament, answered No") << "" << kStored << int(Answer::No) << sum << "";
    QTest::newRow("a copy: Total stays")
        << QStringLiteral("CREATE TABLE \"Копия\" AS SELECT * FROM \"%1\";").arg(kStored) << "Копия"
        << int(Answer::Yes) << sum << "не посчитана в Total: копия турнира";
    QTest::newRow("not a tournament")
        << ""
        << "Total" << int(Answer::Closed) << sum << "\"Total\" - не таблица турнира";
}

void TestHistory::deletionTakesTheTournamentOffTotal() {
    QFETCH(QString, setUp);
    QFETCH(QString, table);
    QFETCH(int, answer);
    QFETCH(QString, total);
    QFETCH(QString, message);
    Env env;
    if (!setUp.isEmpty())
        sqlite3(setUp);
    env.open();
    env.choose(table);
    if (Answer(answer) != Answer::Closed)
        env.fakes.dialogs.queue(Answer(answer));
    QTest::keyClick(env.form->ListBox1, Qt::Key_Delete);

    const QStringList said =
        env.fakes.dialogs.texts(kv::ScriptedDialogs::Kind::YesNo) + env.fakes.dialogs.errors();
    QCOMPARE(said.size(), 1);
    QVERIFY2(said[0].contains(message), qPrintable(said[0]));
    // The safe answer is the one Enter gives.
    for (const auto& shown : env.fakes.dialogs.shown())
        if (shown.kind == kv::ScriptedDialogs::Kind::YesNo)
            QCOMPARE(shown.enterAnswer, Answer::No);
    const bool gone = Answer(answer) == Answer::Yes;
    QCOMPARE(kvtest::listedItems(env.form->ListBox1, table).isEmpty(), gone);
    QCOMPARE(sqliteRows(
                 QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '%1'").arg(table)),
             QStringList{gone ? "0" : "1"});
    QCOMPARE(sqliteRows("SELECT sum(Побед + Ничьих + Поражений + Забито + Пропущено + Разница + "
                        "Очки + Первый + Второй + Третий) FROM Total"),
             QStringList{total});
}

void TestHistory::bestScorerIsKeptWithItsTournament_data() {
    QTest::addColumn<bool>("afterTheWrite");
    QTest::newRow("chosen before the write") << false;
    QTest::newRow("chosen after the write") << true;
}

void TestHistory::bestScorerIsKeptWithItsTournament() {
    QFETCH(bool, afterTheWrite);
    Env env;
    env.open();
    env.enter({"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"});
    if (!afterTheWrite)
        env.form->Button4->click();
    else
        env.fakes.dialogs.queue(Answer::Yes);
    env.form->BitBtn1->click();
    if (afterTheWrite)
        env.form->Button4->click();
    const QString written = QStringLiteral("09_03_2024__20_15_00");
    const QString kept =
        QStringLiteral("SELECT tournament || ' ' || player FROM %1").arg(kv::kBestScorerTable);
    QCOMPARE(sqliteRows(kept), QStringList{written + " Пенва"});

    // Never listed, left alone by a correction and a rebuild; none for the older tournament.
    QVERIFY(env.form->ListBox1->findItems(kv::kBestScorerTable, Qt::MatchContains).isEmpty());
    env.choose(written);
    env.form->FixButton->click();
    env.form->Edit1->setText(QStringLiteral("5"));
    env.form->Button1->click();
    env.fakes.dialogs.queue(Answer::Yes);
    env.form->BitBtn1->click();
    make(env, Change::Rebuild);
    QVERIFY(env.fakes.dialogs.errors().isEmpty());
    const kv::History history = env.database.readHistory();
    QCOMPARE(history.find(written)->bestScorer, std::optional<QString>("Пенва"));
    QVERIFY(!history.find(kStored)->bestScorer);
    // It goes with its tournament.
    env.choose(written);
    env.fakes.dialogs.queue(Answer::Yes);
    env.form->DeleteButton->click();
    QVERIFY(sqliteRows(kept).isEmpty());
}

void TestHistory::fixWithoutChoiceTakesTheNewest_data() {
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("loaded"); // the tournament loaded; empty: an error says why not
    const QString newer = QStringLiteral("05_03_2024__19_00_00");
    QTest::newRow("the newest") << QStringLiteral("CREATE TABLE \"%1\" AS SELECT * FROM \"%2\"; "
                                                  "UPDATE \"%1\" SET \"-\" = 'Другая';")
                                       .arg(newer, kStored)
                                << newer;
    QTest::newRow("none") << QStringLiteral("DROP TABLE \"%1\";").arg(kStored) << "";
}

void TestHistory::fixWithoutChoiceTakesTheNewest() {
    QFETCH(QString, setUp);
    QFETCH(QString, loaded);
    Env env;
    sqlite3(setUp);
    env.open();
    env.form->FixButton->click();
    QCOMPARE(env.form->correctedTable(), loaded);
    QCOMPARE(env.fakes.dialogs.errors().size(), loaded.isEmpty() ? 1 : 0);
    if (!loaded.isEmpty())
        QCOMPARE(env.form->ListBox1->currentItem()->data(Qt::UserRole).toString(), loaded);
}

void TestHistory::cancelledCorrectionLeavesNothingToStore_data() {
    QTest::addColumn<bool>("evening"); // an evening was computed before the correction was loaded
    QTest::newRow("nothing entered before") << false;
    QTest::newRow("an evening computed before") << true;
}

void TestHistory::cancelledCorrectionLeavesNothingToStore() {
    QFETCH(bool, evening);
    Env env;
    env.open();
    const QStringList scores{"5", "0", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
    if (evening)
        env.enter(scores);
    const QString box = env.form->Edit1->text();
    env.fakes.dialogs.queue(Answer::Yes); // the write of the evening asks for its best scorer
    env.choose(kStored);
    env.form->FixButton->click();
    QCOMPARE(env.form->Edit1->text(), QStringLiteral("3"));
    env.form->FixButton->click();

    // Enter, Enter: the evening of before is written once, the stored one never again.
    QCOMPARE(env.form->Edit1->text(), box);
    QTest::keyClick(env.form->Edit1, Qt::Key_Return);
    QTest::keyClick(env.form->Edit1, Qt::Key_Return);
    QVERIFY(env.fakes.dialogs.errors().isEmpty());
    const QStringList tables = sqliteRows("SELECT name FROM sqlite_master WHERE type='table' AND "
                                          "name LIKE '%\\_\\_%' ESCAPE '\\' ORDER BY name");
    QCOMPARE(tables.size(), evening ? 2 : 1);
    if (evening)
        QCOMPARE(sqliteRows(QStringLiteral("SELECT Team2 FROM \"%1\" WHERE id=1").arg(tables[1])),
                 QStringList{"5'-'0"});
}

void TestHistory::correctionAsksThenShowsWhatIsStored_data() {
    QTest::addColumn<QString>("setUp");  // SQL before the window opens
    QTest::addColumn<QString>("edit1");  // Edit1 typed in the correction; empty: left as stored
    QTest::addColumn<QString>("scorer"); // the best-scorer button pressed in it; empty: none
    QTest::addColumn<bool>("evening");   // an evening was handed over and computed before
    QTest::addColumn<int>("answer");     // to the question; Closed: none is asked
    QTest::addColumn<QString>("after");  // Team2 of row 1, its best scorer, bomb.txt ("-": none)
    const auto row = [](const char* name, const QString& setUp, const char* edit1,
                        const char* scorer, bool evening, Answer answer, const char* after) {
        QTest::newRow(name) << setUp << edit1 << scorer << evening << int(answer) << after;
    };
    const QString newer =
        QStringLiteral("CREATE TABLE \"05_03_2024__19_00_00\" AS SELECT * FROM \"%1\"; "
                       "UPDATE \"05_03_2024__19_00_00\" SET \"-\" = 'Другая';")
            .arg(kStored);
    const QString scorer = QStringLiteral("CREATE TABLE %1 (tournament TEXT PRIMARY KEY, player "
                                          "TEXT); INSERT INTO %1 VALUES ('%2', 'Пенва');")
                               .arg(kv::kBestScorerTable, kStored);
    row("scores, written", "", "5", "", false, Answer::Yes, "5'-'1 - -");
    row("scores, answered No", "", "5", "", false, Answer::No, "3'-'1 - -");
    row("the stored best scorer again: nothing changes", scorer, "", "Button4", false,
        Answer::Closed, "3'-'1 Пенва -");
    row("best scorer of the newest", "", "", "Button4", false, Answer::Yes, "3'-'1 Пенва Пенва");
    row("best scorer of an older one", newer, "", "Button4", false, Answer::Yes, "3'-'1 Пенва -");
    row("an evening kept aside", scorer, "5", "Button6", true, Answer::Yes, "5'-'1 Никто! Никто!");
}

void TestHistory::correctionAsksThenShowsWhatIsStored() {
    QFETCH(QString, setUp);
    QFETCH(QString, edit1);
    QFETCH(QString, scorer);
    QFETCH(bool, evening);
    QFETCH(int, answer);
    QFETCH(QString, after);
    Env env;
    if (!setUp.isEmpty())
        sqlite3(setUp);
    env.open();
    if (evening)
        env.enter({"7", "0", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"});
    env.choose(kStored);
    env.form->FixButton->click();
    QCOMPARE(env.form->Button4->isChecked(), setUp.contains("Пенва")); // the stored best scorer
    if (!edit1.isEmpty()) {
        env.form->Edit1->setText(edit1);
        env.form->Button1->click();
    }
    if (!scorer.isEmpty())
        child<QPushButton>(env.form.get(), scorer)->click();
    if (Answer(answer) != Answer::Closed)
        env.fakes.dialogs.queue(Answer(answer));
    env.form->BitBtn1->click();

    const auto& shown = env.fakes.dialogs.shown();
    QCOMPARE(shown.size(), 1); // one question, or one word that nothing changed
    if (Answer(answer) == Answer::Closed) {
        QVERIFY2(shown[0].text.contains("ничего не меняет"), qPrintable(shown[0].text));
        QVERIFY(kv::safetyCopies(QStringLiteral("base.db")).isEmpty()); // nothing written
    } else {
        QCOMPARE(shown[0].text, QStringLiteral("Записать исправление турнира 01.03.2024 19:00?"));
        QCOMPARE(shown[0].enterAnswer, Answer::No);
    }
    const QString bomb = env.folder.exists(QStringLiteral("bomb.txt"))
                             ? env.folder.lines(QStringLiteral("bomb.txt")).value(0)
                             : QStringLiteral("-");
    QCOMPARE(
        QStringList({sqliteRows(QStringLiteral("SELECT Team2 FROM \"%1\" WHERE id=1").arg(kStored))
                         .value(0),
                     env.database.readHistory().find(kStored)->bestScorer.value_or("-"), bomb})
            .join(' '),
        after);
    QCOMPARE(env.form->correctedTable(), Answer(answer) == Answer::No ? kStored : QString());
    if (Answer(answer) == Answer::No)
        return;
    // The window shows what is stored, or the evening it held; the grid the stored table.
    QCOMPARE(env.form->Edit1->text(), evening ? QStringLiteral("7") : after.left(1));
    QCOMPARE(env.form->BitBtn1->isEnabled(), evening);
    QCOMPARE(kvtest::gridColumn(*env.form, "Team2").value(0), after.section(' ', 0, 0));
}

QTEST_MAIN(TestHistory)
#include "test_history_gui.moc"
