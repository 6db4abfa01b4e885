// The evening's owner: what a rename does to the best scorers, and when it tells.
#include "testsupport.h"

#include "tournament/evening.h"

#include <QSignalSpy>

class TestEvening : public QObject {
    Q_OBJECT
private slots:
    void renameKeepsThePrivilegeWithItsSlot_data();
    void renameKeepsThePrivilegeWithItsSlot();
    void tellsOnlyWhatChanged();
};

void TestEvening::renameKeepsThePrivilegeWithItsSlot_data() {
    QTest::addColumn<QString>("scorer"); // the privileged best scorer before the rename
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("after");
    const QStringList rotated{"Боря", "Вера", "Гоша"};
    QTest::newRow("slot 1 renamed") << "Аня" << QStringList{"Ася", "Боря", "Вера"} << "Ася";
    QTest::newRow("names passed round") << "Аня" << rotated << "Боря";
    QTest::newRow("last slot, names passed round") << "Вера" << rotated << "Гоша";
    QTest::newRow("not a player") << "Дима" << rotated << "Дима";
    QTest::newRow("none") << "" << rotated << "";
}

void TestEvening::renameKeepsThePrivilegeWithItsSlot() {
    QFETCH(QString, scorer);
    QFETCH(QStringList, names);
    QFETCH(QString, after);
    kv::EveningOwner owner;
    owner.change([&](kv::Evening& e) {
        e.players = {"Аня", "Боря", "Вера"};
        e.privilegedScorer = scorer;
        e.bestScorer = scorer; // this evening's, chosen in the results window
    });
    owner.renamePlayers({names[0], names[1], names[2]});
    QCOMPARE(owner.value().privilegedScorer, after);
    QCOMPARE(owner.value().bestScorer, std::optional<QString>(after));
    QCOMPARE(owner.value().tournament().players, names);
}

void TestEvening::tellsOnlyWhatChanged() {
    kv::EveningOwner owner;
    QSignalSpy told(&owner, &kv::EveningOwner::changed);
    owner.change([](kv::Evening& e) { e.teams[1] = "Ajax"; });
    owner.change([](kv::Evening& e) { e.teams[1] = "Ajax"; });
    owner.set(owner.value());
    QCOMPARE(told.count(), 1);
}

QTEST_GUILESS_MAIN(TestEvening)
#include "test_evening.moc"
