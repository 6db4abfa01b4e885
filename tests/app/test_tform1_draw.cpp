#include "pools/draw.h"
#include "pools/pools.h"
#include "pools/schedule.h"
#include "pools/teamlog.h"
#include "tform1env.h"

#include <QFile>
#include <QSet>

using namespace kv;

namespace {

// A main window started on the default data with clubs and settings that ask nothing.
TForm1& start(const kvtest::WorkFolder& work, Tform1Env& env,
              const QString& gift1 = "splayer.bmp") {
    work.writeStartData({.players = {"Аня", "Боря", "Вова"}}, gift1);
    TForm1& w = env.open();
    if (!env.dialogs.errors().isEmpty())
        kvtest::fail("start-up failed: " + env.dialogs.errors().join('\n'));
    env.dialogs.clear();
    return w;
}

QStringList teamsOf(const TForm1& w) {
    return {w.Edit1->text(), w.Edit2->text(), w.Edit3->text()};
}

QStringList scheduleOf(const TForm1& w) {
    return {w.Label7->text(),  w.Label8->text(),  w.Label10->text(),
            w.Label11->text(), w.Label14->text(), w.Label15->text()};
}

bool validFirstLeg(const QStringList& t, const QStringList& s) {
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            if (x != y) {
                const int z = 3 - x - y;
                if (s == QStringList{t[x], t[y], t[z], t[x], t[y], t[z]})
                    return true;
            }
    return false;
}

} // namespace

class TestTForm1Draw : public QObject {
    Q_OBJECT
private slots:
    void fillThenSchedule_data();
    void fillThenSchedule();
    void teamChoiceAndManualEntryAreKept();
    void secondPressChangesNoTeam();
    void poolRunningOutEndsTheProgram();
    void slotWithoutAnyTeamIsReported();
    void equalTeamsCanBeCorrectedAndScheduled();
    void enterRunsTheFillWhileItIsTheDefault_data();
    void enterRunsTheFillWhileItIsTheDefault();
};

void TestTForm1Draw::fillThenSchedule_data() {
    QTest::addColumn<QByteArray>("log"); // "-": no log file
    QTest::addColumn<int>("oldLines");
    QTest::newRow("log with a final break") << QByteArray("Old 1\r\nOld 2\r\nOld 3\r\n") << 3;
    QTest::newRow("log without a final break") << QByteArray("Old 1\r\nOld 2") << 2;
    QTest::newRow("no log file") << QByteArray("-") << 0;
}

void TestTForm1Draw::fillThenSchedule() {
    QFETCH(QByteArray, log);
    QFETCH(int, oldLines);
    for (int seed = 1; seed <= 5; ++seed) {
        kvtest::WorkFolder work;
        Tform1Env env(seed);
        TForm1& w = start(work, env);
        if (log != "-")
            work.writeBytes(kLogFile, log);

        w.Button2->click();
        const QStringList teams = teamsOf(w);
        QCOMPARE(QSet<QString>(teams.cbegin(), teams.cend()).size(), 3);
        const QStringList free = work.lines("temp");
        for (const QString& team : teams)
            QVERIFY2(free.contains(team), qPrintable(team));
        QVERIFY(!w.Button2->isEnabled() && w.Button1->isEnabled());
        QVERIFY(w.Label6->isHidden());

        if (log == "-") // removed behind the program's back after the draw
            QFile::remove(work.path(kLogFile));
        w.Button1->click();
        QVERIFY2(validFirstLeg(teams, scheduleOf(w)), qPrintable(scheduleOf(w).join(", ")));
        for (QLabel* label :
             {w.Label6, w.Label7, w.Label8, w.Label10, w.Label11, w.Label14, w.Label15})
            QVERIFY(!label->isHidden());
        QVERIFY(!w.Button1->isEnabled() && !w.Button2->isEnabled() && w.BitBtn1->isEnabled());
        const QStringList after = work.lines(kLogFile);
        QCOMPARE(after.size(), oldLines + 3);
        QCOMPARE(after.mid(oldLines), teams);
        QCOMPARE(env.dialogs.texts(),
                 log == "-" ? QStringList{"file not found, new"} : QStringList{});
    }
}

void TestTForm1Draw::teamChoiceAndManualEntryAreKept() {
    kvtest::WorkFolder work;
    Tform1Env env;
    TForm1& w = start(work, env, "team.bmp");
    QVERIFY(w.ComboBox5->isEnabled());

    // Team choice: a listed team, and a typed team that is in no pool.
    w.ComboBox5->setCurrentIndex(2);
    QCOMPARE(w.Edit1->text(), w.ComboBox5->itemText(2));
    const QString chosen = w.Edit1->text();
    QTest::keyClicks(w.ComboBox7->lineEdit(), "My club");
    QCOMPARE(w.Edit3->text(), QStringLiteral("My club"));
    w.ComboBox7->setEditText(QStringLiteral("Мой клуб"));
    QCOMPARE(w.Edit3->text(), QStringLiteral("Мой клуб"));

    // Manual entry clears the except-choices and blocks the draw until "Случайно " is back.
    w.ComboBox3->setCurrentIndex(0);
    w.CheckBox1->click();
    QVERIFY(w.Edit1->isEnabled() && w.Edit2->isEnabled() && w.Edit3->isEnabled());
    QVERIFY(!w.Button2->isEnabled());
    QCOMPARE(w.ComboBox3->currentIndex(), -1);
    w.CheckBox1->click();
    QVERIFY(!w.Edit1->isEnabled() && w.Button2->isEnabled());
    QCOMPARE(w.ComboBox3->currentIndex(), -1);

    w.Button2->click();
    QCOMPARE(w.Edit1->text(), chosen);
    QCOMPARE(w.Edit3->text(), QStringLiteral("Мой клуб"));
    QVERIFY(!w.Edit2->text().isEmpty() && w.Edit2->text() != chosen);
}

void TestTForm1Draw::secondPressChangesNoTeam() {
    kvtest::WorkFolder work;
    Tform1Env env;
    TForm1& w = start(work, env);
    w.Button2->click();
    w.Button1->click();
    const QStringList teams = teamsOf(w);
    w.CheckBox1->click();
    w.CheckBox1->click();
    QVERIFY(w.Button2->isEnabled());
    QFile::remove(work.path(env.state.currentPool)); // not even read when nothing is to draw
    w.Button2->click();
    QCOMPARE(teamsOf(w), teams);
    QVERIFY(w.Button1->isEnabled() && !w.Button2->isEnabled());
    QVERIFY(env.dialogs.texts().isEmpty());
}

void TestTForm1Draw::poolRunningOutEndsTheProgram() {
    kvtest::WorkFolder work;
    Tform1Env env;
    TForm1& w = start(work, env);
    // The pool edited during the run down to teams that are all in the log.
    const QStringList used{"U1", "U2", "U3", "U4"};
    work.write(env.state.currentPool, used);
    work.write(kLogFile, used);
    w.Button2->click();
    QCOMPARE(env.dialogs.texts(), QStringList{PoolEmptyMessage(env.state.currentPool)});
    QVERIFY(env.ended);
}

void TestTForm1Draw::slotWithoutAnyTeamIsReported() {
    kvtest::WorkFolder work;
    Tform1Env env;
    TForm1& w = start(work, env);
    work.write(env.state.currentPool, {"Единственная"});
    w.Button2->click();
    QCOMPARE(teamsOf(w), (QStringList{"Единственная", "", ""}));
    QCOMPARE(env.dialogs.texts(), QStringList{slotImpossibleMessage("Боря")});
    QVERIFY(!env.ended);
}

void TestTForm1Draw::equalTeamsCanBeCorrectedAndScheduled() {
    kvtest::WorkFolder work;
    Tform1Env env;
    TForm1& w = start(work, env);
    w.Button2->click();
    w.CheckBox1->click();
    w.Edit2->setText(w.Edit1->text());
    const QByteArray logBefore = work.bytes(kLogFile);

    w.Button1->click();
    QCOMPARE(env.dialogs.texts(), QStringList{kEqualTeamsMessage});
    QCOMPARE(work.bytes(kLogFile), logBefore);
    QVERIFY(w.Label6->isHidden());
    QVERIFY(w.Button1->isEnabled() && !w.BitBtn1->isEnabled());

    // Two empty boxes: the same.
    w.Edit2->clear();
    w.Edit3->clear();
    w.Button1->click();
    QCOMPARE(env.dialogs.texts().size(), 2);
    QCOMPARE(work.bytes(kLogFile), logBefore);

    w.Edit2->setText("Сборная двора");
    w.Edit3->setText("Ещё одна");
    w.Button1->click();
    QVERIFY(validFirstLeg(teamsOf(w), scheduleOf(w)));
    QCOMPARE(work.lines(kLogFile).mid(work.lines(kLogFile).size() - 3), teamsOf(w));
}

void TestTForm1Draw::enterRunsTheFillWhileItIsTheDefault_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focus"); // the control with the keyboard, "" for none
    QTest::addColumn<bool>("afterFullTable");
    QTest::addColumn<bool>("fills");
    QTest::newRow("Enter at start") << int(Qt::Key_Return) << "" << false << true;
    QTest::newRow("keypad Enter at start") << int(Qt::Key_Enter) << "" << false << true;
    QTest::newRow("Enter in a team-choice box")
        << int(Qt::Key_Return) << "ComboBox5" << false << true;
    QTest::newRow("Enter on a check box") << int(Qt::Key_Return) << "CheckBox3" << false << true;
    QTest::newRow("another key") << int(Qt::Key_Space) << "" << false << false;
    QTest::newRow("Enter after the full table") << int(Qt::Key_Return) << "" << true << false;
}

void TestTForm1Draw::enterRunsTheFillWhileItIsTheDefault() {
    QFETCH(int, key);
    QFETCH(QString, focus);
    QFETCH(bool, afterFullTable);
    QFETCH(bool, fills);
    kvtest::WorkFolder work;
    Tform1Env env;
    TForm1& w = start(work, env, "team.bmp");
    w.show();
    if (afterFullTable) {
        w.Button2->click();
        w.Button1->click();
        w.BitBtn1->click();
        // "Заполнить" enabled again, with empty team boxes.
        w.CheckBox1->click();
        w.CheckBox1->click();
        for (QLineEdit* team : {w.Edit1, w.Edit2, w.Edit3})
            team->clear();
        QVERIFY(w.Button2->isEnabled());
    }
    QWidget* target =
        focus.isEmpty() ? static_cast<QWidget*>(&w) : kvtest::child<QWidget>(&w, focus);
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(!w.Edit1->text().isEmpty(), fills);
    QCOMPARE(w.Button1->isEnabled(), fills);
}

QTEST_MAIN(TestTForm1Draw)
#include "test_tform1_draw.moc"
