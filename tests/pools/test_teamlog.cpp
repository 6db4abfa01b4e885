#include "common/dialogs.h"
#include "common/errors.h"
#include "pools/pools.h"
#include "pools/teamlog.h"
#include "testsupport.h"

#include <QDir>

using namespace kv;

class TestTeamLog : public QObject {
    Q_OBJECT
private slots:
    void exhaustion_data();
    void exhaustion();
    void clearingBound_data();
    void clearingBound();
    void secondRuleTestsInOrderAndStopsAtFirstFreePool();
    void missingLogIsCreatedSilently();
    void unreadableLogIsNeverReplaced();
    void appendAddsThreeLinesInSlotOrder_data();
    void appendAddsThreeLinesInSlotOrder();
    void appendToMissingLogSaysSoOnce();
};

void TestTeamLog::exhaustion_data() {
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("exhausted");
    const QStringList ten = kvtest::numbered("T", 10);
    QTest::newRow("7 of 10 logged: 3 free") << ten << ten.mid(0, 7) << false;
    QTest::newRow("8 of 10 logged") << ten << ten.mid(0, 8) << true;
    QTest::newRow("one team logged 8 times") << ten << QStringList(8, "T1") << true;
    QTest::newRow("pool of two, empty log") << QStringList{"A", "B"} << QStringList{} << true;
    QTest::newRow("pool of three, empty log")
        << QStringList{"A", "B", "C"} << QStringList{} << false;
    QTest::newRow("team twice in the pool, once in the log")
        << QStringList{"A", "A", "B", "C", "D"} << QStringList{"A"} << false;
    QTest::newRow("team twice in the pool, twice in the log: four matches")
        << QStringList{"A", "A", "B", "C", "D"} << QStringList{"A", "A"} << true;
    QTest::newRow("letter case makes a different team")
        << QStringList{"Milan", "Inter", "Roma"} << QStringList{"MILAN", "inter"} << false;
    QTest::newRow("trailing blank makes a different team")
        << QStringList{"Milan", "Inter", "Roma"} << QStringList{"Milan "} << false;
}

void TestTeamLog::exhaustion() {
    QFETCH(QStringList, pool);
    QFETCH(QStringList, log);
    QFETCH(bool, exhausted);
    QCOMPARE(PoolExhausted(pool, countEachLine(log)), exhausted);
    kvtest::WorkFolder work;
    work.write("pool.txt", pool);
    work.write(kLogFile, log);
    QCOMPARE(PoolExhausted("pool.txt"), exhausted);
}

void TestTeamLog::clearingBound_data() {
    QTest::addColumn<int>("poolTotal");
    QTest::addColumn<int>("logLines");
    QTest::addColumn<bool>("clear");
    QTest::newRow("60 / 58") << 60 << 58 << true;
    QTest::newRow("60 / 57") << 60 << 57 << false;
    QTest::newRow("60 / 59") << 60 << 59 << true;
    QTest::newRow("tiny pools, empty log") << 2 << 0 << true;
    QTest::newRow("no pools at all") << 0 << 0 << true;
}

void TestTeamLog::clearingBound() {
    QFETCH(int, poolTotal);
    QFETCH(int, logLines);
    QFETCH(bool, clear);
    QCOMPARE(logTooLong(logLines, poolTotal), clear);
}

void TestTeamLog::secondRuleTestsInOrderAndStopsAtFirstFreePool() {
    QStringList asked;
    const QStringList free = kvtest::numbered("F", 5);
    const auto lines = [&](const QString& file) {
        asked.append(file);
        return file == "natteams45.txt" ? free : QStringList{"only", "two"};
    };
    QVERIFY(!allPoolsExhausted(lines, LineCounts{}));
    QCOMPARE(asked, (QStringList{"teams5.txt", "teams4.txt", "teams45.txt", "natteams4.txt",
                                 "natteams45.txt"}));

    asked.clear();
    const auto tiny = [&](const QString& file) {
        asked.append(file);
        return QStringList{"only", "two"};
    };
    QVERIFY(allPoolsExhausted(tiny, LineCounts{}));
    QCOMPARE(asked.size(), 7);
    QCOMPARE(asked.last(), QStringLiteral("superteams.txt"));
}

void TestTeamLog::missingLogIsCreatedSilently() {
    kvtest::WorkFolder work;
    QCOMPARE(openOrCreateLog(), QStringList{});
    QVERIFY(work.exists(kLogFile));
    QCOMPARE(work.bytes(kLogFile), QByteArray());
    work.write(kLogFile, {"A", "B"});
    QCOMPARE(openOrCreateLog(), (QStringList{"A", "B"}));
}

void TestTeamLog::unreadableLogIsNeverReplaced() {
    // Something that exists but is no readable file: the teams it may hold must survive.
    kvtest::WorkFolder work;
    QVERIFY(QDir(work.path()).mkdir(kLogFile));
    QVERIFY_THROWS_EXCEPTION(Error, openOrCreateLog());
    kvtest::StrictDialogs dialogs;
    QVERIFY_THROWS_EXCEPTION(Error, appendTeamsToLog({"A", "B", "C"}, dialogs));
    QVERIFY(dialogs.texts(ScriptedDialogs::Kind::Information).isEmpty());
    QVERIFY(QFileInfo(work.path(kLogFile)).isDir());
}

void TestTeamLog::appendAddsThreeLinesInSlotOrder_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("oldLines");
    QTest::addColumn<QStringList>("teams");
    QTest::newRow("empty log") << QByteArray() << QStringList{} << QStringList{"A", "B", "C"};
    QTest::newRow("two tournaments")
        << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n") << kvtest::numbered("", 6)
        << QStringList{"Зенит", "Спартак", "ЦСКА"};
    QTest::newRow("no final line break")
        << QByteArray("X\r\nY") << QStringList{"X", "Y"} << QStringList{"A", "B", "C"};
    QTest::newRow("an empty box is an empty line")
        << QByteArray("X\r\n") << QStringList{"X"} << QStringList{"A", "", "C"};
}

void TestTeamLog::appendAddsThreeLinesInSlotOrder() {
    QFETCH(QByteArray, before);
    QFETCH(QStringList, oldLines);
    QFETCH(QStringList, teams);
    kvtest::WorkFolder work;
    work.writeBytes(kLogFile, before);
    kvtest::StrictDialogs dialogs;
    appendTeamsToLog(teams, dialogs);
    QCOMPARE(work.lines(kLogFile), oldLines + teams);
    QVERIFY(work.bytes(kLogFile).endsWith("\r\n"));
    QVERIFY(dialogs.texts().isEmpty());
}

void TestTeamLog::appendToMissingLogSaysSoOnce() {
    kvtest::WorkFolder work;
    kvtest::StrictDialogs dialogs;
    appendTeamsToLog({"A", "B", "C"}, dialogs);
    QCOMPARE(dialogs.texts(), QStringList{"file not found, new"});
    QCOMPARE(work.bytes(kLogFile), QByteArray("A\r\nB\r\nC\r\n"));
    appendTeamsToLog({"D", "E", "F"}, dialogs);
    QCOMPARE(dialogs.texts().size(), 1);
    QCOMPARE(work.lines(kLogFile).size(), 6);
}

QTEST_GUILESS_MAIN(TestTeamLog)
#include "test_teamlog.moc"
