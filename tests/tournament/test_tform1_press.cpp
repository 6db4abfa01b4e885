// The full-table button of the main window: what the players see after a press, in the main
// window and in the results window, and that a failing step leaves the rest undone.
#include "historydb.h"
#include "programfixture.h"
#include "testsupport.h"

#include "app/tform1.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/gui_theme.h"
#include "common/opener.h"
#include "common/random.h"
#include "common/services.h"
#include "results/tform9.h"
#include "tournament/gifts.h"
#include "tournament/gui_sheetwindow.h"
#include "tournament/gui_xlsxspreadsheet.h"
#include "tournament/spreadsheet.h"
#include "tournament/standings.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <unistd.h>

namespace {

struct MainWindow : kvtest::ProgramFixture {
    explicit MainWindow(const QString& giftFlag) : ProgramFixture(42) {
        folder.write(QStringLiteral("bomb.txt"), {QStringLiteral("Пенва")});
        folder.writeStartData({.players = kvtest::kPlayers, .gift = giftFlag});
        open();
        dialogs.clear(); // whatever the start-up had to say
        form1->show();
    }
    void prepareTournament() { tournamentOnScreen(); }

    void press() { kvtest::child<QPushButton>(form1, "BitBtn1")->click(); }

    kv::SheetWindow* sheetWindow() const { return form1->findChild<kv::SheetWindow*>(); }

    QString results(const char* name) const {
        if (auto* label = form9->findChild<QLabel*>(QLatin1String(name)))
            return label->text();
        return kvtest::child<QPushButton>(form9, QLatin1String(name))->text();
    }
};

bool samePicture(const QLabel* box, const QString& file) {
    return box->pixmap().toImage() == kv::loadPicture(kvtest::imagePath(file)).toImage();
}

} // namespace

class TestTForm1Press : public QObject {
    Q_OBJECT
private slots:
    void pressWithAward();
    void pressWithoutAward();
    void secondPressSetsUpAgain();
    void failingStepEndsThePress();
    void pressOnAnyDesktop_data();
    void pressOnAnyDesktop();
    void sheetCommandFollowsTheSchedule();
    void pressWithoutResultsWindowStopsBeforeTheAward();
};

void TestTForm1Press::pressWithAward() {
    MainWindow w(QStringLiteral("1"));
    w.prepareTournament();
    QVERIFY(w.form1->Button2->isDefault());
    w.press();

    QVERIFY(w.dialogs.errors().isEmpty());
    QVERIFY(!w.form1->Button2->isDefault());
    QVERIFY(!w.form1->Button2->autoDefault());
    QVERIFY(w.form1->BitBtn1->isEnabled());
    QCOMPARE(w.folder.lines(QStringLiteral("last.txt")),
             QStringList({"Милан", "Аякс", "Порту", "09.03.2024"}));
    QCOMPARE(w.sheets.calls.value(2), QStringLiteral("set a2=Зурко"));
    QVERIFY(w.sheets.calls.contains(QStringLiteral("set c9=Милан")));
    QCOMPARE(w.sheets.calls.last(), QStringLiteral("visible"));

    QVERIFY(w.form9->isVisible());
    QVERIFY(kvtest::child<QPushButton>(w.form9, "Button1")->isEnabled());
    const char* names[] = {"Label3",  "Label4",  "Label5",  "Label6",  "Label7",  "Label8",
                           "Label29", "Label30", "Label31", "Button3", "Button4", "Button5"};
    const QStringList expected = {"Милан", "Аякс",  "Порту", "Милан", "Аякс",  "Порту",
                                  "Зурко", "Пенва", "Лодыш", "Зурко", "Пенва", "Лодыш"};
    for (int i = 0; i < 12; ++i)
        QCOMPARE(w.results(names[i]), expected[i]);

    QCOMPARE(w.dialogs.texts(kv::ScriptedDialogs::Kind::Information),
             QStringList{kv::kGiftsAwardedMessage});
    QCOMPARE(w.form1->clientHeight(), TForm1::kClientHeightWithPrizes);
    const QString gift1 =
        QFileInfo(w.folder.lines(QStringLiteral("gift1.txt")).value(0)).fileName();
    const QString gift2 =
        QFileInfo(w.folder.lines(QStringLiteral("gift2.txt")).value(0)).fileName();
    QVERIFY(samePicture(w.form1->Image1, gift1));
    QVERIFY(samePicture(w.form1->Image3, gift2));
    QVERIFY(samePicture(w.form1->Image4, QStringLiteral("unteam.bmp")));
    QVERIFY(w.form1->Image4->isVisible());
}

void TestTForm1Press::pressWithoutAward() {
    MainWindow w(QStringLiteral("0"));
    const QByteArray gift1 = w.folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray gift2 = w.folder.bytes(QStringLiteral("gift2.txt"));
    w.prepareTournament();
    w.press();

    QVERIFY(w.dialogs.shown().isEmpty());
    QVERIFY(w.form9->isVisible());
    QCOMPARE(w.form1->clientHeight(), TForm1::kClientHeight);
    QVERIFY(w.form1->Image1->pixmap().isNull());
    QCOMPARE(w.folder.bytes(QStringLiteral("gift1.txt")), gift1);
    QCOMPARE(w.folder.bytes(QStringLiteral("gift2.txt")), gift2);
}

void TestTForm1Press::secondPressSetsUpAgain() {
    MainWindow w(QStringLiteral("1"));
    w.prepareTournament();
    w.press();
    const QByteArray gift1 = w.folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray gift2 = w.folder.bytes(QStringLiteral("gift2.txt"));
    const QImage firstPrize = w.form1->Image1->pixmap().toImage();
    w.form1->Edit2->setText(QStringLiteral("Бенфика"));
    w.sheets.calls.clear();
    w.dialogs.clear();
    w.press();

    QVERIFY(w.dialogs.shown().isEmpty()); // no second award
    QCOMPARE(w.sheets.calls.first(), QStringLiteral("create"));
    // The sheet again shows the previous tournament's prizes, not this evening's.
    QVERIFY(w.sheets.calls.contains("insert " + kvtest::imagePath(QStringLiteral("splayer.bmp"))));
    QVERIFY(
        w.sheets.calls.contains("insert " + kvtest::imagePath(QStringLiteral("yellowcard.bmp"))));
    QCOMPARE(w.folder.bytes(QStringLiteral("gift1.txt")), gift1);
    QCOMPARE(w.folder.bytes(QStringLiteral("gift2.txt")), gift2);
    QCOMPARE(w.form1->Image1->pixmap().toImage(), firstPrize);
    QCOMPARE(w.folder.lines(QStringLiteral("last.txt")).value(1), QStringLiteral("Бенфика"));
    QCOMPARE(w.results("Label4"), QStringLiteral("Бенфика"));
    QCOMPARE(w.results("Label7"), QStringLiteral("Бенфика"));
    QVERIFY(w.form9->isVisible());
}

void TestTForm1Press::failingStepEndsThePress() {
    MainWindow w(QStringLiteral("1"));
    const QString gone = kvtest::imagePath(QStringLiteral("gone.bmp"));
    w.folder.write(QStringLiteral("gift1.txt"), {gone});
    w.sheets.checkFiles = true;
    w.prepareTournament();
    w.press();

    QCOMPARE(w.dialogs.errors().size(), 1);
    QVERIFY(w.dialogs.errors()[0].contains(gone));
    QCOMPARE(w.folder.lines(QStringLiteral("last.txt")).size(), 4); // done before the failure
    QVERIFY(!w.sheets.calls.contains(QStringLiteral("visible")));
    QVERIFY(!w.form9->isVisible());
    QVERIFY(!kvtest::child<QPushButton>(w.form9, "Button1")->isEnabled());
    QCOMPARE(w.form1->clientHeight(), TForm1::kClientHeight);
    QCOMPARE(w.folder.lines(QStringLiteral("gift1.txt")), QStringList{gone}); // no award
    QVERIFY(!w.form1->Button2->isDefault());
}

void TestTForm1Press::pressOnAnyDesktop_data() {
    QTest::addColumn<bool>("spreadsheetProgram");
    QTest::addColumn<bool>("sharedFolderTaken");
    QTest::newRow("spreadsheet program") << true << false;
    QTest::newRow("no spreadsheet program") << false << false;
    // The old fixed folder in /tmp belongs to whoever used the program first.
    QTest::newRow("another account came first") << false << true;
}

void TestTForm1Press::pressOnAnyDesktop() {
    QFETCH(bool, spreadsheetProgram);
    QFETCH(bool, sharedFolderTaken);
    MainWindow w(QStringLiteral("1"));
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(w.folder.path(QStringLiteral("cache"))));
    qputenv("TMPDIR", QFile::encodeName(w.folder.path(QStringLiteral("tmp"))));
    const QString shared = w.folder.path(QStringLiteral("tmp/zorvo-kickvale-6"));
    if (sharedFolderTaken) {
        QVERIFY(QDir().mkpath(shared));
        QFile::setPermissions(shared, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        if (geteuid() == 0)
            QVERIFY(chown(QFile::encodeName(shared).constData(), 65534, 65534) == 0);
    }
    kv::XlsxSpreadsheetFactory workbooks(w.opener);
    w.services.spreadsheets = &workbooks;
    w.opener.result = spreadsheetProgram;
    w.prepareTournament();
    w.press();
    const QString folder = kv::sheetFolder();
    qputenv("XDG_CACHE_HOME", oldCache);
    qputenv("TMPDIR", oldTmp);

    // The press always finishes: hand-over and award.
    QVERIFY2(w.dialogs.errors().isEmpty(), qPrintable(w.dialogs.errors().join('\n')));
    QVERIFY(w.form9->isVisible());
    QCOMPARE(w.dialogs.texts(kv::ScriptedDialogs::Kind::Information),
             QStringList{kv::kGiftsAwardedMessage});
    // The workbook stays in the user's own folder, closed to others.
    QVERIFY(folder.startsWith(w.folder.path(QStringLiteral("cache/"))));
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files).size(), 1);
    QCOMPARE(QFile::permissions(folder).toInt() & 0x0077, 0);
    QCOMPARE(w.opener.opened.size(), 1);
    QVERIFY(w.opener.opened[0].toLocalFile().startsWith(folder));
    if (sharedFolderTaken)
        QVERIFY(QDir(shared).isEmpty());
    // Without a spreadsheet program the program's own sheet window shows this evening.
    kv::SheetWindow* sheet = w.sheetWindow();
    QCOMPARE(sheet && sheet->isVisible(), !spreadsheetProgram);
    if (sheet) {
        QCOMPARE(sheet->windowTitle(), QStringLiteral("Лист турнира"));
        QCOMPARE(sheet->sheet().teams, QStringList({"Милан", "Аякс", "Порту"}));
        QCOMPARE(sheet->sheet().prizes.firstGift, kvtest::imagePath(QStringLiteral("splayer.bmp")));
    }
}

void TestTForm1Press::sheetCommandFollowsTheSchedule() {
    MainWindow w(QStringLiteral("1"));
    kvtest::createBaseDb(); // an empty history: everybody's first evening
    auto* command = kvtest::child<QAction>(w.form1, "SheetCommand");
    QCOMPARE(command->text(), QStringLiteral("Лист турнира..."));
    const QList<QAction*> menu = w.form1->N1->actions();
    QCOMPARE(menu.indexOf(command), menu.indexOf(w.form1->N6) + 1);
    QVERIFY(!command->isEnabled());

    w.prepareTournament();
    w.form1->Button1->setEnabled(true);
    w.form1->Button1->click(); // the schedule
    QVERIFY(command->isEnabled());
    // The chances of its matches come from the history, beside the window.
    const kv::Evening& e = w.evening.value();
    QTRY_VERIFY(!e.chances[0].isEmpty());
    const QStringList teams = e.tournament().teams;
    const int home = teams.indexOf(w.form1->Label7->text());
    const QString chances = e.chances[kv::matchAt(home, teams.indexOf(w.form1->Label8->text()))];
    QVERIFY2(chances.startsWith(e.players[home] + " ") && chances.contains(" · ничья "),
             qPrintable(chances));
    QVERIFY(w.form1->Label7->toolTip().contains(chances));
    QVERIFY(kvtest::child<QLabel>(w.form9, "ChancesLabel")->text().contains(chances));
    const QByteArray gift1 = w.folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray last = w.folder.bytes(QStringLiteral("last.txt"));
    command->trigger();

    kv::SheetWindow* sheet = w.sheetWindow();
    QVERIFY(sheet && sheet->isVisible());
    QCOMPARE(sheet->sheet().players, QStringList({"Зурко", "Пенва", "Лодыш"}));
    QCOMPARE(sheet->sheet().firstLeg.size(), 3);
    QCOMPARE(sheet->sheet().firstLeg[0].home, w.form1->Label7->text());
    QCOMPARE(sheet->sheet().firstLeg[0].chances, chances);
    QCOMPARE(sheet->sheet().prizes.bestScorer, QStringLiteral("Пенва"));
    // Looking at the sheet is not a press: no last.txt, no award.
    QCOMPARE(w.folder.bytes(QStringLiteral("last.txt")), last);
    QCOMPARE(w.folder.bytes(QStringLiteral("gift1.txt")), gift1);
    QVERIFY(w.dialogs.shown().isEmpty());
    QCOMPARE(sheet->sheet().firstMeaning, kv::giftCatalogue()[3].hint);

    // Once the evening is computed the sheet shows it as a household fills it in by hand.
    QVERIFY(sheet->sheet().points.isEmpty() && sheet->sheet().firstLeg[0].homeGoals.isEmpty());
    w.form9->showTournament(e.tournament());
    w.form9->Edit1->setText("3"); // the first slot's team at home to the second's
    w.form9->Edit2->setText("1");
    w.form9->Button1->click();
    QCOMPARE(sheet->sheet().points, QStringList({"6", "3", "4"}));
    QCOMPARE(sheet->sheet().places, QStringList({"1", "3", "2"}));
    const QList<kv::SheetMatch> legs = sheet->sheet().firstLeg + sheet->sheet().secondLeg;
    for (const kv::SheetMatch& m : legs) {
        const bool first = m.home == teams[0] && m.away == teams[1];
        QCOMPARE(m.homeGoals + ":" + m.awayGoals, QString(first ? "3:1" : "0:0"));
    }
}

void TestTForm1Press::pressWithoutResultsWindowStopsBeforeTheAward() {
    MainWindow w(QStringLiteral("1"));
    const QByteArray gift1 = w.folder.bytes(QStringLiteral("gift1.txt"));
    w.form1->setPeers({});
    w.prepareTournament();
    w.press();

    QCOMPARE(w.dialogs.errors(), QStringList{QStringLiteral(
                                     "Окно результатов не открылось, и турнир в него не передан. "
                                     "Перезапустите программу и нажмите кнопку снова.")});
    QCOMPARE(w.sheets.calls.last(), QStringLiteral("visible")); // the sheet came before
    QCOMPARE(w.folder.bytes(QStringLiteral("gift1.txt")), gift1);
    QCOMPARE(w.form1->clientHeight(), TForm1::kClientHeight);
}

QTEST_MAIN(TestTForm1Press)
#include "test_tform1_press.moc"
