#include "app/tform1.h"
#include "app/tform6.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/random.h"
#include "common/services.h"
#include "history/safetycopy.h"
#include "pools/tform7.h"
#include "programfixture.h"
#include "testsupport.h"
#include "tournament/tform5.h"
#include "windowsupport.h"

#include "historydb.h"

#include <QApplication>
#include <memory>
#include <tuple>

using kvtest::child;

namespace {

const QStringList kNames{QStringLiteral("Аня"), QStringLiteral(" Boris "), QStringLiteral("Вика")};

// The program in a working folder with the default data and a settings file that asks nothing
// at start; the main window shows the names the tests expect.
struct Program : kvtest::ProgramFixture {
    explicit Program(const QStringList& settings)
        : ProgramFixture(5, QDateTime(QDate(2024, 5, 1), QTime(20, 0))) {
        folder.copyDefaultData();
        folder.writeSettings({.players = {"Player 1", "Player 2", "Player 3"}});
        kvtest::createBaseDb();
        ProgramFixture::open();
        evening.change([](kv::Evening& e) { e.players = {kNames[0], kNames[1], kNames[2]}; });
        form1->show();
        QApplication::setActiveWindow(form1);
        folder.write("settings.ini", settings);
        dialogs.clear();
    }
    ~Program() {
        form6->hide();
        QApplication::setActiveWindow(nullptr);
    }
    void open() {
        form1->N8Click();
        QApplication::setActiveWindow(form6);
        QVERIFY(form6->isVisible());
    }
};

QStringList settingsFile(const QString& ask, const QString& category, const QString& gift) {
    return kvtest::Settings{
        .ask = ask, .category = category, .players = {"P1", "P2", "P3"}, .gift = gift}
        .lines();
}

} // namespace

class TestTForm6 : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void openingShowsNamesAndDisablesMainWindow();
    void loadsTheBoxesFromTheFile_data();
    void loadsTheBoxesFromTheFile();
    void okWritesTheFileAndClosesTheDialog_data();
    void okWritesTheFileAndClosesTheDialog();
    void namesTypedAreSavedOrPutRight_data();
    void namesTypedAreSavedOrPutRight();
    void leavingAndComingBackReloadsAndEnablesMainWindow();
    void messageBoxOrDisabledMainWindowIsNotLeavingTheDialog();
    void closeBoxWritesNothing();
    void missingFileKeepsTheBoxes();
    void giftsButtonEnablesMainWindowAndShowsGifts();
    void changedNameTheHistoryHoldsIsRenamedOrStartsAfresh_data();
    void changedNameTheHistoryHoldsIsRenamedOrStartsAfresh();
    void namesWaitWhileAnEveningIsNotWritten_data();
    void namesWaitWhileAnEveningIsNotWritten();
    void opensWithTheFocusOnItsFirstControl();
};

void TestTForm6::layout() {
    Program p(settingsFile("1", "clubs", "1"));
    TForm6* d = p.form6;
    QCOMPARE(d->windowTitle(), QStringLiteral("Настройки"));
    QCOMPARE(d->size(), QSize(380, 185));
    QCOMPARE(child<QWidget>(d, "Bevel1")->size(), QSize(177, 105));
    QCOMPARE(child<QWidget>(d, "Bevel2")->size(), QSize(177, 105));
    // Fresh dialog: asks at start, no category, gifts on, names greyed.
    QVERIFY(d->CheckBox1->isChecked());
    for (QRadioButton* r : {d->RadioButton1, d->RadioButton2, d->RadioButton3}) {
        QVERIFY(!r->isEnabled());
        QVERIFY(!r->isChecked());
        QVERIFY(d->Bevel1->geometry().contains(r->geometry()));
    }
    for (QLineEdit* e : {d->Edit1, d->Edit2, d->Edit3}) {
        QVERIFY(e->isEnabled()); // the players name themselves here
        QVERIFY(d->Bevel2->geometry().contains(e->geometry()));
    }
    QVERIFY(d->CheckBox4->isChecked());
    QVERIFY(d->BitBtn1->isDefault());
    QVERIFY(qAbs(2 * d->BitBtn1->x() + d->BitBtn1->width() - 380) <= 1); // centred
    QVERIFY(d->CheckBox4->geometry().right() < d->Button5->geometry().left());
    // Every caption fits its control.
    for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
        QVERIFY2(kvtest::captionFits(b), qPrintable(b->objectName()));
}

void TestTForm6::openingShowsNamesAndDisablesMainWindow() {
    Program p(settingsFile("1", "clubs", "1"));
    p.open();
    QCOMPARE(p.form6->Edit1->text(), kNames[0]);
    QCOMPARE(p.form6->Edit2->text(), kNames[1]); // blanks kept
    QCOMPARE(p.form6->Edit3->text(), kNames[2]);
    QVERIFY(!p.form1->isEnabled());
    // OK writes the names back unchanged and leaves the labels as they were.
    p.form6->BitBtn1->click();
    QCOMPARE(p.folder.lines("settings.ini").mid(3, 3), kNames);
    QCOMPARE(p.form1->Label17->text(), kNames[1]);
    // The next opening shows what the main window shows then.
    p.evening.change([](kv::Evening& e) { e.players[0] = "Zed"; });
    p.open();
    QCOMPARE(p.form6->Edit1->text(), QStringLiteral("Zed"));
}

void TestTForm6::loadsTheBoxesFromTheFile_data() {
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<int>("radio"); // 0: none checked
    QTest::addColumn<bool>("gifts");
    QTest::newRow("ask, clubs, gifts") << settingsFile("1", "clubs", "1") << true << 1 << true;
    QTest::newRow("fixed natteams, no gifts")
        << settingsFile("0", "natteams", "0") << false << 2 << false;
    QTest::newRow("random, gift line empty")
        << settingsFile("0", "random", "") << false << 3 << true;
    QTest::newRow("empty ask line, gift 2")
        << settingsFile("", "random", "2") << false << 3 << true;
    QTest::newRow("ask 2, category in other case")
        << settingsFile("2", "Clubs", "1") << false << 0 << true;
    QTest::newRow("ask ' 1' is not 1") << settingsFile(" 1", "clubs", "1") << false << 1 << true;
    QTest::newRow("nine lines") << QStringList{"1", "[players]",       "A", "B", "C", "[gift]",
                                               "0", "[log all teams]", "1"}
                                << true << 0 << false;
    QTest::newRow("no gift line: no gifts")
        << QStringList{"0", "natteams", "[players]", "A", "B", "C"} << false << 2 << false;
    QTest::newRow("gift marker is the last line")
        << QStringList{"0", "natteams", "[players]", "A", "B", "C", "[gift]"} << false << 2 << true;
}

void TestTForm6::loadsTheBoxesFromTheFile() {
    QFETCH(QStringList, file);
    QFETCH(bool, ask);
    QFETCH(int, radio);
    QFETCH(bool, gifts);
    Program p(file);
    p.open();
    TForm6* d = p.form6;
    QCOMPARE(d->CheckBox1->isChecked(), ask);
    const QList<QRadioButton*> radios{d->RadioButton1, d->RadioButton2, d->RadioButton3};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(radios[i]->isChecked(), radio == i + 1);
        QCOMPARE(radios[i]->isEnabled(), !ask);
    }
    QCOMPARE(d->CheckBox4->isChecked(), gifts);
    QVERIFY(p.dialogs.shown().isEmpty());
}

void TestTForm6::okWritesTheFileAndClosesTheDialog_data() {
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<bool>("mainLogAll");
    QTest::addColumn<QStringList>("written"); // lines 1, 2 (or none) and 8, 10
    QTest::newRow("as read") << settingsFile("0", "natteams", "1") << true
                             << QStringList{"0", "natteams", "1", "1"};
    QTest::newRow("log-all from the main window")
        << settingsFile("1", "random", "0") << false << QStringList{"1", "random", "0", "0"};
    QTest::newRow("no category: nine lines")
        << settingsFile("1", "whatever", "7") << true << QStringList{"1", "1", "1"};
}

void TestTForm6::okWritesTheFileAndClosesTheDialog() {
    QFETCH(QStringList, file);
    QFETCH(bool, mainLogAll);
    QFETCH(QStringList, written);
    Program p(file);
    p.form1->CheckBox4->setChecked(mainLogAll);
    p.open();
    p.form6->BitBtn1->click();
    QVERIFY(p.dialogs.shown().isEmpty());
    QStringList expected{written[0]};
    if (written.size() == 4)
        expected << written[1];
    expected << "[players]" << kNames << "[gift]" << written[written.size() - 2]
             << "[log all teams]" << written.last();
    QCOMPARE(p.folder.lines("settings.ini"), expected);
    QVERIFY(p.folder.bytes("settings.ini").endsWith("\r\n"));
    QVERIFY(!p.form6->isVisible());
    QVERIFY(p.form1->isEnabled());
    QCOMPARE(p.form1->CheckBox4->isChecked(), mainLogAll); // only read
}

void TestTForm6::namesTypedAreSavedOrPutRight_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("wrongBox"); // -1: saved
    QTest::addColumn<QString>("says");
    const std::tuple<const char*, QStringList, int, const char*> rows[] = {
        {"renamed, blanks kept", {"Вася", " Петя ", "<b>Коля</b>"}, -1, ""},
        {"empty", {"Вася", "", "Коля"}, 1, "Не заполнено имя игрока 2"},
        {"blanks only", {"   ", "Петя", "Коля"}, 0, "Не заполнено имя игрока 1"},
        {"same name twice", {"Вася", "Петя", "Вася"}, 2, "У игроков 1 и 3 одинаковое имя «Вася»"},
        {"a marker line", {"Вася", "[gift]", "Коля"}, 1, "служебной строкой"},
        {"two lines", {"Вася", "Петя", "Ко\nля"}, 2, "больше одной строки"}};
    for (const auto& [name, typed, wrongBox, says] : rows)
        QTest::newRow(name) << typed << wrongBox << QString(says);
}

void TestTForm6::namesTypedAreSavedOrPutRight() {
    QFETCH(QStringList, typed);
    QFETCH(int, wrongBox);
    QFETCH(QString, says);
    Program p(settingsFile("0", "clubs", "1"));
    const QByteArray before = p.folder.bytes("settings.ini");
    p.open();
    const QList<QLineEdit*> boxes{p.form6->Edit1, p.form6->Edit2, p.form6->Edit3};
    for (int i = 0; i < 3; ++i)
        boxes[i]->setText(typed[i]);
    p.form6->BitBtn1->click();
    const bool saved = wrongBox < 0;
    QCOMPARE(p.form1->playerNames(), saved ? typed : kNames);
    QCOMPARE(p.form6->isVisible(), !saved);
    QCOMPARE(p.form1->isEnabled(), saved);
    if (saved) {
        QVERIFY(p.dialogs.shown().isEmpty());
        QCOMPARE(p.folder.lines("settings.ini").mid(3, 3), typed);
        return;
    }
    QCOMPARE(p.folder.bytes("settings.ini"), before);
    QVERIFY2(p.dialogs.texts().size() == 1 && p.dialogs.texts()[0].contains(says),
             qPrintable(p.dialogs.texts().join('\n')));
    QCOMPARE(p.form6->focusWidget(), boxes[wrongBox]);
}

void TestTForm6::leavingAndComingBackReloadsAndEnablesMainWindow() {
    Program p(settingsFile("0", "clubs", "1"));
    p.open();
    TForm6* d = p.form6;
    d->RadioButton2->click(); // "Сборные", not saved
    d->CheckBox4->click();
    QVERIFY(d->RadioButton2->isChecked() && !d->RadioButton1->isChecked());

    p.form7->show();
    QApplication::setActiveWindow(p.form7);
    QVERIFY(p.form1->isEnabled());
    QVERIFY(d->isVisible());

    QApplication::setActiveWindow(d);
    QVERIFY(d->RadioButton1->isChecked());
    QVERIFY(!d->RadioButton2->isChecked());
    QVERIFY(d->CheckBox4->isChecked());
    p.form7->hide();
}

void TestTForm6::messageBoxOrDisabledMainWindowIsNotLeavingTheDialog() {
    Program p(settingsFile("0", "clubs", "1"));
    p.open();
    TForm6* d = p.form6;
    d->RadioButton3->click();
    QWidget box(nullptr, Qt::Dialog); // stands for a modal message box of a handler
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    QApplication::setActiveWindow(&box);
    QVERIFY(!p.form1->isEnabled());
    box.hide();
    QApplication::setActiveWindow(d);
    QVERIFY(d->RadioButton3->isChecked()); // not reloaded

    // Clicking the disabled main window is not leaving the dialog either.
    QApplication::setActiveWindow(p.form1);
    QVERIFY(!p.form1->isEnabled());
    QApplication::setActiveWindow(d);
    QVERIFY(d->RadioButton3->isChecked());
}

void TestTForm6::closeBoxWritesNothing() {
    Program p(settingsFile("0", "clubs", "1"));
    const QByteArray before = p.folder.bytes("settings.ini");
    p.open();
    p.form6->RadioButton3->click();
    p.form6->CheckBox1->click();
    QVERIFY(p.form6->close());
    QVERIFY(!p.form6->isVisible());
    QVERIFY(p.form1->isEnabled());
    QCOMPARE(p.folder.bytes("settings.ini"), before);
}

void TestTForm6::missingFileKeepsTheBoxes() {
    Program p(settingsFile("0", "natteams", "0"));
    p.open();
    QFile::remove(p.folder.path("settings.ini"));
    p.form7->show();
    QApplication::setActiveWindow(p.form7);
    QApplication::setActiveWindow(p.form6);
    QCOMPARE(p.dialogs.errors().size(), 1);
    QVERIFY(p.dialogs.errors()[0].startsWith("Cannot open file \"settings.ini\"."));
    QVERIFY(p.form6->RadioButton2->isChecked());
    QVERIFY(!p.form6->CheckBox1->isChecked());
    QVERIFY(!p.form6->CheckBox4->isChecked());
    p.form7->hide();
}

void TestTForm6::giftsButtonEnablesMainWindowAndShowsGifts() {
    Program p(settingsFile("0", "clubs", "1"));
    p.open();
    p.form6->Button5->click();
    QVERIFY(p.form1->isEnabled());
    QVERIFY(p.form5->isVisible());
    QVERIFY(p.form6->isVisible());
    p.form5->hide();
}

void TestTForm6::changedNameTheHistoryHoldsIsRenamedOrStartsAfresh_data() {
    QTest::addColumn<QString>("first"); // typed in the first box
    QTest::addColumn<int>("answer");    // to the question; -1: none asked
    QTest::addColumn<QString>("held");  // the first player's name in the history afterwards
    QTest::addColumn<bool>("saved");
    using A = kv::Dialogs::Answer;
    QTest::newRow("renamed in the whole history") << "Анна" << int(A::Yes) << "Анна" << true;
    QTest::newRow("new name starts afresh") << "Анна" << int(A::No) << "Аня" << true;
    QTest::newRow("cancelled") << "Анна" << int(A::Cancel) << "Аня" << false;
    QTest::newRow("two players would merge") << "Дед" << int(A::Yes) << "Аня" << false;
    QTest::newRow("only the letter case differs") << "аня" << int(A::Yes) << "аня" << true;
}

void TestTForm6::changedNameTheHistoryHoldsIsRenamedOrStartsAfresh() {
    QFETCH(QString, first);
    QFETCH(int, answer);
    QFETCH(QString, held);
    QFETCH(bool, saved);
    Program p(settingsFile("0", "clubs", "1"));
    kv::HistoryStore& store = p.database();
    // The history holds the first two players of the dialog, a third who is not in it, and the
    // first as the last best scorer.
    const QString table = QStringLiteral("01_03_2024__19_00_00");
    store.writeTournament(table, kvtest::sampleTournament({kNames[0], kNames[1], "Дед"}),
                          kNames[0]);
    QDir(QStringLiteral("backups")).removeRecursively();
    p.folder.write(QStringLiteral("bomb.txt"), {kNames[0]});
    p.folder.write(QStringLiteral("prizes.txt"),
                   {"2024-03-01", kNames[0], kNames[1], "Дед", "Милан", "Аякс", "Порту"});
    const QByteArray before = p.folder.bytes("settings.ini");
    QSignalSpy changed(&store, &kv::HistoryStore::historyChanged);
    // Those who hear of the change read the files with the new names already.
    QStringList namesHeard;
    connect(&store, &kv::HistoryStore::historyChanged, this,
            [&] { namesHeard = kv::settings::read().players; });

    p.open();
    p.form6->Edit1->setText(first);
    p.dialogs.queue(kv::Dialogs::Answer(answer));
    p.form6->BitBtn1->click();
    QCOMPARE(p.dialogs.texts(kv::ScriptedDialogs::Kind::YesNoCancel).size(), 1);
    const bool renamed = held != kNames[0];
    QCOMPARE(changed.count(), renamed ? 1 : 0);
    QCOMPARE(kv::safetyCopies(kv::kDatabaseFile).size(), renamed ? 1 : 0);
    const QString players = held + "|" + kNames[1] + "|Дед";
    QCOMPARE(kvtest::sqliteRows("SELECT group_concat(Игрок, '|') FROM Total"),
             QStringList{players});
    QCOMPARE(kvtest::sqliteRows("SELECT group_concat(Player, '|') FROM \"" + table + "\""),
             QStringList{players});
    QCOMPARE(kvtest::sqliteRows("SELECT player FROM " + kv::kBestScorerTable), QStringList{held});
    QCOMPARE(p.folder.lines("bomb.txt"), QStringList{held});
    // The prize holders go with the history, so that the next start still finds them.
    QCOMPARE(p.folder.lines("prizes.txt").mid(1, 3), (QStringList{held, kNames[1], "Дед"}));
    QVERIFY(!p.folder.exists(kv::kRenameMarkFile));
    if (renamed)
        QCOMPARE(namesHeard.value(0), held);
    QCOMPARE(p.dialogs.errors().size(), first == "Дед" ? 1 : 0);
    QCOMPARE(p.form6->isVisible(), !saved);
    if (saved)
        QCOMPARE(p.folder.lines("settings.ini").value(3), first);
    else
        QCOMPARE(p.folder.bytes("settings.ini"), before);
}

void TestTForm6::namesWaitWhileAnEveningIsNotWritten_data() {
    QTest::addColumn<bool>("correction"); // else a new evening
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("evening, a name the history holds") << false << 0 << "Анна";
    QTest::newRow("evening, a name it does not hold") << false << 2 << "Виктория";
    QTest::newRow("correction, a name the history holds") << true << 1 << "Борис";
}

void TestTForm6::namesWaitWhileAnEveningIsNotWritten() {
    QFETCH(bool, correction);
    QFETCH(int, box);
    QFETCH(QString, typed);
    Program p(settingsFile("0", "clubs", "1"));
    kv::HistoryStore& store = p.database();
    store.writeTournament("01_03_2024__19_00_00", kvtest::sampleTournament(kNames), kNames[0]);
    const QString before = kvtest::sqlite3(".dump");
    const QByteArray settingsBefore = p.folder.bytes("settings.ini");
    // The results window holds names it was given and waits for them to be written.
    if (correction)
        p.form9->FixButton->click();
    else
        p.form9->showTournament({kNames, {"Милан", "Аякс", "Порту"}, {}});
    p.form9->hide();

    p.open();
    QLineEdit* boxes[] = {p.form6->Edit1, p.form6->Edit2, p.form6->Edit3};
    boxes[box]->setText(typed);
    p.form6->RadioButton3->click();
    p.form6->BitBtn1->click();
    QCOMPARE(p.dialogs.texts(), QStringList{correction ? TForm6::kRenameWithCorrectionOpen
                                                       : TForm6::kRenameWithEveningOpen});
    QVERIFY(p.form6->isVisible());
    QCOMPARE(boxes[box]->text(), typed);
    QCOMPARE(p.form1->playerNames(), kNames);
    QCOMPARE(p.folder.bytes("settings.ini"), settingsBefore);
    QCOMPARE(kvtest::sqlite3(".dump"), before);

    // Other settings are saved while the names stay.
    boxes[box]->setText(kNames[box]);
    p.form6->BitBtn1->click();
    QVERIFY(!p.form6->isVisible());
    QCOMPARE(p.folder.lines("settings.ini").value(1), QStringLiteral("random"));
}

void TestTForm6::opensWithTheFocusOnItsFirstControl() {
    Program p(settingsFile("0", "clubs", "1"));
    p.open();
    p.form6->Edit3->setFocus();
    p.form6->close();
    p.open();
    QCOMPARE(p.form6->focusWidget(), p.form6->CheckBox1);
}

QTEST_MAIN(TestTForm6)
#include "test_tform6.moc"
