// One copy of the program per data folder: a second copy is turned away without touching any
// file, and a lock that no running copy owns (a crash, a kill, a power cut) does not keep the
// next start out.
#include "app/instancelock.h"
#include "testsupport.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>

#include <csignal>

#include <memory>

namespace {

// The process id of a program that has already ended.
qint64 endedProcessId() {
    QProcess gone;
    gone.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
    if (!gone.waitForStarted())
        kvtest::fail("cannot start /bin/sh");
    const qint64 pid = gone.processId();
    gone.waitForFinished();
    return pid;
}

} // namespace

class TestInstanceLock : public QObject {
    Q_OBJECT
private slots:
    void secondCopyIsTurnedAway_data();
    void secondCopyIsTurnedAway();
    void killedCopyLeavesNoLock();
};

void TestInstanceLock::secondCopyIsTurnedAway_data() {
    QTest::addColumn<QString>("before"); // who holds the folder when the copy starts
    QTest::addColumn<bool>("answer");    // to the question about another machine, if asked
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("said"); // what a box says; empty: no box
    const QString running = QStringLiteral("Программа уже запущена в этой папке.");
    const QString other = QStringLiteral("на другом компьютере («kickvale-elsewhere»");
    const QString cannot = QStringLiteral("Не удалось занять папку данных");
    QTest::newRow("nobody") << "nobody" << false << true << QString();
    QTest::newRow("a running copy") << "running" << false << false << running;
    QTest::newRow("a copy that crashed") << "crashed" << false << true << QString();
    QTest::newRow("a copy that ended") << "ended" << false << true << QString();
    QTest::newRow("an empty lock") << "empty" << false << true << QString();
    QTest::newRow("an unreadable lock") << "garbage" << false << true << QString();
    QTest::newRow("another machine, start") << "elsewhere" << true << true << other;
    QTest::newRow("another machine, do not") << "elsewhere" << false << false << other;
    QTest::newRow("a folder in its place") << "folder" << false << false << cannot;
}

void TestInstanceLock::secondCopyIsTurnedAway() {
    QFETCH(QString, before);
    QFETCH(bool, answer);
    QFETCH(bool, runs);
    QFETCH(QString, said);
    kvtest::WorkFolder work;
    work.copyDefaultData();
    std::unique_ptr<QLockFile> first;
    if (before == QLatin1String("running") || before == QLatin1String("ended")) {
        kvtest::StrictDialogs quiet;
        first = kv::lockDataFolder(quiet);
        QVERIFY(first && first->isLocked());
        if (before == QLatin1String("ended"))
            first.reset();
    } else if (before == QLatin1String("crashed")) {
        work.write(kv::kInstanceLockFile,
                   {QString::number(endedProcessId()), QStringLiteral("zorvo-kickvale-6"),
                    QSysInfo::machineHostName()});
    } else if (before == QLatin1String("empty")) {
        work.write(kv::kInstanceLockFile, {});
    } else if (before == QLatin1String("garbage")) {
        work.writeBytes(kv::kInstanceLockFile, "\x01\xff\x00zz");
    } else if (before == QLatin1String("elsewhere")) {
        work.write(kv::kInstanceLockFile,
                   {QString::number(endedProcessId()), QStringLiteral("zorvo-kickvale-6"),
                    QStringLiteral("kickvale-elsewhere")});
    } else if (before == QLatin1String("folder")) {
        QVERIFY(QDir(work.path()).mkdir(kv::kInstanceLockFile));
    }
    const QStringList files = QDir(work.path()).entryList(QDir::Files | QDir::Hidden);
    QByteArrayList contents;
    for (const QString& f : files)
        contents.append(work.bytes(f));

    kvtest::StrictDialogs dialogs;
    if (before == QLatin1String("elsewhere"))
        dialogs.queue(answer ? kv::Dialogs::Answer::Yes : kv::Dialogs::Answer::No);
    // Nobody writes the lock here: a short look again will do.
    const std::unique_ptr<QLockFile> second = kv::lockDataFolder(dialogs, 20);
    QCOMPARE(bool(second), runs);
    QCOMPARE(dialogs.texts().size(), said.isEmpty() ? 0 : 1);
    if (!said.isEmpty()) {
        QVERIFY2(dialogs.texts()[0].contains(said), qPrintable(dialogs.texts()[0]));
        // Whoever is turned away learns which file holds the folder.
        if (!runs)
            QVERIFY(dialogs.texts()[0].contains(work.path(kv::kInstanceLockFile)));
    }
    if (runs) {
        QVERIFY(second->isLocked());
        return;
    }
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), files);
    for (qsizetype i = 0; i < files.size(); ++i)
        QCOMPARE(work.bytes(files[i]), contents[i]);
}

// An ordinary kill (a logout sends the same signal) ends the program as a close does.
void TestInstanceLock::killedCopyLeavesNoLock() {
    kvtest::WorkFolder work;
    work.writeStartData();
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(KV_PROGRAM_DIR "zorvo-kickvale-6"), {work.path()});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(work.exists(kv::kInstanceLockFile), 30000);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!work.exists(kv::kInstanceLockFile));
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "test_instancelock.moc"
