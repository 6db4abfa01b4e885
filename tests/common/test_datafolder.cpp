#include "app/startup.h"
#include "common/datafolder.h"
#include "common/errors.h"
#include "common/programdir.h"
#include "common/textfile.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using namespace kv;

namespace {

// Every entry of a folder, hidden ones too: a failed set-up must leave none behind.
QStringList everything(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

bool hasTotalTable(const QString& dbPath) {
    bool found = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("datafolder"));
        db.setDatabaseName(dbPath);
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT count(*) FROM Total"), db);
            found = q.next() && q.value(0).toInt() == 0;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("datafolder"));
    return found;
}

// Writes may not grow a file past a few kilobytes, as on a full disk: the text files still fit,
// a database page does not.
class FullDisk {
public:
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_;
        small.rlim_cur = 2048;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private slots:
    void choosesTheFolder_data();
    void choosesTheFolder();
    void fillsAMissingOrEmptyFolder_data();
    void fillsAMissingOrEmptyFolder();
    void leavesAFolderWithFilesAlone_data();
    void leavesAFolderWithFilesAlone();
    void failureHalfWayLeavesNothing_data();
    void failureHalfWayLeavesNothing();
};

void TestDataFolder::choosesTheFolder_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("currentHolds");
    QTest::addColumn<QString>("expected"); // relative to the work folder
    const QStringList bare{QStringLiteral("zorvo-kickvale-6")};
    QTest::newRow("empty current folder") << bare << QString() << "home/zorvo-kickvale-6";
    QTest::newRow("settings.ini") << bare << "settings.ini"
                                  << "cur";
    QTest::newRow("all_last.txt") << bare << "all_last.txt"
                                  << "cur";
    QTest::newRow("base.db") << bare << "base.db"
                             << "cur";
    QTest::newRow("only a pool is not the program's data") << bare << "teams4.txt"
                                                           << "home/zorvo-kickvale-6";
    QTest::newRow("folder argument wins") << (bare + QStringList{"../elsewhere"}) << "settings.ini"
                                          << "elsewhere";
    QTest::newRow("options are not folders")
        << (bare + QStringList{"-reverse", "../there/"}) << QString() << "there";
}

void TestDataFolder::choosesTheFolder() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, currentHolds);
    QFETCH(QString, expected);
    kvtest::WorkFolder work;
    QDir().mkpath(work.path("cur"));
    if (!currentHolds.isEmpty())
        work.write(QStringLiteral("cur/") + currentHolds, {});
    QCOMPARE(chooseDataFolder(arguments, work.path("cur"), work.path("home")), work.path(expected));
}

void TestDataFolder::fillsAMissingOrEmptyFolder_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("makeItFirst");
    QTest::newRow("missing, parents too") << "a/b/data" << false;
    QTest::newRow("empty but for a hidden file") << "data" << true;
}

void TestDataFolder::fillsAMissingOrEmptyFolder() {
    QFETCH(QString, folder);
    QFETCH(bool, makeItFirst);
    kvtest::WorkFolder work;
    const QString dir = work.path(folder);
    if (makeItFirst) {
        QDir().mkpath(dir);
        work.write(folder + QStringLiteral("/.lock"), {});
    }
    QVERIFY(prepareDataFolder(dir, defaultsDir()));

    QDirIterator it(defaultsDir(), {QStringLiteral("*.txt")}, QDir::Files);
    int copied = 0;
    for (; it.hasNext(); ++copied) {
        it.next();
        QCOMPARE(work.bytes(folder + QLatin1Char('/') + it.fileName()),
                 kv::readBytes(it.filePath()));
    }
    QCOMPARE(copied, 10);
    // The prizes of a new folder grant nothing.
    for (const QString& gift : {kGift1File, kGift2File}) {
        const GiftGrants grants = giftGrants(work.lines(folder + QLatin1Char('/') + gift).value(0));
        QVERIFY(!grants.teamChoice && !grants.exceptChoice);
    }
    QVERIFY(hasTotalTable(dir + QStringLiteral("/base.db")));
    QCOMPARE(everything(dir).filter(QStringLiteral("base.db")), QStringList{"base.db"});
}

void TestDataFolder::leavesAFolderWithFilesAlone_data() {
    QTest::addColumn<QString>("playerFile");
    QTest::newRow("a player's pool") << "teams4.txt";
    QTest::newRow("settings without a database") << "settings.ini";
    QTest::newRow("a database of its own") << "base.db";
}

void TestDataFolder::leavesAFolderWithFilesAlone() {
    QFETCH(QString, playerFile);
    kvtest::WorkFolder work;
    const QByteArray mine("Мой файл\r\n");
    work.writeBytes(playerFile, mine);
    QVERIFY(!prepareDataFolder(work.path(), defaultsDir()));
    QCOMPARE(everything(work.path()), QStringList{playerFile});
    QCOMPARE(work.bytes(playerFile), mine);
}

void TestDataFolder::failureHalfWayLeavesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("folderExists");
    QTest::newRow("bad schema, new folder") << "schema" << false;
    QTest::newRow("bad schema, empty folder") << "schema" << true;
    QTest::newRow("full disk") << "full" << true;
    QTest::newRow("read-only folder") << "readonly" << true;
}

void TestDataFolder::failureHalfWayLeavesNothing() {
    QFETCH(QString, fault);
    QFETCH(bool, folderExists);
    if (fault == QLatin1String("readonly") && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    kvtest::WorkFolder work;
    const QString dir = work.path(QStringLiteral("data"));
    if (folderExists)
        QDir().mkpath(dir);

    // A copy of the defaults with the fault built in.
    const QString defaults = work.path(QStringLiteral("defaults"));
    QDir().mkpath(defaults);
    for (const QString& name : QDir(defaultsDir()).entryList(QDir::Files))
        QFile::copy(defaultsDir() + name, defaults + QLatin1Char('/') + name);
    if (fault == QLatin1String("schema"))
        work.writeBytes(QStringLiteral("defaults/base.sql"),
                        "CREATE TABLE Total (id INTEGER);\nCREATE TABLE Broken (;\n");
    if (fault == QLatin1String("readonly"))
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);

    bool threw = false;
    try {
        std::optional<FullDisk> full;
        if (fault == QLatin1String("full"))
            full.emplace();
        prepareDataFolder(dir, defaults);
    } catch (const Error& e) {
        threw = true;
        QVERIFY2(e.text().contains(QStringLiteral("Не удалось подготовить папку данных")),
                 qPrintable(e.text()));
    }
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(threw);
    QCOMPARE(QFileInfo::exists(dir), folderExists);
    QCOMPARE(everything(dir), QStringList{});

    // The next start, with the fault gone, fills the folder.
    QVERIFY(prepareDataFolder(dir, defaultsDir()));
    QVERIFY(hasTotalTable(dir + QStringLiteral("/base.db")));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_datafolder.moc"
