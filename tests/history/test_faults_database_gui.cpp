// A tournament write that fails at any one of its statements, at the commit, or on a full disk
// leaves base.db exactly as it was (every table and the schema, read by the sqlite3 program),
// the results window shows the error, and the next press stores the tournament once.
#include "../results/resultswindow.h"

#include "history/gui_restore.h"

#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTableWidget>

#include <csignal>
#include <memory>
#include <optional>
#ifdef KV_SQLITE3_API
#include <sqlite3.h>
#else
// Action codes of the SQLite authorizer, for the table of cases.
#define SQLITE_INSERT 18
#define SQLITE_READ 20
#endif
#include <sys/resource.h>

using kvtest::child;
using kvtest::sqliteRows;

namespace {

const QString& kTable = kvtest::kResultsTable;
const QStringList& kNames = kvtest::kPlayers;

// Everything a reader of the file sees: the schema and every row of every table.
QString dump() {
    return kvtest::sqlite3(QStringLiteral(".dump"));
}

// The dump and the engine's own check of the file, read by one run of the reader.
std::pair<QString, QString> dumpAndCheck() {
    QString out = kvtest::sqlite3(QStringLiteral(".dump\nPRAGMA integrity_check;"));
    const qsizetype verdict = out.lastIndexOf(QLatin1Char('\n'), -2) + 1;
    return {out.left(verdict), out.mid(verdict).trimmed()};
}

// The window with a computed tournament, ready to write it.
struct Env : kvtest::ResultsWindow {
    Env() {
        handOver();
        scores({{0, "3"},
                {1, "1"},
                {3, "2"},
                {4, "1"},
                {5, "1"},
                {6, "2"},
                {7, "2"},
                {8, "4"},
                {10, "1"},
                {11, "3"}});
        form->Button1->click();
        QVERIFY(form->BitBtn1->isEnabled());
    }
#ifdef KV_SQLITE3_API
    ::sqlite3* handle() const {
        const QVariant v = kvtest::connectionOf(form->database()).driver()->handle();
        if (qstrcmp(v.typeName(), "sqlite3*") != 0) {
            kvtest::fail(QStringLiteral("not an SQLite connection"));
            return nullptr;
        }
        return *static_cast<::sqlite3* const*>(v.data());
    }
#endif
    // Points of each player as the window shows them.
    QStringList list() const {
        return kvtest::listedTables(form->ListBox1);
    }
    QStringList points() const {
        return {form->Label19->text(), form->Label23->text(), form->Label27->text()};
    }
};

// Refuses statements of one kind on one object when they are prepared.
struct Refusal {
    int action = 0;
    QByteArray object;
};

#ifdef KV_SQLITE3_API
int refuse(void* arg, int action, const char* a, const char*, const char*, const char*) {
    const auto* r = static_cast<const Refusal*>(arg);
    return action == r->action && a && r->object == a ? SQLITE_DENY : SQLITE_OK;
}

int vetoCommit(void*) {
    return 1; // the commit becomes a rollback
}

#endif

enum class Injection { Sql, Refuse, CommitHook, ReaderLock };

// Puts the pre-existing Total rows of the three players in, for the UPDATE path.
QString playersInTotal() {
    QString sql;
    for (const QString& name : kNames)
        sql += QStringLiteral("INSERT INTO Total (Игрок, Побед, Очки, Первый) VALUES ('%1', 5, 15, "
                              "1);")
                   .arg(name);
    return sql;
}

// Checks that the tournament is stored once: its table with three rows and one Total row per
// player whose points grew by this tournament's; the engine finds the file sound.
void verifyStoredOnce(const Env& env, int previousPoints) {
    QStringList queries{QStringLiteral("SELECT count(*) FROM \"%1\"").arg(kTable),
                        "SELECT count(*) FROM sqlite_master WHERE type='table' AND name LIKE "
                        "'%\\_\\_%' ESCAPE '\\'"};
    for (int i = 0; i < 3; ++i)
        queries << QStringLiteral("SELECT count(*), sum(Очки) FROM Total WHERE Игрок='%1'")
                       .arg(kNames[i]);
    const QList<QStringList> rows = kvtest::sqliteRowsOf(queries << "PRAGMA integrity_check");
    QCOMPARE(rows.value(0), QStringList{"3"});
    QCOMPARE(rows.value(1), QStringList{"1"});
    const QStringList points = env.points();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rows.value(2 + i),
                 QStringList{QStringLiteral("1|%1").arg(points[i].toInt() + previousPoints)});
    QCOMPARE(rows.value(5), QStringList{"ok"});
}

} // namespace

class TestFaultsDatabase : public QObject {
    Q_OBJECT
private slots:
    void failureAtEachStatementChangesNothing_data();
    void failureAtEachStatementChangesNothing();
    void fullDiskChangesNothing();
    void damagedDatabaseIsToldInRussian_data();
    void damagedDatabaseIsToldInRussian();
    void restorePutsCopyInPlaceAndKeepsCurrentFile();
    void restoreWindowIsOneAndOutlivesNoRead();
};

void TestFaultsDatabase::failureAtEachStatementChangesNothing_data() {
    QTest::addColumn<bool>("playersKnown"); // Total already has the three: UPDATE, not INSERT
    QTest::addColumn<int>("injection");
    QTest::addColumn<QString>("setUp");  // SQL run before the press (Injection::Sql)
    QTest::addColumn<QString>("undo");   // SQL that removes the fault again
    QTest::addColumn<int>("action");     // Injection::Refuse: the statement kind refused
    QTest::addColumn<QString>("object"); // and its table or index

    const QString q = '"' + kTable + '"';
    QTest::newRow("create table: a view has the name")
        << false << int(Injection::Sql) << "CREATE VIEW " + q + " AS SELECT 1;"
        << "DROP VIEW " + q + ";" << 0 << QString();
    QTest::newRow("insert into the tournament table")
        << false << int(Injection::Refuse) << QString() << QString() << SQLITE_INSERT << kTable;
    QTest::newRow("create index: the name is taken")
        << false << int(Injection::Sql)
        << QStringLiteral("CREATE INDEX \"%1.id\" ON Total (id);").arg(kTable)
        << QStringLiteral("DROP INDEX \"%1.id\";").arg(kTable) << 0 << QString();
    QTest::newRow("look-up in Total")
        << false << int(Injection::Refuse) << QString() << QString() << SQLITE_READ << "Total";
    for (int p = 0; p < 3; ++p) {
        for (bool known : {false, true}) {
            const QString trigger =
                QStringLiteral("CREATE TRIGGER fault BEFORE %1 ON Total WHEN %2.Игрок = '%3' "
                               "BEGIN SELECT RAISE(ABORT, 'injected fault'); END;")
                    .arg(known ? "UPDATE" : "INSERT", known ? "OLD" : "NEW", kNames[p]);
            QTest::addRow("%s Total, player %d", known ? "update" : "insert into", p + 1)
                << known << int(Injection::Sql) << trigger << "DROP TRIGGER fault;" << 0
                << QString();
        }
    }
    QTest::newRow("commit vetoed")
        << true << int(Injection::CommitHook) << QString() << QString() << 0 << QString();
    QTest::newRow("commit blocked by a reader")
        << false << int(Injection::ReaderLock) << QString() << QString() << 0 << QString();
}

void TestFaultsDatabase::failureAtEachStatementChangesNothing() {
    QFETCH(bool, playersKnown);
    QFETCH(int, injection);
    QFETCH(QString, setUp);
    QFETCH(QString, undo);
    QFETCH(int, action);
    QFETCH(QString, object);

    Env env;
    // The set-up and the dump that the file is compared with, in one run of the reader.
    const QString before =
        kvtest::sqlite3((playersKnown ? playersInTotal() : QString()) + setUp + "\n.dump");

#ifdef KV_SQLITE3_API
    Refusal refusal{action, object.toUtf8()};
#else
    Q_UNUSED(action);
    if (Injection(injection) == Injection::Refuse || Injection(injection) == Injection::CommitHook)
        QSKIP("needs SQLite's own headers (libsqlite3-dev)");
#endif
    std::unique_ptr<QSqlDatabase> reader;
    std::unique_ptr<QSqlQuery> readerQuery;
    switch (Injection(injection)) {
#ifdef KV_SQLITE3_API
    case Injection::Refuse:
        QVERIFY(env.handle());
        sqlite3_set_authorizer(env.handle(), refuse, &refusal);
        break;
    case Injection::CommitHook:
        QVERIFY(env.handle());
        sqlite3_commit_hook(env.handle(), vetoCommit, nullptr);
        break;
#endif
    case Injection::ReaderLock: {
        // Another program reading base.db in a transaction at the moment of the commit.
        reader = std::make_unique<QSqlDatabase>(
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader")));
        reader->setDatabaseName(env.folder.path("base.db"));
        reader->setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QVERIFY(reader->open());
        readerQuery = std::make_unique<QSqlQuery>(*reader);
        QVERIFY(readerQuery->exec("BEGIN"));
        QVERIFY(readerQuery->exec("SELECT * FROM Total"));
        readerQuery->next();
        break;
    }
    default:
        break;
    }

    env.form->BitBtn1->click();

    const QStringList errors = env.dialogs.errors();
    QCOMPARE(errors.size(), 1);
    QCOMPARE(env.form->ProgressBar1->value(), 0);
    QVERIFY(env.form->BitBtn1->isEnabled());
    // A database held by another program: the evening is said to be not written.
    if (Injection(injection) == Injection::ReaderLock)
        QVERIFY2(errors[0].startsWith("Турнир не записан: база турниров") &&
                     errors[0].contains("занята другой программой"),
                 qPrintable(errors[0]));

        // The fault goes away.
#ifdef KV_SQLITE3_API
    if (::sqlite3* db = env.handle()) {
        sqlite3_set_authorizer(db, nullptr, nullptr);
        sqlite3_commit_hook(db, nullptr, nullptr);
    }
#endif
    if (readerQuery) {
        readerQuery->finish();
        readerQuery->exec("ROLLBACK");
        readerQuery.reset();
        reader->close();
        reader.reset();
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    }
    // The fault is taken away right after the dump.
    QCOMPARE(kvtest::sqlite3(".dump\n" + undo), before);

    env.dialogs.clear();
    env.form->BitBtn1->click();
    QVERIFY2(env.dialogs.errors().isEmpty(), qPrintable(env.dialogs.errors().join(" | ")));
    QCOMPARE(env.form->ProgressBar1->value(), 100);
    QVERIFY(!env.form->BitBtn1->isEnabled());
    verifyStoredOnce(env, playersKnown ? 15 : 0);
}

void TestFaultsDatabase::fullDiskChangesNothing() {
    // The disk fills up at every point of the write in turn: the file size limit grows from
    // nothing until the write goes through.
    Env env;
    // Each failed press is checked to leave the file as it was, so one dump serves them all.
    const QString before = kvtest::sqlite3(playersInTotal() + "\n.dump");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const qint64 start = QFileInfo(env.folder.path("base.db")).size();
    int failures = 0;
    bool fullTold = false;
    bool stored = false;
    for (qint64 limit = 0; !stored && limit < start + 64 * 1024; limit += 512) {
        env.dialogs.clear();
        rlimit small = old;
        small.rlim_cur = rlim_t(limit);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        env.form->BitBtn1->click();
        setrlimit(RLIMIT_FSIZE, &old);
        if (env.dialogs.errors().isEmpty()) {
            stored = true;
            break;
        }
        ++failures;
        QCOMPARE(env.dialogs.errors().size(), 1);
        // Whether the copy or the write met the limit, the players read that nothing changed.
        const QString told = env.dialogs.errors()[0];
        QVERIFY2(told.contains("база осталась как была"), qPrintable(told));
        fullTold = fullTold || told.startsWith("Турнир не записан: ");
        QCOMPARE(env.form->ProgressBar1->value(), 0);
        const auto [now, verdict] = dumpAndCheck();
        QVERIFY2(now == before, qPrintable(QStringLiteral("limit %1").arg(limit)));
        QCOMPARE(verdict, QStringLiteral("ok"));
    }
    QVERIFY(stored);
    QVERIFY(failures > 0);
    QVERIFY(fullTold);
    verifyStoredOnce(env, 15);
}

enum class Damage {
    RandomBytes,
    Truncated,
    ZeroBytes,
    Folder,
    OtherDatabase,
    Missing,
    Locked,
    Newer
};

QByteArray randomBytes() {
    QByteArray bytes(8192, '\0');
    QRandomGenerator random(7);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

void TestFaultsDatabase::damagedDatabaseIsToldInRussian_data() {
    QTest::addColumn<int>("damage");
    QTest::addColumn<QString>("told");
    QTest::newRow("random bytes") << int(Damage::RandomBytes) << "это не файл базы данных";
    QTest::newRow("truncated") << int(Damage::Truncated) << "файл испорчен или обрезан";
    QTest::newRow("zero bytes") << int(Damage::ZeroBytes) << "файл пуст";
    QTest::newRow("a folder") << int(Damage::Folder) << "на месте файла - папка";
    QTest::newRow("no Total") << int(Damage::OtherDatabase) << "нет таблицы \"Total\"";
    QTest::newRow("missing") << int(Damage::Missing) << "нет: его удалили или переместили";
    QTest::newRow("locked") << int(Damage::Locked) << "занята другой программой";
    QTest::newRow("newer format") << int(Damage::Newer) << "более новой версией программы";
}

void TestFaultsDatabase::damagedDatabaseIsToldInRussian() {
    QFETCH(int, damage);
    QFETCH(QString, told);
    Env env;
    env.form->BitBtn1->click(); // a safety copy is made
    env.database.close();
    const QByteArray stored = env.folder.bytes("base.db");
    const QHash<int, QByteArray> bytes{{int(Damage::RandomBytes), randomBytes()},
                                       {int(Damage::Truncated), stored.left(stored.size() / 2)},
                                       {int(Damage::ZeroBytes), {}}};
    if (bytes.contains(damage))
        env.folder.writeBytes("base.db", bytes[damage]);
    if (damage == int(Damage::Folder))
        QVERIFY(QFile::remove("base.db") && QDir().mkdir("base.db"));
    if (damage == int(Damage::OtherDatabase))
        kvtest::sqlite3("DROP TABLE Total;");
    if (damage == int(Damage::Missing))
        QVERIFY(QFile::remove("base.db"));
    if (damage == int(Damage::Newer))
        kvtest::sqlite3("PRAGMA user_version = 7;");
    std::optional<QSqlDatabase> other;
    if (damage == int(Damage::Locked)) {
        other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other->setDatabaseName(env.folder.path("base.db"));
        QVERIFY(other->open() && QSqlQuery(*other).exec("BEGIN EXCLUSIVE"));
    }
    const QString before = QFileInfo("base.db").isFile() ? dump() : QString();
    env.form->ListBox1->clear();
    env.dialogs.clear();
    if (damage < int(Damage::Locked))
        env.dialogs.queue(kv::Dialogs::Answer::No); // damage asks whether to restore
    env.form->FormCreate();

    const QList<kv::ScriptedDialogs::Shown> shown = env.dialogs.shown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].text.contains(told), qPrintable(shown[0].text));
    if (damage < int(Damage::Locked)) {
        // Damage is offered the copies, and the file stays as it was for whoever looks at it.
        QCOMPARE(shown[0].kind, kv::ScriptedDialogs::Kind::YesNo);
        QVERIFY(shown[0].text.contains("backups") &&
                shown[0].text.endsWith("Восстановить из копии?"));
        if (bytes.contains(damage))
            QCOMPARE(env.folder.bytes("base.db"), bytes[damage]);
        QCOMPARE(QFileInfo::exists("base.db"), damage != int(Damage::Missing)); // none made
    } else if (damage == int(Damage::Locked)) {
        // The list fills at the next showing once the other program let go; a change while it
        // holds the file again is named the same way.
        QCOMPARE(env.form->ListBox1->count(), 0);
        QSqlQuery lock(*other);
        lock.exec("ROLLBACK");
        env.form->hide();
        env.form->show();
        QCOMPARE(env.list(), QStringList({kTable, "Total"}));
        QVERIFY(lock.exec("BEGIN EXCLUSIVE"));
        try {
            env.database.change([] {});
            QFAIL("a change went through");
        } catch (const kv::Error& e) {
            QVERIFY2(e.text().contains(told), qPrintable(e.text()));
        }
        // An evening that meets the other program is told as not written.
        try {
            env.database.writeTournament("09_12_2016__21_05_33", kvtest::sampleTournament());
            QFAIL("the tournament was written");
        } catch (const kv::Error& e) {
            QVERIFY2(e.text().startsWith("Турнир не записан: база турниров") &&
                         e.text().contains(told),
                     qPrintable(e.text()));
        }
        lock.exec("ROLLBACK");
        lock = QSqlQuery();
        other->close();
        other.reset();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    } else {
        // A newer database is read, never changed.
        QCOMPARE(env.list(), QStringList({kTable, "Total"}));
        env.dialogs.clear();
        env.form->ListBox1->setCurrentRow(0);
        env.dialogs.queue(kv::Dialogs::Answer::Yes);
        env.form->DeleteButton->click();
        QVERIFY(env.dialogs.texts().join("|").contains("только для чтения"));
        QCOMPARE(dump(), before);
    }
}

void TestFaultsDatabase::restorePutsCopyInPlaceAndKeepsCurrentFile() {
    Env env;
    env.form->BitBtn1->click(); // the first copy holds no tournament
    env.database.writeTournament("09_12_2016__21_05_33", kvtest::sampleTournament());
    env.database.close();
    const QByteArray damaged = randomBytes();
    env.folder.writeBytes("base.db", damaged);

    env.dialogs.queue(kv::Dialogs::Answer::Yes);
    env.form->FormCreate();
    kv::RestoreWindow* window = nullptr;
    QTRY_VERIFY((window = env.form->findChild<kv::RestoreWindow*>()) && window->isVisible());
    const auto* copies = child<QTableWidget>(window, "CopyList");
    QTRY_COMPARE(copies->rowCount(), 2);
    QCOMPARE(copies->item(0, 1)->text() + ' ' + copies->item(0, 2)->text(), "1 " + kTable);
    QCOMPARE(copies->item(1, 1)->text(), "0");
    QCOMPARE(copies->item(0, 3)->text(), "перед записью 09.12.2016");

    // A journal belongs to the file it was written for, never to the copy.
    env.folder.writeBytes("base.db-journal", "left by a change cut short");
    env.dialogs.queue(kv::Dialogs::Answer::Yes);
    child<QPushButton>(window, "RestoreButton")->click();
    QVERIFY2(env.dialogs.errors().isEmpty(), qPrintable(env.dialogs.errors().join(" | ")));
    QCOMPARE(env.list(), QStringList({kTable, "Total"}));
    QCOMPARE(sqliteRows("SELECT count(*) FROM \"" + kTable + "\""), QStringList{"3"});
    const QStringList kept = QDir().entryList({"base-replaced-*"}, QDir::Files, QDir::Name);
    QCOMPARE(kept.size(), 2);
    QCOMPARE(env.folder.bytes(kept[0]), damaged);
    QVERIFY(kept[1].endsWith("-journal") && !env.folder.exists("base.db-journal"));
    QVERIFY(!window->isVisible());
}

void TestFaultsDatabase::restoreWindowIsOneAndOutlivesNoRead() {
    Env env;
    env.form->BitBtn1->click(); // one copy to read
    QWidget other;
    kv::showRestoreWindow(env.form.get(), env.database, env.dialogs);
    kv::showRestoreWindow(&other, env.database, env.dialogs);
    QPointer<kv::RestoreWindow> window = env.form->findChild<kv::RestoreWindow*>();
    QVERIFY(window && window->isVisible() && !other.findChild<kv::RestoreWindow*>());
    QTRY_COMPARE(child<QTableWidget>(window, "CopyList")->rowCount(), 1);

    // Closed while reads run: what they find is dropped, and none outlives the window.
    QList<QPointer<QThread>> readers;
    for (int i = 0; i < 3; ++i)
        window->refresh();
    for (QThread* reader : window->findChildren<QThread*>())
        readers << reader;
    QVERIFY(readers.size() >= 3);
    window->close();
    QTRY_VERIFY(window->findChildren<QThread*>().isEmpty());
    QCOMPARE(child<QTableWidget>(window, "CopyList")->rowCount(), 0);
    window->refresh();
    delete window.data();
    for (const QPointer<QThread>& reader : readers)
        QVERIFY(!reader);
    QVERIFY(env.dialogs.errors().isEmpty());
}

QTEST_MAIN(TestFaultsDatabase)
#include "test_faults_database_gui.moc"
