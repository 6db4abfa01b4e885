#include "app/startup.h"
#include "common/datafolder.h"
#include "common/errors.h"
#include "common/programdir.h"
#include "common/textfile.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
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
    void findsTheProgramFiles();
    void fillsAMissingOrEmptyFolder_data();
    void fillsAMissingOrEmptyFolder();
    void leavesAFolderWithFilesAlone_data();
    void leavesAFolderWithFilesAlone();
    void failureHalfWayLeavesNothing_data();
    void failureHalfWayLeavesNothing();
    void finishesWhatAKilledSetUpLeft_data();
    void finishesWhatAKilledSetUpLeft();
    void twoSetUpsAtOnceMakeOneWholeFolder_data();
    void twoSetUpsAtOnceMakeOneWholeFolder();
    void saysWhatIsWrong_data();
    void saysWhatIsWrong();
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

// The program's files: beside the executable in the build tree, installed in share/ beside bin/.
void TestDataFolder::findsTheProgramFiles() {
    kvtest::WorkFolder work;
    const auto found = [&] { return ProgramFiles::besideExecutable(work.path("usr/bin")); };
    QVERIFY(QDir().mkpath(work.path("usr/bin/images")));
    QCOMPARE(found().imagePath("a.bmp"), work.path("usr/bin/images/a.bmp"));
    QVERIFY(QDir().mkpath(work.path("usr/share/zorvo-kickvale-6/images")));
    QCOMPARE(found().imagePath("a.bmp"), work.path("usr/share/zorvo-kickvale-6/images/a.bmp"));
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
    QVERIFY(prepareDataFolder(dir, work.files()));

    QDirIterator it(work.files().defaultsDir(), {QStringLiteral("*.txt")}, QDir::Files);
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
    QVERIFY(!prepareDataFolder(work.path(), work.files()));
    QCOMPARE(everything(work.path()), QStringList{playerFile});
    QCOMPARE(work.bytes(playerFile), mine);
}

void TestDataFolder::failureHalfWayLeavesNothing_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QString>("folder");
    QTest::newRow("bad schema, new folder") << "schema" << false << "data";
    QTest::newRow("bad schema, empty folder") << "schema" << true << "data";
    QTest::newRow("full disk") << "full" << true << "data";
    QTest::newRow("read-only folder") << "readonly" << true << "data";
    QTest::newRow("no defaults, new folders") << "nodefaults" << false << "data/b/c";
}

void TestDataFolder::failureHalfWayLeavesNothing() {
    QFETCH(QString, fault);
    QFETCH(bool, folderExists);
    QFETCH(QString, folder);
    if (fault == QLatin1String("readonly") && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    kvtest::WorkFolder work;
    const QString dir = work.path(folder);
    if (folderExists)
        QDir().mkpath(dir);

    // A copy of the defaults with the fault built in.
    const QString defaults = work.path(QStringLiteral("defaults"));
    QDir().mkpath(defaults);
    for (const QString& name : QDir(work.files().defaultsDir()).entryList(QDir::Files))
        QFile::copy(work.files().defaultsDir() + name, defaults + QLatin1Char('/') + name);
    if (fault == QLatin1String("schema"))
        work.writeBytes(QStringLiteral("defaults/base.sql"),
                        "CREATE TABLE Total (id INTEGER);\nCREATE TABLE Broken (;\n");
    if (fault == QLatin1String("readonly"))
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    if (fault == QLatin1String("nodefaults"))
        QFile::remove(defaults + QStringLiteral("/base.sql"));

    bool threw = false;
    try {
        std::optional<FullDisk> full;
        if (fault == QLatin1String("full"))
            full.emplace();
        prepareDataFolder(dir, ProgramFiles(work.path())); // its defaults/ is the copy
    } catch (const Error& e) {
        threw = true;
        QVERIFY2(e.text().contains(QStringLiteral("Не удалось подготовить папку данных")),
                 qPrintable(e.text()));
    }
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(threw);
    QCOMPARE(QFileInfo::exists(work.path(QStringLiteral("data"))), folderExists);
    QCOMPARE(everything(dir), QStringList{});

    // The next start, with the fault gone, fills the folder.
    QVERIFY(prepareDataFolder(dir, work.files()));
    QVERIFY(hasTotalTable(dir + QStringLiteral("/base.db")));
}

void TestDataFolder::finishesWhatAKilledSetUpLeft_data() {
    QTest::addColumn<QStringList>("left"); // what the killed set-up left besides one pool
    QTest::addColumn<bool>("databaseBuilt");
    QTest::newRow("marked, a few files") << QStringList{".kickvale-setup"} << true;
    QTest::newRow("an older set-up, killed building the database")
        << QStringList{"natteams.txt", ".base.db-a1B2c3"} << true;
    QTest::newRow("base.db a link that leads out of the folder")
        << QStringList{".kickvale-setup", "base.db->../outside/base.db"} << false;
}

void TestDataFolder::finishesWhatAKilledSetUpLeft() {
    QFETCH(QStringList, left);
    QFETCH(bool, databaseBuilt);
    kvtest::WorkFolder work;
    QDir().mkpath(work.path(QStringLiteral("data")));
    QDir().mkpath(work.path(QStringLiteral("outside")));
    const QByteArray pool("Моя команда\r\n");
    work.writeBytes(QStringLiteral("data/teams4.txt"), pool);
    for (const QString& name : left) {
        const QStringList link = name.split(QStringLiteral("->"));
        if (link.size() == 2)
            QVERIFY(QFile::link(link[1], work.path(QStringLiteral("data/") + link[0])));
        else
            work.writeBytes(QStringLiteral("data/") + name, "half");
    }

    QVERIFY(prepareDataFolder(work.path(QStringLiteral("data")), work.files()));
    // Finished without a file overwritten and without the set-up's own leftovers.
    QCOMPARE(work.bytes(QStringLiteral("data/teams4.txt")), pool);
    QVERIFY(work.exists(QStringLiteral("data/teams5.txt")));
    QVERIFY(work.exists(QStringLiteral("data/gift1.txt")));
    const QStringList hidden =
        everything(work.path(QStringLiteral("data"))).filter(QRegularExpression("^\\."));
    QCOMPARE(hidden, QStringList{});
    QCOMPARE(everything(work.path(QStringLiteral("outside"))), QStringList{});
    if (databaseBuilt)
        QVERIFY(hasTotalTable(work.path(QStringLiteral("data/base.db"))));
    else
        QVERIFY(QFileInfo(work.path(QStringLiteral("data/base.db"))).isSymLink());
    // A finished folder is left alone from then on.
    QVERIFY(!prepareDataFolder(work.path(QStringLiteral("data")), work.files()));
}

void TestDataFolder::twoSetUpsAtOnceMakeOneWholeFolder_data() {
    QTest::addColumn<bool>("folderExists");
    QTest::newRow("a new folder") << false;
    QTest::newRow("an empty folder") << true;
}

void TestDataFolder::twoSetUpsAtOnceMakeOneWholeFolder() {
    QFETCH(bool, folderExists);
    kvtest::WorkFolder work;
    for (int round = 0; round < 8; ++round) {
        const QString dir = work.path(QStringLiteral("data%1/kv").arg(round));
        if (folderExists)
            QDir().mkpath(dir);
        // Two processes, let go at the same moment: 0 filled the folder, 1 found it made.
        int go[2];
        QCOMPARE(pipe(go), 0);
        pid_t children[2];
        for (pid_t& child : children) {
            child = fork();
            if (child == 0) {
                char byte = 0;
                close(go[1]);
                int code = 2;
                if (read(go[0], &byte, 1) == 1) {
                    try {
                        code = prepareDataFolder(dir, work.files()) ? 0 : 1;
                    } catch (const Error& e) {
                        std::fprintf(stderr, "%s\n", e.text().toUtf8().constData());
                    }
                }
                _exit(code);
            }
        }
        close(go[0]);
        QCOMPARE(write(go[1], "gg", 2), 2);
        close(go[1]);
        QList<int> codes;
        for (pid_t child : children) {
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            codes.append(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        }
        std::sort(codes.begin(), codes.end());
        QCOMPARE(codes, (QList<int>{0, 1}));
        const QStringList entries = everything(dir);
        QVERIFY2(entries.filter(QRegularExpression("^\\.")).isEmpty(),
                 qPrintable(entries.join(' ')));
        QCOMPARE(entries.size(), 13); // ten text files, two gift files, base.db
        QVERIFY(hasTotalTable(dir + QStringLiteral("/base.db")));
        // Later starts find it made and go on.
        QVERIFY(!prepareDataFolder(dir, work.files()));
    }
}

void TestDataFolder::saysWhatIsWrong_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("notSaid");
    QTest::newRow("a file in the folder's place") << "file"
                                                  << "это файл, а не папка. Переименуйте"
                                                  << "свободное место";
    // A disk out of inodes: no file can be made there, in the system's words.
    QTest::newRow("no inodes left")
        << "inodes" << QString::fromLocal8Bit(std::strerror(ENOSPC)) << "cross-device";
}

void TestDataFolder::saysWhatIsWrong() {
    QFETCH(QString, fault);
    QFETCH(QString, said);
    QFETCH(QString, notSaid);
    kvtest::WorkFolder work;
    const QString dir = work.path(QStringLiteral("data"));
    if (fault == QLatin1String("file")) {
        work.write(QStringLiteral("data"), {});
    } else {
        QDir().mkpath(dir);
        if (::mount("kvtest", QFile::encodeName(dir).constData(), "tmpfs", 0,
                    "size=1m,nr_inodes=5") != 0)
            QSKIP("no file system with few inodes can be mounted here");
    }
    QString text;
    try {
        prepareDataFolder(dir, work.files());
    } catch (const Error& e) {
        text = e.text();
    }
    const QStringList left = QFileInfo(dir).isDir() ? everything(dir) : QStringList{};
    if (fault == QLatin1String("inodes"))
        ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
    QVERIFY2(text.contains(said) && !text.contains(notSaid), qPrintable(text));
    QCOMPARE(left, QStringList{});
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_datafolder.moc"
