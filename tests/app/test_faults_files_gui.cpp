// Failed writes of every data file the windows rewrite: a full disk, a folder or a file the
// user may not write, a folder standing where the file should be. Each failure is shown through
// the window's error box, the old file stays byte for byte, nothing is left behind, and pressing
// the same button again once the fault is gone does the write.
//
// File permissions do not stop root: run as root, the read-only cases become the user "nobody"
// around the one press (an ordinary user is stopped as he is). The full disk is a file size
// limit (RLIMIT_FSIZE), which binds root too.
#include "historydb.h"
#include "programfixture.h"
#include "testsupport.h"

#include "app/tform1.h"
#include "app/tform6.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/random.h"
#include "common/services.h"
#include "pools/tform2.h"
#include "pools/tform8.h"
#include "results/tform9.h"
#include "tournament/spreadsheet.h"
#include "tournament/tform5.h"

#include <QDirIterator>
#include <QPlainTextEdit>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using kvtest::child;
using Answer = kv::Dialogs::Answer;

namespace {

enum class Fault { FullDisk, ReadOnlyFolder, ReadOnlyFile, FolderInTheWay };

// Every file of the folder, by relative path; folders as an entry of their own.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(root).relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            files.insert(name + QLatin1Char('/'), QByteArray());
        } else {
            QFile file(path);
            files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
        }
    }
    return files;
}

// One fault, active from construction to destruction (or lift()).
class FaultScope {
public:
    FaultScope(Fault fault, const QString& folder, const QString& target, rlim_t sizeLimit)
        : fault_(fault), folder_(folder) {
        switch (fault) {
        case Fault::FullDisk: {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of a signal
            getrlimit(RLIMIT_FSIZE, &old_);
            rlimit limit = old_;
            limit.rlim_cur = sizeLimit;
            QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
            break;
        }
        case Fault::ReadOnlyFolder:
        case Fault::ReadOnlyFile: {
            const bool folderWritable = fault == Fault::ReadOnlyFile;
            QDirIterator it(folder, QDir::Files | QDir::Hidden);
            while (it.hasNext())
                QFile::setPermissions(it.next(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ReadOther | QFile::WriteOther);
            if (fault == Fault::ReadOnlyFile)
                QFile::setPermissions(QDir(folder).filePath(target),
                                      QFile::ReadOwner | QFile::ReadOther);
            // The owner is the user under test unless root runs the test as "nobody".
            QFile::Permissions dir =
                QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
            if (folderWritable)
                dir |= QFile::WriteOwner | QFile::WriteOther;
            QFile::setPermissions(folder, dir);
            readOnly_ = true;
            user_.emplace();
            break;
        }
        case Fault::FolderInTheWay:
            break; // made by the caller before the snapshot
        }
        active_ = true;
    }
    ~FaultScope() { lift(); }
    void lift() {
        if (!active_)
            return;
        active_ = false;
        if (fault_ == Fault::FullDisk)
            setrlimit(RLIMIT_FSIZE, &old_);
        user_.reset();
        if (readOnly_) {
            QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QDirIterator it(folder_, QDir::Files | QDir::Hidden);
            while (it.hasNext())
                QFile::setPermissions(it.next(), QFile::ReadOwner | QFile::WriteOwner);
        }
    }

private:
    Fault fault_;
    QString folder_;
    rlimit old_{};
    bool readOnly_ = false;
    std::optional<kvtest::Unprivileged> user_;
    bool active_ = false;
};

// The program in a fresh folder holding one evening's files.
struct Program : kvtest::ProgramFixture {
    Program()
        : ProgramFixture(11, QDateTime(QDate(2024, 3, 9), QTime(20, 15)), kvtest::Reach::Everyone) {
        // Pictures the award never draws, so that a new award always changes the files.
        folder.writeStartData({.players = kvtest::kPlayers}, "unteam.bmp", "unteam.bmp");
        folder.write("bomb.txt", {"Пенва"});
        folder.write("all_last.txt", {"Спартак", "Зенит", "Динамо"});
        folder.write("temp", {"старый список"});
        kvtest::createDatabase("CREATE TABLE Total (id INTEGER PRIMARY KEY, Игрок TEXT)",
                               folder.path("base.db"));
    }
    void openWindows() {
        open();
        form1->show();
    }
};

// What a row does: prepare (no fault) and the one press that writes (under the fault).
enum class Action {
    StartupSettings,
    StartupCandidates,
    SettingsOk,
    FullTable,
    Award,
    BestScorer,
    PoolsOk,
    Schedule,
    LogSave,
    LogClear
};

} // namespace

class TestFaultsFiles : public QObject {
    Q_OBJECT
private slots:
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
};

void TestFaultsFiles::failedWriteKeepsTheOldFile_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("retry"); // pressing again once the fault is gone writes the file

    struct Write {
        const char* name;
        Action action;
        const char* target;
        QList<Fault> faults;
        bool retry;
    };
    // The read-only folder and the full disk hit the first write of a press; a file of its own
    // (read-only, or a folder in its place) also the later ones.
    const QList<Fault> all{Fault::FullDisk, Fault::ReadOnlyFolder, Fault::ReadOnlyFile,
                           Fault::FolderInTheWay};
    const Write writes[] = {
        {"start-up settings",
         Action::StartupSettings,
         "settings.ini",
         {Fault::FullDisk, Fault::ReadOnlyFolder},
         true},
        {"start-up temp", Action::StartupCandidates, "temp", all, true},
        {"settings OK", Action::SettingsOk, "settings.ini", all, true},
        {"full table last.txt", Action::FullTable, "last.txt", all, true},
        {"award gift1", Action::Award, "gift1.txt", {Fault::FullDisk, Fault::ReadOnlyFile}, true},
        {"award gift2", Action::Award, "gift2.txt", {Fault::ReadOnlyFile}, true},
        {"best scorer", Action::BestScorer, "bomb.txt", all, true},
        {"pools OK", Action::PoolsOk, "superteams.txt", all, true},
        // "Расписание" is spent before the log is written: the schedule stands, no second press.
        {"schedule log", Action::Schedule, "all_last.txt", all, false},
        {"log window save", Action::LogSave, "all_last.txt", all, true},
        // Emptying needs no room, so a size limit cannot stop it.
        {"log window clear",
         Action::LogClear,
         "all_last.txt",
         {Fault::ReadOnlyFolder, Fault::ReadOnlyFile, Fault::FolderInTheWay},
         true},
    };
    const char* faultNames[] = {"full disk", "read-only folder", "read-only file",
                                "folder in the way"};
    for (const Write& w : writes)
        for (Fault f : w.faults)
            QTest::addRow("%s, %s", w.name, faultNames[int(f)])
                << int(w.action) << QString::fromLatin1(w.target) << int(f) << w.retry;
}

void TestFaultsFiles::failedWriteKeepsTheOldFile() {
    QFETCH(int, action);
    QFETCH(QString, target);
    QFETCH(int, fault);
    QFETCH(bool, retry);
    const auto act = Action(action);

    Program p;
    if (Fault(fault) == Fault::ReadOnlyFolder || Fault(fault) == Fault::ReadOnlyFile)
        if (const QString why = kvtest::Unprivileged::unavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
    if (act == Action::StartupSettings)
        QFile::remove(p.folder.path("settings.ini")); // a first start
    if (act != Action::StartupSettings && act != Action::StartupCandidates)
        p.openWindows();

    // Everything up to the press that writes, fault-free.
    rlim_t sizeLimit = 1;
    switch (act) {
    case Action::FullTable:
    case Action::Award:
    case Action::Schedule:
        p.tournamentOnScreen({"Roma", "Ajax", "Bari"});
        if (act == Action::Award) {
            // The award writes after last.txt: room for that one, not for a picture's path.
            sizeLimit = rlim_t(QByteArray("Roma\r\nAjax\r\nBari\r\n09.03.2024\r\n").size());
            QVERIFY(p.folder.files().imagePath("team.bmp").toUtf8().size() > qsizetype(sizeLimit));
        }
        break;
    case Action::SettingsOk:
        p.form1->N8Click();
        QVERIFY(p.form6->isVisible());
        p.form6->Edit1->setText("Новое имя");
        break;
    case Action::BestScorer:
        p.form9->showStatistics({"Лодыш", "Пенва", "Зурко"});
        break;
    case Action::PoolsOk:
        p.form2->openFromMenu();
        p.form2->Button7->click();
        p.form2->Memo7->appendPlainText("Новый клуб");
        break;
    case Action::LogSave:
        p.form8->openFromMainWindow();
        p.form8->Button1->click();
        p.form8->Memo1->appendPlainText("Рубин");
        break;
    default:
        break;
    }
    const QByteArray original = p.folder.bytes(target);
    if (Fault(fault) == Fault::FolderInTheWay) {
        QFile::remove(p.folder.path(target));
        QVERIFY(QDir(p.folder.path()).mkpath(target + "/inside"));
        kv::writeLines(p.folder.path(target + "/inside/keep.txt"), {"keep"});
    }
    p.dialogs.clear();
    const QMap<QString, QByteArray> before = snapshot(p.folder.path());

    kv::EveningOwner nextRun;
    std::unique_ptr<TForm1> restarted;
    const auto press = [&] {
        switch (act) {
        case Action::StartupSettings:
            p.dialogs.queue(Answer::Yes); // a first start asks for the category
            [[fallthrough]];
        case Action::StartupCandidates:
            restarted = std::make_unique<TForm1>(p.services, p.state, nextRun);
            break;
        case Action::SettingsOk:
            p.form6->BitBtn1->click();
            break;
        case Action::FullTable:
        case Action::Award:
            p.form1->BitBtn1->click();
            break;
        case Action::BestScorer:
            p.form9->Button3->click();
            break;
        case Action::PoolsOk:
            p.form2->BitBtn7->click();
            break;
        case Action::Schedule:
            p.form1->Button1->click();
            break;
        case Action::LogSave:
            p.form8->Button3->click();
            break;
        case Action::LogClear:
            p.dialogs.queue(Answer::Yes);
            p.form8->Button2Click();
            break;
        }
    };
    {
        FaultScope scope(Fault(fault), p.folder.path(), target, sizeLimit);
        if (QTest::currentTestFailed())
            return;
        press();
    }
    const QMap<QString, QByteArray> after = snapshot(p.folder.path());

    // The failure is shown and names the file.
    const QStringList errors = p.dialogs.errors();
    QVERIFY2(errors.size() == 1, qPrintable(p.dialogs.texts().join(" | ")));
    QVERIFY2(errors[0].contains('"' + target + '"'), qPrintable(errors[0]));
    // The target is untouched, a folder in its place too, and nothing new was left behind.
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (it.key() == target || it.key().startsWith(target + '/'))
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    if (!before.contains(target))
        QVERIFY(!after.contains(target));
    for (const QString& name : after.keys())
        QVERIFY2(before.contains(name), qPrintable("left behind: " + name));

    // The window says what happened where the user will look.
    switch (act) {
    case Action::SettingsOk:
        QVERIFY(p.form6->isVisible()); // still open, so OK can be pressed again
        QVERIFY(!p.form1->isEnabled());
        QCOMPARE(p.form1->Label16->text(), QStringLiteral("Зурко"));
        QVERIFY(p.form6->BitBtn1->isEnabled());
        break;
    case Action::PoolsOk: // still editing, the text kept
        QVERIFY(p.form2->Memo7->isReadOnly());
        QVERIFY(!p.form2->Button7->isEnabled());
        QVERIFY(p.form2->BitBtn7->isEnabled());
        QVERIFY(p.form2->Memo7->toPlainText().endsWith("Новый клуб"));
        break;
    case Action::LogSave:
        QVERIFY(!p.form8->Memo1->isReadOnly());
        QVERIFY(!p.form8->Button1->isEnabled());
        QVERIFY(p.form8->Button3->isEnabled());
        break;
    default:
        break;
    }

    if (!retry)
        return;
    if (Fault(fault) == Fault::FolderInTheWay)
        QVERIFY(QDir(p.folder.path(target)).removeRecursively());
    p.dialogs.clear();
    press();
    QVERIFY2(p.dialogs.errors().isEmpty(), qPrintable(p.dialogs.errors().join(" | ")));
    QVERIFY(QFileInfo(p.folder.path(target)).isFile());
    QVERIFY(p.folder.bytes(target) != original);
    if (act == Action::SettingsOk)
        QCOMPARE(p.form1->Label16->text(), QStringLiteral("Новое имя"));
    if (act == Action::PoolsOk) {
        QCOMPARE(p.folder.lines(target).last(), QStringLiteral("Новый клуб"));
        QVERIFY(p.form2->Button7->isEnabled());
        QVERIFY(!p.form2->BitBtn7->isEnabled());
    }
}

QTEST_MAIN(TestFaultsFiles)
#include "test_faults_files_gui.moc"
