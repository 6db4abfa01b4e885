#include "common/errors.h"
#include "common/random.h"
#include "pools/schedule.h"
#include "testsupport.h"

#include <QHash>

using namespace kv;

using Teams = std::array<QString, 3>;
Q_DECLARE_METATYPE(Teams)

class TestSchedule : public QObject {
    Q_OBJECT
private slots:
    void alwaysOneOfTheSixValidOrdersAndAllAlike();
    void equalTeamsAreRefusedAtOnce_data();
    void equalTeamsAreRefusedAtOnce();
};

void TestSchedule::alwaysOneOfTheSixValidOrdersAndAllAlike() {
    const Teams t{"Зенит", "Спартак", "ЦСКА"};
    // X-Y, Z-X, Y-Z for every choice of X and Y.
    QHash<QString, int> count;
    const auto key = [](const std::array<QString, 6>& l) {
        return QStringList(l.cbegin(), l.cend()).join('|');
    };
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            if (y != x) {
                const int z = 3 - x - y;
                count.insert(key({t[x], t[y], t[z], t[x], t[y], t[z]}), 0);
            }
    QCOMPARE(count.size(), 6);

    Random random(99);
    const int runs = 6000;
    int attempts = 0;
    for (int i = 0; i < runs; ++i) {
        const Schedule s = makeSchedule(t, random);
        const QString k = key(s.labels);
        QVERIFY2(count.contains(k), qPrintable(k));
        ++count[k];
        attempts += s.attempts;
    }
    for (int n : count)
        QVERIFY2(qAbs(n - runs / 6) < 120, qPrintable(QString::number(n)));
    // One attempt in four is accepted.
    QVERIFY(qAbs(attempts / double(runs) - 4.0) < 0.3);
}

void TestSchedule::equalTeamsAreRefusedAtOnce_data() {
    QTest::addColumn<Teams>("teams");
    QTest::newRow("two empty boxes") << Teams{"", "", "C"};
    QTest::newRow("three empty boxes") << Teams{"", "", ""};
    QTest::newRow("slots 1 and 2") << Teams{"A", "A", "B"};
    QTest::newRow("slots 1 and 3") << Teams{"A", "B", "A"};
    QTest::newRow("slots 2 and 3") << Teams{"B", "A", "A"};
}

void TestSchedule::equalTeamsAreRefusedAtOnce() {
    QFETCH(Teams, teams);
    QVERIFY(!teamsDistinct(teams));
    Random random(1);
    try {
        makeSchedule(teams, random);
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.text(), kEqualTeamsMessage);
    }
}

QTEST_GUILESS_MAIN(TestSchedule)
#include "test_schedule.moc"
