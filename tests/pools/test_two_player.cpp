#include "common/errors.h"
#include "common/random.h"
#include "pools/two_player.h"
#include "testsupport.h"

#include <QDir>
#include <QSet>

using namespace kv;

class TestTwoPlayer : public QObject {
    Q_OBJECT
private slots:
    void alwaysTwoDifferentTeamsAndEveryLineReachable_data();
    void alwaysTwoDifferentTeamsAndEveryLineReachable();
    void poolWithoutTwoDifferentLinesIsRefused_data();
    void poolWithoutTwoDifferentLinesIsRefused();
    void clockSeededGeneratorFindsTheOneOtherTeam();
    void clubsComeFromOneOfThreePoolsEachReachable();
    void nationalTeamsComeFromTheirOwnFile();
    void missingPoolReportsTheFile();
};

void TestTwoPlayer::alwaysTwoDifferentTeamsAndEveryLineReachable_data() {
    QTest::addColumn<QStringList>("pool");
    QTest::newRow("two names") << QStringList{"Ajax", "PSV"};
    QTest::newRow("one name twice") << QStringList{"Ajax", "Ajax", "PSV"};
    QTest::newRow("empty line counts") << QStringList{"Ajax", "", "PSV"};
    QTest::newRow("case differs") << QStringList{"ajax", "Ajax"};
    QTest::newRow("ten") << kvtest::numbered("Club ", 10);
}

void TestTwoPlayer::alwaysTwoDifferentTeamsAndEveryLineReachable() {
    QFETCH(QStringList, pool);
    Random random(42);
    QSet<QString> firsts, seconds;
    for (int i = 0; i < 400; ++i) {
        const TwoTeams teams = drawTwoTeams("p.txt", pool, random);
        QVERIFY(teams.first != teams.second);
        QVERIFY(pool.contains(teams.first));
        QVERIFY(pool.contains(teams.second));
        firsts.insert(teams.first);
        seconds.insert(teams.second);
    }
    const QSet<QString> all(pool.begin(), pool.end());
    QCOMPARE(firsts, all);
    QCOMPARE(seconds, all);
}

void TestTwoPlayer::poolWithoutTwoDifferentLinesIsRefused_data() {
    QTest::addColumn<QStringList>("pool");
    QTest::newRow("empty") << QStringList{};
    QTest::newRow("one name") << QStringList{"Ajax"};
    QTest::newRow("same name on every line") << QStringList{"Ajax", "Ajax", "Ajax"};
    QTest::newRow("only empty lines") << QStringList{"", ""};
}

void TestTwoPlayer::poolWithoutTwoDifferentLinesIsRefused() {
    QFETCH(QStringList, pool);
    Random random(1);
    try {
        drawTwoTeams("natteams.txt", pool, random);
        QFAIL("a pool without two different teams must be refused");
    } catch (const Error& e) {
        QVERIFY2(e.text().contains("\"natteams.txt\""), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QStringLiteral("нет двух разных команд")), qPrintable(e.text()));
    }
}

void TestTwoPlayer::clockSeededGeneratorFindsTheOneOtherTeam() {
    // Re-seeding before every try must not repeat the same pick for ever.
    Random random;
    QStringList pool(50, "Ajax");
    pool.append("PSV");
    for (int i = 0; i < 20; ++i) {
        const TwoTeams teams = drawTwoTeams("p.txt", pool, random);
        QVERIFY(teams.first != teams.second);
    }
}

void TestTwoPlayer::clubsComeFromOneOfThreePoolsEachReachable() {
    kvtest::WorkFolder folder;
    folder.write("teams4.txt", {"A4", "B4"});
    folder.write("teams45.txt", {"A45", "B45", "C45"});
    folder.write("teams5.txt", {"A5", "B5"});
    folder.write("natteams.txt", {"N1", "N2"});
    const QStringList before = QDir(folder.path()).entryList(QDir::Files);
    Random random(7);
    QSet<QString> files;
    for (int i = 0; i < 300; ++i) {
        const TwoTeams teams = drawTwoClubs(random);
        files.insert(teams.file);
        const QStringList pool = folder.lines(teams.file);
        QVERIFY(pool.contains(teams.first));
        QVERIFY(pool.contains(teams.second));
        QVERIFY(teams.first != teams.second);
    }
    QCOMPARE(files, (QSet<QString>{"teams4.txt", "teams45.txt", "teams5.txt"}));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), before); // nothing written
}

void TestTwoPlayer::nationalTeamsComeFromTheirOwnFile() {
    kvtest::WorkFolder folder;
    folder.write("natteams.txt", {QStringLiteral("Россия"), QStringLiteral("Бразилия")});
    Random random(3);
    const TwoTeams teams = drawTwoNationalTeams(random);
    QCOMPARE(teams.file, QStringLiteral("natteams.txt"));
    QCOMPARE(QSet<QString>({teams.first, teams.second}),
             (QSet<QString>{QStringLiteral("Россия"), QStringLiteral("Бразилия")}));
}

void TestTwoPlayer::missingPoolReportsTheFile() {
    kvtest::WorkFolder folder;
    Random random(3);
    try {
        drawTwoNationalTeams(random);
        QFAIL("a missing pool must fail");
    } catch (const Error& e) {
        QVERIFY2(e.text().startsWith("Cannot open file \"natteams.txt\"."), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestTwoPlayer)
#include "test_two_player.moc"
