// One press of the full-table button without windows: last.txt, the spreadsheet steps in
// order, the hand-over and the award, and where each failure stops the press.
#include "testsupport.h"

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "tournament/spreadsheet.h"
#include "tournament/tournamentpress.h"
#include "tournament/tournamentsheet.h"

namespace {

// Services and a view that records what reaches the windows.
struct Press : kvtest::Fakes {
    QStringList events;
    kv::Tournament handedOver;
    kv::TournamentSheet sheet;
    kv::PressMemory memory; // one run of the program

    Press() : Fakes(7) { sheets.checkFiles = true; }

    void run(const kv::Tournament& input) {
        kv::PressView view;
        view.handOverToResults = [&](const kv::Tournament& tournament) {
            events << QStringLiteral("hand over");
            handedOver = tournament;
        };
        view.showPrize = [&](kv::PrizePlace place, const QString& path) {
            events << QStringLiteral("prize %1 %2").arg(int(place)).arg(path);
        };
        view.uncoverPrizes = [&] { events << QStringLiteral("uncover"); };
        view.sheetMade = [&](const kv::TournamentSheet& made, bool shownElsewhere, const QString&) {
            events << (shownElsewhere ? QStringLiteral("sheet elsewhere")
                                      : QStringLiteral("sheet window"));
            sheet = made;
        };
        kv::runTournamentPress(input, services, view, memory);
    }
};

kv::Tournament sampleInput() {
    return {{QStringLiteral("Зурко"), QStringLiteral("Пенва"), QStringLiteral("Лодыш")},
            {QStringLiteral("Милан"), QStringLiteral("Аякс"), QStringLiteral("Порту")},
            {QStringLiteral("Милан"), QStringLiteral("Аякс"), QStringLiteral("Порту"),
             QStringLiteral("Милан"), QStringLiteral("Аякс"), QStringLiteral("Порту")}};
}

void writeData(const kvtest::WorkFolder& folder, const QString& giftFlag) {
    folder.writeSettings({.players = {"Зурко", "Пенва", "Лодыш"}, .gift = giftFlag});
    folder.write(QStringLiteral("gift1.txt"), {kvtest::imagePath(QStringLiteral("team.bmp"))});
    folder.write(QStringLiteral("gift2.txt"),
                 {kvtest::imagePath(QStringLiteral("yellowcard.bmp"))});
    folder.write(QStringLiteral("bomb.txt"), {QStringLiteral("Пенва")});
}

} // namespace

class TestTournamentPress : public QObject {
    Q_OBJECT
private slots:
    void pressInOrder();
    void emptyTextsKeepTheirPlaces();
    void failureStopsThePress_data();
    void failureStopsThePress();
    void secondPressKeepsTheEveningsPrizes();
};

void TestTournamentPress::pressInOrder() {
    kvtest::WorkFolder folder;
    writeData(folder, QStringLiteral("1"));
    Press press;
    press.run(sampleInput());

    QCOMPARE(folder.bytes(QStringLiteral("last.txt")),
             QStringLiteral("Милан\r\nАякс\r\nПорту\r\n09.03.2024\r\n").toUtf8());
    const QString dir = kvtest::buildProgramDir();
    QCOMPARE(press.sheets.calls, QStringList({"create",
                                              "open " + dir + "table.xlsx",
                                              "set a2=Зурко",
                                              "set a3=Пенва",
                                              "set a4=Лодыш",
                                              "set b2=Милан",
                                              "set b3=Аякс",
                                              "set b4=Порту",
                                              "set b7=Милан",
                                              "set c7=Аякс",
                                              "set b8=Порту",
                                              "set c8=Милан",
                                              "set b9=Аякс",
                                              "set c9=Порту",
                                              "set d15=Пенва",
                                              "select b15",
                                              "insert " + dir + "images/team.bmp",
                                              "select c15",
                                              "insert " + dir + "images/yellowcard.bmp",
                                              "visible"}));

    QVERIFY(press.handedOver == sampleInput());

    // The award comes after the hand-over and ends with the message and the uncovering.
    QCOMPARE(press.events.size(), 6);
    QCOMPARE(press.events[0], QStringLiteral("sheet elsewhere"));
    QCOMPARE(press.events[1], QStringLiteral("hand over"));
    QCOMPARE(press.events.last(), QStringLiteral("uncover"));
    QCOMPARE(press.events[4], "prize 2 " + dir + "images/unteam.bmp");
    // The program's own sheet holds what the workbook got.
    QCOMPARE(press.sheet.date, QStringLiteral("09.03.2024"));
    QCOMPARE(press.sheet.players, QStringList({"Зурко", "Пенва", "Лодыш"}));
    QCOMPARE(press.sheet.secondLeg.value(0), (kv::SheetMatch{"Аякс", "Милан", {}, {}, {}}));
    QCOMPARE(press.sheet.prizes.firstGift, dir + "images/team.bmp");
    QCOMPARE(press.dialogs.texts(kv::ScriptedDialogs::Kind::Information).size(), 1);
}

void TestTournamentPress::emptyTextsKeepTheirPlaces() {
    kvtest::WorkFolder folder;
    writeData(folder, QStringLiteral("0"));
    folder.writeBytes(QStringLiteral("bomb.txt"), QByteArray()); // an empty file: empty scorer
    kv::Tournament input = sampleInput();
    input.teams[0].clear();
    input.teams[2].clear();
    input.players[1].clear();
    Press press;
    press.run(input);

    const QStringList last = folder.lines(QStringLiteral("last.txt"));
    QCOMPARE(last, QStringList({"", "Аякс", "", "09.03.2024"}));
    QVERIFY(press.sheets.calls.contains(QStringLiteral("set b2=")));
    QVERIFY(press.sheets.calls.contains(QStringLiteral("set a3=")));
    QVERIFY(press.sheets.calls.contains(QStringLiteral("set d15=")));
    QVERIFY(press.handedOver == input);
    QVERIFY(press.dialogs.shown().isEmpty()); // flag "0": no award, no message
}

void TestTournamentPress::failureStopsThePress_data() {
    QTest::addColumn<QString>("breakIt");
    QTest::addColumn<bool>("lastWritten");
    QTest::addColumn<QString>("lastCall"); // the spreadsheet call that failed, "" for none

    const QString dir = kvtest::buildProgramDir();
    QTest::newRow("last.txt cannot be written") << "last dir" << false << "";
    QTest::newRow("gift1.txt missing") << "rm gift1.txt" << true << "";
    QTest::newRow("gift2.txt missing") << "rm gift2.txt" << true << "";
    QTest::newRow("bomb.txt missing") << "rm bomb.txt" << true << "";
    QTest::newRow("spreadsheet cannot be made") << "fail create" << true << "create";
    QTest::newRow("template missing") << "no template" << true << "open /nowhere/table.xlsx";
    QTest::newRow("first gift picture missing")
        << "gift1 gone" << true << "insert " + dir + "images/gone.bmp";
    QTest::newRow("second gift picture missing")
        << "gift2 gone" << true << "insert " + dir + "images/gone.bmp";
    QTest::newRow("workbook cannot be shown") << "fail visible" << true << "visible";
}

void TestTournamentPress::failureStopsThePress() {
    QFETCH(QString, breakIt);
    QFETCH(bool, lastWritten);
    QFETCH(QString, lastCall);

    kvtest::WorkFolder folder;
    writeData(folder, QStringLiteral("1")); // an award would show
    folder.write(QStringLiteral("last.txt"), {"old"});
    Press press;
    const QString gone = kvtest::imagePath(QStringLiteral("gone.bmp"));
    if (breakIt == QLatin1String("last dir")) {
        QFile::remove(folder.path(QStringLiteral("last.txt")));
        QDir(folder.path()).mkdir(QStringLiteral("last.txt"));
    } else if (breakIt.startsWith(QLatin1String("rm "))) {
        QFile::remove(folder.path(breakIt.mid(3)));
    } else if (breakIt.startsWith(QLatin1String("fail "))) {
        press.sheets.failAt = breakIt.mid(5);
    } else if (breakIt == QLatin1String("no template")) {
        press.services.files = kv::ProgramFiles(QStringLiteral("/nowhere"));
    } else if (breakIt == QLatin1String("gift1 gone")) {
        folder.write(QStringLiteral("gift1.txt"), {gone});
    } else if (breakIt == QLatin1String("gift2 gone")) {
        folder.write(QStringLiteral("gift2.txt"), {gone});
    }
    const QByteArray gift1 = folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray gift2 = folder.bytes(QStringLiteral("gift2.txt"));

    QVERIFY_THROWS_EXCEPTION(kv::Error, press.run(sampleInput()));

    if (lastWritten)
        QCOMPARE(folder.lines(QStringLiteral("last.txt")).size(), 4);
    else
        QVERIFY(press.sheets.calls.isEmpty());
    if (lastCall.isEmpty())
        QVERIFY(press.sheets.calls.isEmpty());
    else
        QCOMPARE(press.sheets.calls.last(), lastCall);
    // Nothing after the failing step: no results window, no award.
    QVERIFY(press.events.isEmpty());
    QVERIFY(press.dialogs.shown().isEmpty());
    QCOMPARE(folder.bytes(QStringLiteral("gift1.txt")), gift1);
    QCOMPARE(folder.bytes(QStringLiteral("gift2.txt")), gift2);
}

void TestTournamentPress::secondPressKeepsTheEveningsPrizes() {
    kvtest::WorkFolder folder;
    writeData(folder, QStringLiteral("1"));
    Press press;
    press.sheets.shows = false; // no spreadsheet program: the press still finishes
    press.run(sampleInput());
    QCOMPARE(press.events.first(), QStringLiteral("sheet window"));
    QVERIFY(press.events.contains(QStringLiteral("uncover")));
    const QByteArray gift1 = folder.bytes(QStringLiteral("gift1.txt"));
    const QByteArray gift2 = folder.bytes(QStringLiteral("gift2.txt"));
    const kv::TournamentSheet first = press.sheet;
    press.sheets.calls.clear();
    press.events.clear();
    press.dialogs.clear();

    press.run(sampleInput());
    // The sheet again with the previous tournament's prizes, and no second draw of gifts.
    QCOMPARE(press.sheets.calls.count(QStringLiteral("create")), 1);
    QVERIFY(press.sheets.calls.contains("insert " + kvtest::imagePath(QStringLiteral("team.bmp"))));
    QVERIFY(press.sheets.calls.contains("insert " +
                                        kvtest::imagePath(QStringLiteral("yellowcard.bmp"))));
    QCOMPARE(press.sheet, first);
    QCOMPARE(press.events, QStringList({"sheet window", "hand over"}));
    QVERIFY(press.dialogs.shown().isEmpty());
    QCOMPARE(folder.bytes(QStringLiteral("gift1.txt")), gift1);
    QCOMPARE(folder.bytes(QStringLiteral("gift2.txt")), gift2);
}

QTEST_GUILESS_MAIN(TestTournamentPress)
#include "test_tournamentpress.moc"
