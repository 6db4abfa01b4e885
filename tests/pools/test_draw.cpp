#include "common/random.h"
#include "pools/draw.h"
#include "testsupport.h"

#include <QHash>
#include <QSet>

using namespace kv;

using Teams = std::array<QString, 3>;
Q_DECLARE_METATYPE(Teams)

namespace {
Teams teams(const QStringList& list) {
    return {list.value(0), list.value(1), list.value(2)};
}
// A log's lines as its file holds them.
QString logText(const QStringList& log) {
    return log.isEmpty() ? QString() : log.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
} // namespace

class TestDraw : public QObject {
    Q_OBJECT
private slots:
    void refusalRules_data();
    void refusalRules();
    void filledBoxesAreKept();
    void acceptedTeamIsUniformOverAcceptableLines();
    void attemptLimitEndsTheDraw();
    void slotThatNoLineCanPass_data();
    void slotThatNoLineCanPass();
};

void TestDraw::refusalRules_data() {
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("except");
    QTest::addColumn<QStringList>("last");
    QTest::addColumn<bool>("refuseLast");
    QTest::addColumn<bool>("refuseLogged");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("never");
    QTest::addColumn<QStringList>("sometimes");
    // Pool: A..F. Each row looks at one drawn slot over many seeds.
    const QStringList none{"", "", ""};
    QTest::newRow("chosen teams of slots 1 and 3 are never slot 2's")
        << QStringList{"A", "", "B"} << none << none << false << false << QStringList{} << 1
        << QStringList{"A", "B"} << QStringList{"C", "D", "E", "F"};
    QTest::newRow("slot 3 never gets the teams drawn for slots 1 and 2")
        << QStringList{"", "", ""} << none << none << false << false << QStringList{} << 2
        << QStringList{} << QStringList{"A", "F"};
    QTest::newRow("except-choice of slot 1 refused for slot 1")
        << QStringList{"", "X", "Y"} << QStringList{"C", "", ""} << none << false << false
        << QStringList{} << 0 << QStringList{"C"} << QStringList{"A", "D"};
    QTest::newRow("except-choice of slot 1 is free for slot 2")
        << QStringList{"X", "", "Y"} << QStringList{"C", "", ""} << none << false << false
        << QStringList{} << 1 << QStringList{} << QStringList{"C"};
    QTest::newRow("last team of slot 2 refused while the option is on")
        << QStringList{"X", "", "Y"} << none << QStringList{"A", "D", "B"} << true << false
        << QStringList{} << 1 << QStringList{"D"} << QStringList{"A", "B"};
    QTest::newRow("last team allowed with the option off")
        << QStringList{"X", "", "Y"} << none << QStringList{"A", "D", "B"} << false << false
        << QStringList{} << 1 << QStringList{} << QStringList{"D"};
    QTest::newRow("logged teams refused while the option is on")
        << QStringList{"", "X", "Y"} << none << none << false << true
        << QStringList{"A", "B", "B", "Z"} << 0 << QStringList{"A", "B"} << QStringList{"C", "F"};
    QTest::newRow("logged teams allowed with the option off")
        << QStringList{"", "X", "Y"} << none << none << false << false
        << QStringList{"A", "B", "B", "Z"} << 0 << QStringList{} << QStringList{"A", "B"};
    QTest::newRow("every rule at once")
        << QStringList{"", "A", ""} << QStringList{"B", "", ""} << QStringList{"C", "", ""} << true
        << true << QStringList{"D"} << 0 << QStringList{"A", "B", "C", "D"}
        << QStringList{"E", "F"};
}

void TestDraw::refusalRules() {
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, except);
    QFETCH(QStringList, last);
    QFETCH(bool, refuseLast);
    QFETCH(bool, refuseLogged);
    QFETCH(QStringList, log);
    QFETCH(int, slot);
    QFETCH(QStringList, never);
    QFETCH(QStringList, sometimes);
    const QStringList pool{"A", "B", "C", "D", "E", "F"};
    const DrawSlots board{teams(boxes), teams(except), teams(last)};
    QSet<QString> seen;
    for (int seed = 0; seed < 300; ++seed) {
        Random random(seed);
        const DrawResult r =
            drawTeams(board, {refuseLast, refuseLogged}, pool, logText(log), 100, random);
        QCOMPARE(int(r.outcome), int(DrawResult::Outcome::Ok));
        const QSet<QString> three(r.teams.cbegin(), r.teams.cend());
        QCOMPARE(three.size(), 3);
        QVERIFY2(!never.contains(r.teams[slot]), qPrintable(r.teams[slot]));
        seen.insert(r.teams[slot]);
    }
    for (const QString& team : sometimes)
        QVERIFY2(seen.contains(team), qPrintable(team));
}

void TestDraw::filledBoxesAreKept() {
    const QStringList pool{"A", "B", "C", "D"};
    Random random(7);
    // Typed teams that are in no pool stay; only the empty box is drawn.
    DrawResult r =
        drawTeams({teams({"Мой клуб", "", "Ещё один"}), {}, {}}, {}, pool, {}, 10, random);
    QCOMPARE(r.teams[0], QStringLiteral("Мой клуб"));
    QCOMPARE(r.teams[2], QStringLiteral("Ещё один"));
    QVERIFY(pool.contains(r.teams[1]));
    // A second press with every box filled changes nothing, even against refusing rules.
    const Teams full = teams({"A", "A", "B"});
    r = drawTeams({full, teams({"A", "A", "B"}), teams({"A", "A", "B"})}, {true, true}, pool,
                  logText({"A", "B"}), 10, random);
    QCOMPARE(int(r.outcome), int(DrawResult::Outcome::Ok));
    QCOMPARE(r.teams, full);
}

void TestDraw::acceptedTeamIsUniformOverAcceptableLines() {
    // "A" stands on two lines, "R" is refused: of the seven acceptable lines A holds two.
    const QStringList pool{"A", "A", "B", "C", "D", "E", "R", "F"};
    Random random(2024);
    QHash<QString, int> count;
    const int draws = 14000;
    for (int i = 0; i < draws; ++i) {
        const DrawResult r =
            drawTeams({teams({"", "X", "Y"}), teams({"R", "", ""}), {}}, {}, pool, {}, 100, random);
        ++count[r.teams[0]];
    }
    QCOMPARE(count.value("R"), 0);
    const double expectedSingle = draws / 7.0; // 2000
    for (const char* team : {"B", "C", "D", "E", "F"})
        QVERIFY2(qAbs(count.value(team) - expectedSingle) < 150, team);
    QVERIFY(qAbs(count.value("A") - 2 * expectedSingle) < 210);
}

void TestDraw::attemptLimitEndsTheDraw() {
    // Every line is logged: candidates keep passing the other rules until the limit fires.
    const QStringList pool{"A", "B", "C", "D", "E"};
    Random random(3);
    const DrawResult r =
        drawTeams({teams({"", "", ""}), {}, {}}, {false, true}, pool, logText(pool), 5, random);
    QCOMPARE(int(r.outcome), int(DrawResult::Outcome::AttemptLimit));
    QCOMPARE(r.slot, 0);
    QVERIFY(pool.contains(r.teams[0]));
    QVERIFY(r.teams[1].isEmpty() && r.teams[2].isEmpty());
    // Slot 2 runs out after slot 1 found its last free team.
    const DrawResult second = drawTeams({teams({"", "", ""}), {}, {}}, {false, true}, pool,
                                        logText(pool.mid(1)), 5, random);
    QCOMPARE(int(second.outcome), int(DrawResult::Outcome::AttemptLimit));
    QCOMPARE(second.slot, 1);
    QCOMPARE(second.teams[0], QStringLiteral("A"));
}

void TestDraw::slotThatNoLineCanPass_data() {
    QTest::addColumn<QStringList>("pool");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("except");
    QTest::addColumn<QStringList>("last");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("empty pool") << QStringList{} << QStringList{"", "", ""} << QStringList{}
                                << QStringList{} << 0 << QStringList{"", "", ""};
    QTest::newRow("one line: slot 2 has nothing left")
        << QStringList{"A"} << QStringList{"", "", ""} << QStringList{} << QStringList{} << 1
        << QStringList{"A", "", ""};
    QTest::newRow("other teams, except-choice and last team cover the pool")
        << QStringList{"A", "B", "C"} << QStringList{"A", "X", ""} << QStringList{"", "", "B"}
        << QStringList{"", "", "C"} << 2 << QStringList{"A", "X", ""};
    QTest::newRow("last team refused after the others") // slot 3 never gets D, others do
        << QStringList{"D", "E", "F"} << QStringList{"", "", ""} << QStringList{}
        << QStringList{"", "", "D"} << -1 << QStringList{};
}

void TestDraw::slotThatNoLineCanPass() {
    QFETCH(QStringList, pool);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, except);
    QFETCH(QStringList, last);
    QFETCH(int, slot);
    QFETCH(QStringList, left);
    for (int seed = 0; seed < 20; ++seed) {
        Random random(seed);
        const DrawResult r = drawTeams({teams(boxes), teams(except), teams(last)}, {true, false},
                                       pool, {}, 1000, random);
        if (slot < 0) {
            // Three lines, slot 3 may not have D: it always ends, one way or the other.
            QVERIFY(r.outcome == DrawResult::Outcome::Ok ||
                    (r.outcome == DrawResult::Outcome::SlotImpossible && r.slot == 2 &&
                     r.teams[2].isEmpty()));
            continue;
        }
        QCOMPARE(int(r.outcome), int(DrawResult::Outcome::SlotImpossible));
        QCOMPARE(r.slot, slot);
        QCOMPARE(r.teams, teams(left));
    }
}

QTEST_GUILESS_MAIN(TestDraw)
#include "test_draw.moc"
