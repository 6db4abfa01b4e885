#include "common/errors.h"
#include "testsupport.h"
#include "tournament/standings.h"

using namespace kv;

namespace {

// Twelve boxes "0" with some set: {index (0 = Edit1), text}.
QStringList boxes(std::initializer_list<std::pair<int, QString>> set) {
    QStringList b(12, QStringLiteral("0"));
    for (const auto& [i, text] : set)
        b[i] = text;
    return b;
}

using Line = QList<qint64>; // goals for, against, difference, wins, draws, losses, points

Line lineOf(const PlayerStanding& p) {
    return {p.goalsFor, p.goalsAgainst, p.difference, p.wins, p.draws, p.losses, p.points};
}

} // namespace

class TestStandings : public QObject {
    Q_OBJECT
private slots:
    void standingsAndPlaces_data();
    void standingsAndPlaces();
    void figuresArriveInWindowOrder();
    void badBoxStopsAfterTheFiguresBeforeIt_data();
    void badBoxStopsAfterTheFiguresBeforeIt();
    void hugeScoresAreNotWrapped();
    void playOrderFromTheSchedule_data();
    void playOrderFromTheSchedule();
};

void TestStandings::standingsAndPlaces_data() {
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QList<Line>>("lines");
    QTest::addColumn<QList<int>>("places");

    // Places go by points, then goal difference, then goals scored; players level on all three
    // share the better place, so somebody is always first.
    const Line level{0, 0, 0, 0, 4, 0, 4};
    const auto row = [](const char* name, const QStringList& boxes, const QList<Line>& lines,
                        const QList<int>& places) {
        QTest::newRow(name) << boxes << lines << places;
    };
    row("all zeros: everybody first", boxes({}), {level, level, level}, {1, 1, 1});
    row("two level at the top share first", boxes({{8, "1"}, {10, "1"}}),
        {{1, 0, 1, 1, 3, 0, 6}, {1, 0, 1, 1, 3, 0, 6}, {0, 2, -2, 0, 2, 2, 2}}, {1, 1, 3});
    row("two level at the bottom share second", boxes({{0, "1"}, {8, "1"}}),
        {{2, 0, 2, 2, 2, 0, 8}, {0, 1, -1, 0, 3, 1, 3}, {0, 1, -1, 0, 3, 1, 3}}, {1, 2, 2});
    row("all on 5 points: the difference decides", boxes({{3, "2"}, {9, "1"}, {10, "2"}}),
        {{2, 1, 1, 1, 2, 1, 5}, {2, 2, 0, 1, 2, 1, 5}, {1, 2, -1, 1, 2, 1, 5}}, {1, 2, 3});
    // Each beats one and loses to one: one pass of pairwise checks left nobody first here.
    row("all on 5 points in a circle: somebody is first", boxes({{0, "2"}, {4, "1"}, {10, "1"}}),
        {{2, 1, 1, 1, 2, 1, 5}, {1, 2, -1, 1, 2, 1, 5}, {1, 1, 0, 1, 2, 1, 5}}, {1, 3, 2});
    row("more points beat a better difference", boxes({{5, "2"}, {7, "1"}, {9, "1"}, {11, "1"}}),
        {{2, 1, 1, 1, 2, 1, 5}, {1, 1, 0, 1, 2, 1, 5}, {2, 3, -1, 2, 0, 2, 6}}, {2, 3, 1});
    row("level on points and difference: goals scored decide", boxes({{0, "2"}, {1, "2"}}),
        {{2, 2, 0, 0, 4, 0, 4}, {2, 2, 0, 0, 4, 0, 4}, level}, {1, 1, 3});
    row("clear order, leading blank and signs accepted", boxes({{0, " 3"}, {1, "+1"}, {6, "-1"}}),
        {{3, 1, 2, 1, 3, 0, 6}, {1, 2, -1, 1, 2, 1, 5}, {-1, 0, -1, 0, 3, 1, 3}}, {1, 2, 3});
}

void TestStandings::standingsAndPlaces() {
    QFETCH(QStringList, boxes);
    QFETCH(QList<Line>, lines);
    QFETCH(QList<int>, places);
    const Standings s = computeStandings(boxes);
    for (int p = 0; p < 3; ++p)
        QCOMPARE(lineOf(s.players[p]), lines[p]);
    QCOMPARE(QList<int>(s.places.begin(), s.places.end()), places);
}

void TestStandings::figuresArriveInWindowOrder() {
    QStringList seen;
    computeStandings(boxes({{0, "3"}, {1, "1"}}),
                     [&](int player, StandingField field, const QString& text) {
                         seen << QStringLiteral("%1:%2=%3").arg(player).arg(int(field)).arg(text);
                     });
    // goals for, against, difference, wins, draws, losses, points per player; then places
    QCOMPARE(seen, QStringList({"0:0=3", "0:1=1", "0:2=2", "0:3=1",  "0:4=3", "0:5=0",
                                "0:6=6", "1:0=1", "1:1=3", "1:2=-2", "1:3=0", "1:4=3",
                                "1:5=1", "1:6=3", "2:0=0", "2:1=0",  "2:2=0", "2:3=0",
                                "2:4=4", "2:5=0", "2:6=4", "0:7=1",  "1:7=3", "2:7=2"}));
}

void TestStandings::badBoxStopsAfterTheFiguresBeforeIt_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("figuresBefore");
    QTest::newRow("Edit1 letters: nothing") << 0 << "x" << 0;
    QTest::newRow("Edit2 empty: player 1 goals for only") << 1 << "" << 1;
    QTest::newRow("Edit11 trailing blank: player 1 only") << 10 << "3 " << 7;
    QTest::newRow("Edit12 decimal: player 1 and player 2 goals for") << 11 << "1.5" << 8;
    QTest::newRow("Edit7 in player 2's goals against") << 6 << "abc" << 8;
    QTest::newRow("Edit10 in player 1's goals against") << 9 << "++1" << 1;
}

void TestStandings::badBoxStopsAfterTheFiguresBeforeIt() {
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(int, figuresBefore);
    int figures = 0;
    try {
        computeStandings(boxes({{box, text}}),
                         [&](int, StandingField, const QString&) { ++figures; });
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
    QCOMPARE(figures, figuresBefore);
}

void TestStandings::hugeScoresAreNotWrapped() {
    const QString max = QStringLiteral("2147483647");
    const Standings s = computeStandings(boxes({{0, max}, {8, max}, {3, max}, {5, max}}));
    QCOMPARE(s.players[0].goalsFor, Q_INT64_C(4) * 2147483647);
    QCOMPARE(s.places[0], 1);
}

void TestStandings::playOrderFromTheSchedule_data() {
    QTest::addColumn<QStringList>("teams");
    QTest::addColumn<QStringList>("firstLeg");
    QTest::addColumn<QString>("stored"); // as the history keeps it; empty: no order
    const QStringList teams{"Милан", "Аякс", "Порту"};
    const auto row = [&](const char* name, const QStringList& firstLeg, const char* stored,
                         const QStringList& clubs = {}) {
        QTest::newRow(name) << (clubs.isEmpty() ? teams : clubs) << firstLeg << stored;
    };
    row("T1-T2, T3-T1, T2-T3", {"Милан", "Аякс", "Порту", "Милан", "Аякс", "Порту"},
        "1-2 3-1 2-3 2-1 1-3 3-2");
    row("T3-T2, T1-T3, T2-T1", {"Порту", "Аякс", "Милан", "Порту", "Аякс", "Милан"},
        "3-2 1-3 2-1 2-3 3-1 1-2");
    row("two equal teams", {"Милан", "Милан", "Порту", "Милан", "Милан", "Порту"}, "",
        {"Милан", "Милан", "Порту"});
    row("a team nobody has", {"Милан", "Аякс", "Порту", "Бенфика", "Аякс", "Порту"}, "");
    row("a pair twice", {"Милан", "Аякс", "Аякс", "Милан", "Аякс", "Порту"}, "");
    row("no schedule yet", {}, "");
}

void TestStandings::playOrderFromTheSchedule() {
    QFETCH(QStringList, teams);
    QFETCH(QStringList, firstLeg);
    QFETCH(QString, stored);
    // Home and away slot of each match, in the order played.
    QStringList matches;
    if (const std::optional<PlayOrder> order = playOrderOf(teams, firstLeg))
        for (const int m : *order)
            matches << QStringLiteral("%1-%2").arg(kMatches[m].home + 1).arg(kMatches[m].away + 1);
    QCOMPARE(matches.join(' '), stored);
}

QTEST_GUILESS_MAIN(TestStandings)
#include "test_standings.moc"
