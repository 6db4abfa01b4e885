#include "app/startup.h"
#include "common/dialogs.h"
#include "common/errors.h"
#include "common/random.h"
#include "common/settings.h"
#include "history/historystore.h"
#include "history/playerrename.h"
#include "pools/pools.h"
#include "testsupport.h"

#include "historydb.h"

#include <QFile>
#include <QSet>

using namespace kv;

namespace {

// A complete data folder: every pool of `perPool` teams named after its category, a best
// scorer nobody has, prizes that grant nothing, a last tournament and settings that ask nothing.
struct DataFolder : kvtest::WorkFolder {
    explicit DataFolder(int perPool = 10) {
        for (const PoolInfo& info : pools())
            write(info.file, kvtest::numbered(info.label + " ", perPool));
        write("bomb.txt", {"Никто!"});
        write("gift1.txt", {kvtest::imagePath("splayer.bmp")});
        write("gift2.txt", {kvtest::imagePath("yellowcard.bmp")});
        write("last.txt", {"Милан", "Интер", "Рома", "01.02.2024"});
        QStringList s = settings::defaultLines();
        s[0] = "0";
        write("settings.ini", s);
    }
};

// Logs all but `free` teams of a pool written by DataFolder.
QStringList logged(const QString& file, int free, int perPool = 10) {
    return kvtest::numbered(poolInfo(file)->label + " ", perPool).mid(free);
}

// The values of a result in the order the sequence fills them.
const QStringList kFillOrder{"bestScorer",     "poolTotal",     "log",         "group",
                             "currentPool",    "captionSuffix", "choiceItems", "lastThreeTeams",
                             "lastTournament", "playerNames",   "logAll"};

// The names of the values a run filled.
QStringList filled(const StartupResult& r) {
    QStringList names;
    const auto add = [&](bool has, const char* name) {
        if (has)
            names.append(QString::fromLatin1(name));
    };
    add(r.bestScorer.has_value(), "bestScorer");
    add(r.poolTotal.has_value(), "poolTotal");
    add(r.log.has_value(), "log");
    add(r.group.has_value(), "group");
    add(r.currentPool.has_value(), "currentPool");
    add(r.captionSuffix.has_value(), "captionSuffix");
    add(r.choiceItems.has_value(), "choiceItems");
    add(r.lastThreeTeams.has_value(), "lastThreeTeams");
    add(r.lastTournament.has_value(), "lastTournament");
    add(r.playerNames.has_value(), "playerNames");
    add(r.logAll.has_value(), "logAll");
    return names;
}

StartupResult run(ScriptedDialogs& dialogs, quint64 seed = 1) {
    StartupResult r;
    Random random(seed);
    runStartup(r, dialogs, random);
    return r;
}

// The text a run that must stop ends with; one that goes through gives a text no check expects.
QString stoppedRun(StartupResult& r, ScriptedDialogs& dialogs, quint64 seed) {
    Random random(seed);
    try {
        runStartup(r, dialogs, random);
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("no error");
}

QString groupName(PoolGroup g) {
    return g == PoolGroup::Clubs ? "clubs" : "national";
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void categoryGroup_data();
    void categoryGroup();
    void missingSettingsFileIsCreatedAndAsks();
    void logClearingRules_data();
    void logClearingRules();
    void exhaustedGroupFallsBackToTheOther_data();
    void exhaustedGroupFallsBackToTheOther();
    void noPoolWithThreeFreeTeamsStopsAtTheChoice();
    void candidateListAndChoiceItems();
    void giftGrants_data();
    void giftGrants();
    void privileges_data();
    void privileges();
    void bestScorerMarks_data();
    void bestScorerMarks();
    void missingFileStopsAtItsStep_data();
    void missingFileStopsAtItsStep();
    void renameLeftHalfDoneIsSettledBeforeTheFilesAreRead();
};

void TestStartup::categoryGroup_data() {
    QTest::addColumn<QStringList>("firstLines");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("group"); // clubs, national or random
    QTest::addColumn<bool>("asked");
    using A = Dialogs::Answer;
    QTest::newRow("ask: Yes") << QStringList{"1", "natteams"} << int(A::Yes) << "clubs" << true;
    QTest::newRow("ask: No") << QStringList{"1", "clubs"} << int(A::No) << "national" << true;
    QTest::newRow("ask: Cancel") << QStringList{"1", "clubs"} << int(A::Cancel) << "random" << true;
    QTest::newRow("ask: closed") << QStringList{"1", "clubs"} << int(A::Closed) << "random" << true;
    QTest::newRow("0 clubs") << QStringList{"0", "clubs"} << -1 << "clubs" << false;
    QTest::newRow("0 natteams") << QStringList{"0", "natteams"} << -1 << "national" << false;
    QTest::newRow("0 random") << QStringList{"0", "random"} << -1 << "random" << false;
    QTest::newRow("0 unknown setting") << QStringList{"0", "Natteams"} << -1 << "clubs" << false;
    QTest::newRow("flag 2") << QStringList{"2", "natteams"} << -1 << "clubs" << false;
    QTest::newRow("flag empty") << QStringList{"", "natteams"} << -1 << "clubs" << false;
    QTest::newRow("flag with a blank") << QStringList{"1 ", "natteams"} << -1 << "clubs" << false;
    // A file saved with no category selected: line 2 is the players' marker.
    QTest::newRow("nine lines, flag 0") << QStringList{"0"} << -1 << "clubs" << false;
    QTest::newRow("nine lines, flag 1") << QStringList{"1"} << int(A::No) << "national" << true;
}

void TestStartup::categoryGroup() {
    QFETCH(QStringList, firstLines);
    QFETCH(int, answer);
    QFETCH(QString, group);
    QFETCH(bool, asked);
    QSet<QString> groups;
    // One folder for all runs: the sequence changes none of its inputs here.
    DataFolder work;
    const QStringList rest{"[players]",       "Аня", "Боря", "Вова", "[gift]", "1",
                           "[log all teams]", "0"};
    work.write("settings.ini", firstLines + rest);
    for (int seed = 0; seed < 16; ++seed) {
        kvtest::StrictDialogs dialogs;
        if (answer >= 0)
            dialogs.queue(Dialogs::Answer(answer));
        const StartupResult r = run(dialogs, seed);
        QVERIFY(r.logAll.has_value());
        QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::YesNoCancel),
                 asked ? QStringList{kCategoryQuestion} : QStringList{});
        QCOMPARE(poolInfo(*r.currentPool)->group, *r.group);
        QCOMPARE(*r.playerNames, (QStringList{"Аня", "Боря", "Вова"}));
        QCOMPARE(*r.logAll, false);
        groups.insert(groupName(*r.group));
    }
    if (group == "random")
        QCOMPARE(groups, (QSet<QString>{"clubs", "national"}));
    else
        QCOMPARE(groups, QSet<QString>{group});
}

void TestStartup::missingSettingsFileIsCreatedAndAsks() {
    DataFolder work;
    QFile::remove(work.path("settings.ini"));
    work.write("bomb.txt", {"Зурко"}); // no settings names yet: the design name still marks
    kvtest::StrictDialogs dialogs;
    dialogs.queue(Dialogs::Answer::No);
    const StartupResult r = run(dialogs);
    QCOMPARE(r.bestScorer->marks, (std::array<bool, 3>{true, false, false}));
    QCOMPARE(dialogs.texts(), (QStringList{kSettingsCreatedMessage, kCategoryQuestion}));
    QCOMPARE(dialogs.shown()[1].buttons, (QStringList{"Клубы", "Сборные", "Случайно"}));
    QVERIFY(r.settingsCreated); // the players are asked for their names once the window is up
    QCOMPARE(work.lines("settings.ini"), settings::defaultLines());
    QCOMPARE(*r.group, PoolGroup::NationalTeams);
    QCOMPARE(*r.playerNames, (QStringList{"Player 1", "Player 2", "Player 3"}));
    QVERIFY(*r.logAll);
}

void TestStartup::logClearingRules_data() {
    QTest::addColumn<int>("perPool");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("cleared");
    // Seven pools: 9, 9, 9, 9, 9, 9, 6 = 60 lines. Old teams are in no pool.
    QTest::newRow("60 pool lines, 58 logged") << -1 << kvtest::numbered("old ", 58) << 1 << true;
    QTest::newRow("60 pool lines, 57 logged") << -1 << kvtest::numbered("old ", 57) << 0 << false;
    QStringList allButTwo;
    for (const PoolInfo& info : pools())
        allButTwo += logged(info.file, 2);
    QTest::newRow("every pool exhausted") << 10 << allButTwo << 1 << true;
    QStringList allButThreeOfOne = allButTwo;
    allButThreeOfOne.removeOne(poolInfo("superteams.txt")->label + " 3");
    QTest::newRow("one pool with three free") << 10 << allButThreeOfOne << 0 << false;
    // 60 lines logged against 70: not the first rule; the second then finds room everywhere.
    QTest::newRow("first rule empties, second sees an empty log")
        << 10 << kvtest::numbered("old ", 68) << 1 << true;
}

void TestStartup::logClearingRules() {
    QFETCH(int, perPool);
    QFETCH(QStringList, log);
    QFETCH(int, messages);
    QFETCH(bool, cleared);
    DataFolder work(perPool < 0 ? 9 : perPool);
    if (perPool < 0)
        work.write("superteams.txt", kvtest::numbered("S", 6));
    work.write(kLogFile, log);
    kvtest::StrictDialogs dialogs;
    const StartupResult r = run(dialogs);
    QVERIFY(r.logAll.has_value());
    QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::Information),
             QStringList(messages, "All last teams cleared!"));
    QCOMPARE(work.lines(kLogFile), cleared ? QStringList{} : log);
    QCOMPARE(*r.log, cleared ? QStringList{} : log);
    QCOMPARE(work.lines("temp").size(), r.choiceItems->size());
}

void TestStartup::exhaustedGroupFallsBackToTheOther_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("exhaustedPools");
    QTest::addColumn<QStringList>("possible");
    const QStringList clubs{"teams4.txt", "teams45.txt", "teams5.txt", "superteams.txt"};
    const QStringList national{"natteams4.txt", "natteams45.txt", "natteams5.txt"};
    QTest::newRow("clubs asked, every club pool used up")
        << int(Dialogs::Answer::Yes) << clubs << national;
    QTest::newRow("national teams asked, every national pool used up")
        << int(Dialogs::Answer::No) << national << clubs;
    QTest::newRow("clubs asked, only super clubs left")
        << int(Dialogs::Answer::Yes) << clubs.mid(0, 3) << QStringList{"superteams.txt"};
    QTest::newRow("national teams asked, only 5* left")
        << int(Dialogs::Answer::No) << QStringList{"natteams4.txt", "natteams45.txt"}
        << QStringList{"natteams5.txt"};
}

void TestStartup::exhaustedGroupFallsBackToTheOther() {
    QFETCH(int, answer);
    QFETCH(QStringList, exhaustedPools);
    QFETCH(QStringList, possible);
    QSet<QString> chosen;
    DataFolder work;
    work.write("settings.ini", settings::defaultLines());
    QStringList log;
    for (const QString& file : exhaustedPools)
        log += logged(file, 2);
    work.write(kLogFile, log);
    for (int seed = 0; seed < 24; ++seed) {
        kvtest::StrictDialogs dialogs;
        dialogs.queue(Dialogs::Answer(answer));
        const StartupResult r = run(dialogs, seed);
        QVERIFY(r.logAll.has_value());
        QVERIFY2(possible.contains(*r.currentPool), qPrintable(*r.currentPool));
        QCOMPARE(*r.captionSuffix, poolInfo(*r.currentPool)->captionSuffix);
        QCOMPARE(work.lines(kLogFile), log); // nothing cleared
        chosen.insert(*r.currentPool);
    }
    QCOMPARE(chosen, QSet<QString>(possible.cbegin(), possible.cend()));
}

void TestStartup::noPoolWithThreeFreeTeamsStopsAtTheChoice() {
    // Pools of two lines: the log is cleared, yet no tournament can be made.
    DataFolder work(2);
    kvtest::StrictDialogs dialogs;
    StartupResult r;
    QCOMPARE(stoppedRun(r, dialogs, 5), kNoPoolMessage);
    QCOMPARE(filled(r), (QStringList{"bestScorer", "poolTotal", "log", "group"}));
    QCOMPARE(*r.poolTotal, 14);
}

void TestStartup::candidateListAndChoiceItems() {
    DataFolder work;
    QStringList s = settings::defaultLines();
    s[0] = "0";
    s[1] = "clubs";
    work.write("settings.ini", s);
    // Every club pool but teams45 is used up, so the choice is certain.
    for (const QString& f : QStringList{"teams4.txt", "teams5.txt", "superteams.txt"})
        work.write(f, {"a", "b"});
    work.write("teams45.txt", {"Зенит", "арсенал", "Бавария", "Зенит", "Арсенал", "Аякс", "ajax"});
    work.write(kLogFile, {"Бавария", "Аякс", "Аякс", "АЯКС"});
    kvtest::StrictDialogs dialogs;
    const StartupResult r = run(dialogs);
    QCOMPARE(*r.currentPool, QStringLiteral("teams45.txt"));
    QCOMPARE(*r.captionSuffix, QStringLiteral(" - Клубы 4,5*"));
    QCOMPARE(work.lines("temp"), (QStringList{"Зенит", "арсенал", "Зенит", "Арсенал", "ajax"}));
    QCOMPARE(*r.choiceItems, (QStringList{"ajax", "Арсенал", "арсенал", "Зенит", "Зенит"}));
    QCOMPARE(*r.poolTotal, 2 + 7 + 2 + 2 + 3 * 10);
}

void TestStartup::giftGrants_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("teamChoice");
    QTest::addColumn<bool>("exceptChoice");
    QTest::newRow("team choice") << kvtest::imagePath("team.bmp") << true << false;
    QTest::newRow("except-choice") << kvtest::imagePath("unteam.bmp") << false << true;
    QTest::newRow("another prize") << kvtest::imagePath("splayer.bmp") << false << false;
    // Gift files outlive moves of the program: the picture's file name decides.
    QTest::newRow("another program folder") << "/opt/old-kickvale/images/team.bmp" << true << false;
    QTest::newRow("Windows path of the old program")
        << "C:\\Games\\Kickvale\\images\\team.bmp" << true << false;
    QTest::newRow("letter case of an old file") << "C:\\GAMES\\IMAGES\\UnTeam.BMP" << false << true;
    QTest::newRow("mixed separators") << "D:/kv\\images/team.bmp" << true << false;
    QTest::newRow("name only inside a folder name") << "/x/team.bmp/other.bmp" << false << false;
    QTest::newRow("trailing blank") << kvtest::imagePath("team.bmp") + " " << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestStartup::giftGrants() {
    QFETCH(QString, line);
    QFETCH(bool, teamChoice);
    QFETCH(bool, exceptChoice);
    const GiftGrants g = kv::giftGrants(line);
    QCOMPARE(g.teamChoice, teamChoice);
    QCOMPARE(g.exceptChoice, exceptChoice);
}

using Flags = std::array<bool, 3>;

void TestStartup::privileges_data() {
    QTest::addColumn<QString>("bomb");
    QTest::addColumn<QStringList>("gifts");
    QTest::addColumn<int>("free");
    QTest::addColumn<QString>("except"); // "123" style: enabled slots
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("lastThree");
    const auto row = [](const char* name, const char* bomb, const QStringList& gifts, int free,
                        const char* except, const char* choice, bool lastThree = false) {
        QTest::newRow(name) << bomb << gifts << free << except << choice << lastThree;
    };
    row("nothing", "Никто!", {"splayer.bmp", "redcard.bmp"}, 10, "", "");
    row("best scorer of slot 2", "Пенва", {"splayer.bmp", "redcard.bmp"}, 10, "2", "");
    row("team-choice prize", "Никто!", {"redcard.bmp", "team.bmp"}, 10, "", "123");
    row("both prizes and a mark", "Лодыш", {"unteam.bmp", "team.bmp"}, 10, "123", "123");
    row("three free teams override everything", "Зурко", {"unteam.bmp", "team.bmp"}, 3, "", "",
        true);
    row("four free teams", "Зурко", {"splayer.bmp", "splayer.bmp"}, 4, "1", "");
}

void TestStartup::privileges() {
    QFETCH(QString, bomb);
    QFETCH(QStringList, gifts);
    QFETCH(int, free);
    QFETCH(QString, except);
    QFETCH(QString, choice);
    QFETCH(bool, lastThree);
    DataFolder work;
    for (const QString& f : QStringList{"teams4.txt", "teams45.txt", "teams5.txt"})
        work.write(f, {"a", "b"});
    work.write(kLogFile, logged("superteams.txt", free));
    work.write("bomb.txt", {bomb});
    work.write("gift1.txt", {kvtest::imagePath(gifts[0])});
    work.write("gift2.txt", {kvtest::imagePath(gifts[1])});
    kvtest::StrictDialogs dialogs;
    const StartupResult r = run(dialogs);
    QVERIFY(r.logAll.has_value());
    QCOMPARE(*r.currentPool, QStringLiteral("superteams.txt"));
    QCOMPARE(r.choiceItems->size(), free);
    const auto enabledSlots = [](const Flags& f) {
        QString s;
        for (int i = 0; i < 3; ++i)
            if (f[i])
                s += QString::number(i + 1);
        return s;
    };
    QCOMPARE(enabledSlots(r.exceptChoiceEnabled), except);
    QCOMPARE(enabledSlots(r.teamChoiceEnabled), choice);
    QCOMPARE(*r.lastThreeTeams, lastThree);
}

void TestStartup::bestScorerMarks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("settingsNames");
    QTest::addColumn<QString>("marked");
    const QStringList names{"Аня", "Боря", "Вова"};
    QTest::newRow("design name of slot 2") << "Пенва" << names << "2";
    QTest::newRow("settings name of slot 3") << "Вова" << names << "3";
    QTest::newRow("settings name of slot 1") << "Аня" << names << "1";
    QTest::newRow("nobody") << "Никто!" << names << "";
    QTest::newRow("letter case differs") << "пенва" << names << "";
    QTest::newRow("empty name never marks an empty slot") << "" << QStringList{"", "Б", "В"} << "";
    QTest::newRow("no settings names") << "Лодыш" << QStringList{} << "3";
    // The settings name decides; a design-time caption counts only when no settings name fits.
    const QStringList shuffled{"Пенва", "Зурко", "Лодыш"};
    QTest::newRow("design names in another order: slot 1") << "Пенва" << shuffled << "1";
    QTest::newRow("design names in another order: slot 2") << "Зурко" << shuffled << "2";
    QTest::newRow("design name taken by nobody")
        << "Лодыш" << QStringList{"Пенва", "Б", "В"} << "3";
}

void TestStartup::bestScorerMarks() {
    QFETCH(QString, name);
    QFETCH(QStringList, settingsNames);
    QFETCH(QString, marked);
    const Flags m = kv::bestScorerMarks(name, settingsNames);
    QString got;
    for (int i = 0; i < 3; ++i)
        if (m[i])
            got += QString::number(i + 1);
    QCOMPARE(got, marked);

    // The same through the whole sequence, with the names in the settings file.
    DataFolder work;
    if (!settingsNames.isEmpty())
        work.writeSettings({.players = settingsNames});
    work.write("bomb.txt", {name});
    kvtest::StrictDialogs dialogs;
    const StartupResult r = run(dialogs);
    QCOMPARE(r.bestScorer->name, name);
    QCOMPARE(r.bestScorer->marks, m);
    QCOMPARE(r.exceptChoiceEnabled, m);
}

void TestStartup::missingFileStopsAtItsStep_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("content");    // empty: the file is removed
    QTest::addColumn<QString>("lastFilled"); // the last value the sequence reached
    QTest::addColumn<QString>("error");
    const auto missing = [](const QString& file, const char* lastFilled,
                            const char* name = nullptr) {
        QTest::newRow(name ? name : qPrintable(file))
            << file << QString() << lastFilled << "Cannot open file \"" + file + '"';
    };
    missing("bomb.txt", "");
    missing("natteams45.txt", "bestScorer", "a pool");
    missing("gift1.txt", "choiceItems");
    missing("gift2.txt", "choiceItems");
    missing("last.txt", "lastThreeTeams");
    QTest::newRow("log-all flag not a number")
        << "settings.ini"
        << "0\nclubs\n[players]\nA\nB\nC\n[gift]\n1\n[log all teams]\nда"
        << "playerNames"
        << "'да' is not a valid integer value";
}

void TestStartup::missingFileStopsAtItsStep() {
    QFETCH(QString, file);
    QFETCH(QString, content);
    QFETCH(QString, lastFilled);
    QFETCH(QString, error);
    DataFolder work;
    // gift1 grants team choice: when gift2 fails, that grant has already been made.
    work.write("gift1.txt", {kvtest::imagePath("team.bmp")});
    if (content.isEmpty())
        QVERIFY(QFile::remove(work.path(file)));
    else
        work.write(file, content.split('\n'));
    kvtest::StrictDialogs dialogs;
    StartupResult r;
    const QString told = stoppedRun(r, dialogs, 1);
    QVERIFY2(told.startsWith(error), qPrintable(told));
    // Everything up to the failing step is filled, nothing after it.
    QCOMPARE(filled(r), kFillOrder.mid(0, kFillOrder.indexOf(lastFilled) + 1));
    QCOMPARE(r.teamChoiceEnabled[0], file == "gift2.txt" || r.lastThreeTeams.has_value());
}

void TestStartup::renameLeftHalfDoneIsSettledBeforeTheFilesAreRead() {
    DataFolder work;
    work.writeSettings({.players = {"Аня", "Боря", "Вова"}});
    work.write("bomb.txt", {"Аня"});
    kvtest::createBaseDb();
    HistoryStore().writeTournament("01_03_2024__19_00_00",
                                   kvtest::sampleTournament({"Аня", "Боря", "Вова"}));
    // Past the commit the rename goes no further, as if the program had been killed there.
    try {
        HistoryStore db;
        renamePlayersEverywhere(db, {{"Аня", "Анна"}},
                                kvtest::Settings{.players = {"Анна", "Боря", "Вова"}}.lines(),
                                [](RenameStep step) {
                                    if (step == RenameStep::Committed)
                                        throw 0;
                                });
    } catch (int) {
    }
    kvtest::StrictDialogs dialogs;
    const StartupResult r = run(dialogs);
    QCOMPARE(*r.playerNames, (QStringList{"Анна", "Боря", "Вова"}));
    QCOMPARE(r.bestScorer->name, QStringLiteral("Анна"));
    QCOMPARE(r.bestScorer->marks, (Flags{true, false, false}));
    QVERIFY(!work.exists(kRenameMarkFile));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
