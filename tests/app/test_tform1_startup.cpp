#include "app/startup.h"
#include "pools/draw.h"
#include "pools/pools.h"
#include "tform1env.h"

#include <QFile>

using namespace kv;

class TestTForm1Startup : public QObject {
    Q_OBJECT
private slots:
    void newInstallationShowsTheTournament();
    void withoutBestScorerFileNothingTakesEffect();
    void failureAfterThePrizesKeepsWhatWasReached();
    void marksAndPrivileges_data();
    void marksAndPrivileges();
    void logBoxesAtStartAndOnClick_data();
    void logBoxesAtStartAndOnClick();
};

void TestTForm1Startup::newInstallationShowsTheTournament() {
    kvtest::WorkFolder work;
    work.writeStartData(std::nullopt);
    Tform1Env env;
    env.dialogs.queue(Dialogs::Answer::Yes);
    TForm1& w = env.open();

    QCOMPARE(env.dialogs.texts(), (QStringList{kSettingsCreatedMessage, kCategoryQuestion}));
    const PoolInfo* pool = poolInfo(env.state.currentPool);
    QVERIFY(pool);
    QCOMPARE(pool->group, PoolGroup::Clubs);
    QCOMPARE(w.windowTitle(), "Zorvo Kickvale 6" + pool->captionSuffix);
    QCOMPARE(env.state.poolTotal, 24 + 19 + 18 + 16 + 14 + 12 + 15);
    for (const QLabel* mark : {w.Image2, w.Image5, w.Image6})
        QVERIFY(mark->isHidden()); // "Никто!" scored best: nobody is marked

    // An empty log: every team of the pool is free and offered, sorted, nothing selected.
    const QStringList free = work.lines(env.state.currentPool);
    QCOMPARE(work.lines("temp"), free);
    QCOMPARE(work.bytes(kLogFile), QByteArray());
    for (QComboBox* box :
         {w.ComboBox2, w.ComboBox3, w.ComboBox4, w.ComboBox5, w.ComboBox6, w.ComboBox7}) {
        QCOMPARE(comboItems(box), sortedChoiceItems(free));
        QCOMPARE(box->currentIndex(), -1);
        QCOMPARE(box->currentText(), QString());
        QVERIFY(!box->isEnabled());
    }
    for (QLineEdit* team : {w.Edit1, w.Edit2, w.Edit3})
        QVERIFY(team->text().isEmpty());
    QCOMPARE(w.Label16->text(), QStringLiteral("Player 1"));
    QCOMPARE(w.Label17->text(), QStringLiteral("Player 2"));
    QCOMPARE(w.Label18->text(), QStringLiteral("Player 3"));
    const QStringList last = work.lines("last.txt");
    QCOMPARE(w.Label22->text(), last.value(0));
    QCOMPARE(w.Label23->text(), last.value(1));
    QCOMPARE(w.Label24->text(), last.value(2));
    QCOMPARE(w.Label29->text(), last.value(3));
    QVERIFY(w.Image2->isHidden() && w.Image5->isHidden() && w.Image6->isHidden());
    QVERIFY(w.Label33->isHidden());
    QVERIFY(w.CheckBox3->isChecked() && w.CheckBox4->isChecked());
    QVERIFY(w.Button2->isEnabled() && !w.Button1->isEnabled());
}

void TestTForm1Startup::withoutBestScorerFileNothingTakesEffect() {
    kvtest::WorkFolder work;
    work.writeStartData(std::nullopt, "team.bmp", "unteam.bmp");
    QFile::remove(work.path("bomb.txt"));
    Tform1Env env;
    TForm1& w = env.open();

    QCOMPARE(env.dialogs.errors().size(), 1);
    QVERIFY(env.dialogs.errors()[0].contains("bomb.txt"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Zorvo Kickvale 6"));
    QVERIFY(env.state.currentPool.isEmpty());
    for (QComboBox* box :
         {w.ComboBox2, w.ComboBox3, w.ComboBox4, w.ComboBox5, w.ComboBox6, w.ComboBox7}) {
        QCOMPARE(box->count(), 0);
        QVERIFY(!box->isEnabled());
    }
    QCOMPARE(w.Label22->text(), QStringLiteral("Label22"));
    QCOMPARE(w.Label16->text(), QStringLiteral("Зурко"));
    QVERIFY(!work.exists("settings.ini"));

    // The draw has nothing to draw from: it says so instead of failing.
    env.dialogs.clear();
    w.Button2->click();
    QCOMPARE(env.dialogs.texts(), QStringList{kNoCurrentPoolMessage});
    QVERIFY(w.Edit1->text().isEmpty() && w.Edit2->text().isEmpty() && w.Edit3->text().isEmpty());
    QVERIFY(!env.ended);
}

void TestTForm1Startup::failureAfterThePrizesKeepsWhatWasReached() {
    kvtest::WorkFolder work;
    work.writeStartData(std::nullopt, "team.bmp");
    QFile::remove(work.path("last.txt"));
    Tform1Env env;
    env.dialogs.queue(Dialogs::Answer::No);
    TForm1& w = env.open();
    QCOMPARE(env.dialogs.errors().size(), 1);
    QVERIFY(env.dialogs.errors()[0].contains("last.txt"));
    QCOMPARE(poolInfo(env.state.currentPool)->group, PoolGroup::NationalTeams);
    QVERIFY(w.windowTitle().startsWith("Zorvo Kickvale 6 - Сборные "));
    QVERIFY(w.ComboBox5->isEnabled() && w.ComboBox6->isEnabled() && w.ComboBox7->isEnabled());
    QVERIFY(w.ComboBox5->count() > 0);
    QCOMPARE(w.Label22->text(), QStringLiteral("Label22"));
    QCOMPARE(w.Label16->text(), QStringLiteral("Зурко"));
}

void TestTForm1Startup::marksAndPrivileges_data() {
    QTest::addColumn<QString>("bomb");
    QTest::addColumn<int>("free");
    QTest::addColumn<QString>("marks");  // slots with the football
    QTest::addColumn<QString>("except"); // slots whose except-choice is enabled
    QTest::addColumn<bool>("lastThree");
    // Which names mark which slot is the start-up sequence's (test_startup); here the window
    // shows what it reached.
    QTest::newRow("mark with its except-choice") << "Вова" << 10 << "3"
                                                 << "3" << false;
    QTest::newRow("three free teams") << "Пенва" << 3 << "2"
                                      << "" << true;
}

void TestTForm1Startup::marksAndPrivileges() {
    QFETCH(QString, bomb);
    QFETCH(int, free);
    QFETCH(QString, marks);
    QFETCH(QString, except);
    QFETCH(bool, lastThree);
    kvtest::WorkFolder work;
    work.writeStartData({.players = {"Аня", "Боря", "Вова"}});
    // Only super clubs have room, with `free` teams left.
    QStringList log;
    for (const QString& f : QStringList{"teams4.txt", "teams45.txt", "teams5.txt"})
        log += work.lines(f);
    log += work.lines("superteams.txt").mid(free);
    work.write(kLogFile, log);
    work.write("bomb.txt", {bomb});
    Tform1Env env;
    TForm1& w = env.open();
    QVERIFY2(env.dialogs.errors().isEmpty(), qPrintable(env.dialogs.errors().join('\n')));
    QCOMPARE(env.state.currentPool, QStringLiteral("superteams.txt"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Zorvo Kickvale 6 - Суперклубы"));
    QCOMPARE(w.ComboBox2->count(), free);
    QString shown, enabled;
    const QLabel* images[] = {w.Image2, w.Image5, w.Image6};
    const QComboBox* boxes[] = {w.ComboBox2, w.ComboBox3, w.ComboBox4};
    for (int i = 0; i < 3; ++i) {
        if (!images[i]->isHidden())
            shown += QString::number(i + 1);
        if (boxes[i]->isEnabled())
            enabled += QString::number(i + 1);
    }
    QCOMPARE(shown, marks);
    QCOMPARE(enabled, except);
    QCOMPARE(!w.Label33->isHidden(), lastThree);
    QVERIFY(!w.ComboBox5->isEnabled());
}

void TestTForm1Startup::logBoxesAtStartAndOnClick_data() {
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("2") << "2" << false;
    QTest::newRow(" 1 with a leading blank is still 1") << " 1" << true;
}

void TestTForm1Startup::logBoxesAtStartAndOnClick() {
    QFETCH(QString, flag);
    QFETCH(bool, checked);
    kvtest::WorkFolder work;
    work.writeStartData({.logAll = flag});
    Tform1Env env;
    TForm1& w = env.open();
    QVERIFY(env.dialogs.errors().isEmpty());
    QCOMPARE(w.CheckBox4->isChecked(), checked);
    QVERIFY(w.CheckBox3->isChecked()); // the start never unchecks it

    if (checked)
        w.CheckBox4->click(); // off: nothing else changes
    QVERIFY(w.CheckBox3->isChecked());
    w.CheckBox4->click(); // on: "ТРИ последние" goes off
    QVERIFY(w.CheckBox4->isChecked());
    QVERIFY(!w.CheckBox3->isChecked());
    w.CheckBox3->click(); // on again: the other box stays
    QVERIFY(w.CheckBox3->isChecked() && w.CheckBox4->isChecked());
}

QTEST_MAIN(TestTForm1Startup)
#include "test_tform1_startup.moc"
