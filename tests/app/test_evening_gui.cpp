// A whole evening, as the players live it, with every window of the program: start-up, draw,
// schedule, full table, six scores, standings, best scorer, database. Then the next start in
// the same folder shows what the evening left behind.
#include "../results/resultswindow.h"
#include "app/gui_program.h"
#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/random.h"
#include "common/services.h"
#include "common/textfile.h"
#include "historydb.h"
#include "programfixture.h"
#include "results/tform9.h"
#include "testsupport.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/spreadsheet.h"

#include <QApplication>

#include <memory>

namespace {

const QStringList kPlayers{QStringLiteral("Аня"), QStringLiteral("Боря"), QStringLiteral("Вова")};

// The program started in the given folder, answering the category question.
struct Program : kvtest::ProgramFixture {
    Program(kvtest::WorkFolder& folder, quint64 seed, const QDateTime& at,
            kv::Dialogs::Answer category)
        : ProgramFixture(folder, seed, at) {
        dialogs.queue(category); // asked while the main window is made
        sheets.checkFiles = true;
        open();
        form1->show();
    }
};

QStringList teams(const TForm1& f) {
    return {f.Edit1->text(), f.Edit2->text(), f.Edit3->text()};
}

} // namespace

class TestEvening : public QObject {
    Q_OBJECT
private slots:
    void anEveningAndTheNextStart();
};

void TestEvening::anEveningAndTheNextStart() {
    kvtest::WorkFolder folder;
    folder.writeStartData({.ask = "1", .players = kPlayers});
    kvtest::createBaseDb();
    const QStringList logBefore = {"Ajax", "Celtic"};
    folder.write("all_last.txt", logBefore);

    QStringList evening;
    QString tableName;
    {
        Program p(folder, 7, QDateTime(QDate(2026, 12, 9), QTime(21, 5, 33)),
                  kv::Dialogs::Answer::Yes);
        // the category question was asked at start, before the window was shown
        QCOMPARE(p.dialogs.texts(kv::ScriptedDialogs::Kind::YesNoCancel),
                 QStringList{QStringLiteral("Клубы - Yes, Сборные - No, Случайно - Cancel")});
        TForm1& main = *p.form1;
        QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join('\n')));
        QVERIFY(!p.state.currentPool.isEmpty());
        QVERIFY(main.windowTitle().startsWith(QStringLiteral("Zorvo Kickvale 6 - ")));
        QCOMPARE(main.Label16->text(), kPlayers[0]);

        // nothing played yet: no privilege to name, no prize on the sheet
        QVERIFY(main.PrivilegeHolders->isHidden());
        main.SheetCommandClick();
        QVERIFY(!main.findChild<kv::SheetWindow*>()->sheet().prizes.holders.won);

        // "Заполнить", then "Расписание"
        main.Button2->click();
        evening = teams(main);
        QCOMPARE(QSet<QString>(evening.begin(), evening.end()).size(), 3);
        const QStringList pool = kv::readLines(p.state.currentPool);
        for (const QString& team : evening)
            QVERIFY2(pool.contains(team) && !logBefore.contains(team), qPrintable(team));
        main.Button1->click();
        QVERIFY(main.Label6->isVisible());
        QCOMPARE(kv::readLines("all_last.txt"), logBefore + evening);
        QVERIFY(main.BitBtn1->isEnabled());

        // "Полная таблица и печать": last.txt, the sheet, the results window, the prizes
        main.BitBtn1->click();
        QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join('\n')));
        QCOMPARE(kv::readLines("last.txt"), evening + QStringList{"09.12.2026"});
        QVERIFY(p.sheets.calls.contains(QStringLiteral("visible")));
        QVERIFY(p.sheets.calls.contains(QStringLiteral("set b2=") + evening[0]));
        TForm9& results = *p.form9;
        QVERIFY(results.isVisible());
        QCOMPARE(results.Label3->text(), evening[0]);
        QCOMPARE(results.Label31->text(), kPlayers[2]);
        QCOMPARE(main.clientHeight(), TForm1::kClientHeightWithPrizes);
        QVERIFY(p.dialogs.texts(kv::ScriptedDialogs::Kind::Information)
                    .contains(QStringLiteral("Подарки рассчитаны ;)\r\nНе забудьте указать "
                                             "лучшего бомбардира!")));

        // Closing now would lose the evening: the players are asked, and "No" takes them back.
        p.dialogs.queue(kv::Dialogs::Answer::No);
        QVERIFY(!main.close());
        QCOMPARE(p.dialogs.texts(kv::ScriptedDialogs::Kind::YesNo),
                 QStringList{TForm1::kUnwrittenEveningQuestion});
        QVERIFY(!p.ended && main.isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), &results);

        // six scores: Аня wins every match, Боря and Вова draw twice; Боря has the better
        // difference and takes second place
        const QStringList boxes{"2", "0", "0", "1", "0", "3", "1", "1", "4", "0", "2", "2"};
        QLineEdit* edits[] = {results.Edit1, results.Edit2,  results.Edit3,  results.Edit4,
                              results.Edit5, results.Edit6,  results.Edit7,  results.Edit8,
                              results.Edit9, results.Edit10, results.Edit11, results.Edit12};
        for (int i = 0; i < 12; ++i)
            edits[i]->setText(boxes[i]);
        results.Button1->click();
        QCOMPARE(results.Label19->text(), "12"); // four wins
        QCOMPARE(results.Label43->text(), "1");
        results.Button5->click(); // Вова scored most
        QCOMPARE(kv::readLines("bomb.txt"), QStringList{kPlayers[2]});
        results.BitBtn1->click();
        QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join('\n')));
        QCOMPARE(results.ProgressBar1->value(), 100);
        QVERIFY(!results.BitBtn1->isEnabled());
        tableName = QStringLiteral("09_12_2026__21_05_33");
        QVERIFY(kvtest::listedItems(results.ListBox1, tableName).size() == 1);
        QVERIFY(main.close() && p.ended); // written: nothing to ask
    }

    // what the evening stored
    QCOMPARE(
        kvtest::sqliteRows(
            QStringLiteral("SELECT Player, \"-\", Rank FROM \"%1\" ORDER BY id;").arg(tableName)),
        (QStringList{kPlayers[0] + "|" + evening[0] + "|1", kPlayers[1] + "|" + evening[1] + "|2",
                     kPlayers[2] + "|" + evening[2] + "|3"}));
    QCOMPARE(kvtest::sqliteRows(QStringLiteral(
                 "SELECT Игрок, Побед, Очки, Первый, Второй, Третий FROM Total ORDER BY id;")),
             (QStringList{kPlayers[0] + "|4|12|1|0|0", kPlayers[1] + "|0|2|0|1|0",
                          kPlayers[2] + "|0|2|0|0|1"}));
    const QString gift1 = kv::readFirstLine("gift1.txt");
    const QString gift2 = kv::readFirstLine("gift2.txt");

    // the next start, in the same folder
    // national teams this time
    Program next(folder, 99, QDateTime(QDate(2026, 12, 16), QTime(20, 0)), kv::Dialogs::Answer::No);
    TForm1& main = *next.form1;
    QVERIFY2(next.dialogs.errors().isEmpty(), qPrintable(next.dialogs.errors().join('\n')));
    QCOMPARE(main.Label22->text(), evening[0]);
    QCOMPARE(main.Label23->text(), evening[1]);
    QCOMPARE(main.Label24->text(), evening[2]);
    QCOMPARE(main.Label29->text(), QStringLiteral("09.12.2026"));
    QVERIFY(main.windowTitle().contains(QStringLiteral("Сборные")));
    // the best scorer, found by the name the settings give him
    QVERIFY(main.Image2->isHidden());
    QVERIFY(!main.Image6->isHidden());
    QVERIFY(main.ComboBox4->isEnabled());
    // who holds them: the best scorer, the first and second places of that evening
    QVERIFY2(main.PrivilegeHolders->text().contains("«Кроме:» Вова (лучший бомбардир)"),
             qPrintable(main.PrivilegeHolders->text()));
    main.SheetCommandClick();
    QCOMPARE(main.findChild<kv::SheetWindow*>()->sheet().prizes.holders,
             (kv::PrizeHolders{true, kPlayers[0], kPlayers[1], true}));
    // the privileges the stored prizes grant
    const bool teamChoice = gift1 == kvtest::imagePath("team.bmp");
    QCOMPARE(main.PrivilegeHolders->text().contains("Выбор команды: Аня (первое место)"),
             teamChoice);
    QCOMPARE(main.ComboBox5->isEnabled(), teamChoice);
    QCOMPARE(main.ComboBox6->isEnabled(), teamChoice);
    QCOMPARE(main.ComboBox2->isEnabled(), false);
    QVERIFY(gift2 != kvtest::imagePath("team.bmp") && gift2 != kvtest::imagePath("unteam.bmp"));
    // the all-time table is there to browse
    QVERIFY(kvtest::listedItems(next.form9->ListBox1, tableName).size() == 1);
    QVERIFY(kvtest::listedItems(next.form9->ListBox1, "Total").size() == 1);
}

QTEST_MAIN(TestEvening)
#include "test_evening_gui.moc"
