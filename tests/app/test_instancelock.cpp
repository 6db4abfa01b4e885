// One copy of the program per data folder: a second copy is turned away without touching any
// file, and a lock left by a crashed copy does not keep the next start out.
#include "app/instancelock.h"
#include "testsupport.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>

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
};

void TestInstanceLock::secondCopyIsTurnedAway_data() {
    QTest::addColumn<QString>("before"); // who holds the folder when the copy starts
    QTest::addColumn<bool>("runs");
    QTest::newRow("nobody") << "nobody" << true;
    QTest::newRow("a running copy") << "running" << false;
    QTest::newRow("a copy that crashed") << "crashed" << true;
    QTest::newRow("a copy that ended") << "ended" << true;
}

void TestInstanceLock::secondCopyIsTurnedAway() {
    QFETCH(QString, before);
    QFETCH(bool, runs);
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
    }
    const QStringList files = QDir(work.path()).entryList(QDir::Files | QDir::Hidden);
    QByteArrayList contents;
    for (const QString& f : files)
        contents.append(work.bytes(f));

    kvtest::StrictDialogs dialogs;
    const std::unique_ptr<QLockFile> second = kv::lockDataFolder(dialogs);
    QCOMPARE(bool(second), runs);
    if (runs) {
        QVERIFY(second->isLocked());
        QVERIFY(dialogs.texts().isEmpty());
        return;
    }
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Программа уже запущена в этой папке.")});
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), files);
    for (qsizetype i = 0; i < files.size(); ++i)
        QCOMPARE(work.bytes(files[i]), contents[i]);
}

QTEST_GUILESS_MAIN(TestInstanceLock)
#include "test_instancelock.moc"
