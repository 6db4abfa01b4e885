#include "results/safetycopy.h"

#include "common/errors.h"
#include "results/storedform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include <sqlite3.h>

namespace kv {

namespace {

// base-2026-12-09_20-15-00.db, with _2, _3, ... for a second copy within the same second. A copy
// made while the clock reads earlier than a copy already kept (a clock set back, a folder from a
// machine whose clock ran ahead) carries the order in which it was made: base-<time>-7.db. Such
// copies are newer than any without the order, whatever their times say.
const QRegularExpression& copyName() {
    static const QRegularExpression re(QStringLiteral(
        "^base-(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:_(\\d{1,9}))?(?:-(\\d{1,9}))?\\.db$"));
    return re;
}

struct Copy {
    QString stamp;
    int number = 1; // within the same second
    int order = 0;  // the order of making, 0 for copies named by their time alone
    QString name;
};

// The copies in the folder in the order they were made, oldest first.
QList<Copy> copiesIn(const QDir& dir) {
    QList<Copy> copies;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (m.hasMatch())
            copies.append({m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(),
                           m.captured(3).toInt(), name});
    }
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        if (a.order != b.order)
            return a.order < b.order;
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    return copies;
}

// The name of the next copy: by its time while that keeps the order, else with the order.
QString nextCopyName(const QList<Copy>& copies, const QString& stamp) {
    const Copy* last = copies.isEmpty() ? nullptr : &copies.last();
    if (!last || (last->order == 0 && last->stamp < stamp))
        return QStringLiteral("base-%1.db").arg(stamp);
    if (last->order == 0 && last->stamp == stamp)
        return QStringLiteral("base-%1_%2.db").arg(stamp).arg(last->number + 1);
    return QStringLiteral("base-%1-%2.db").arg(stamp).arg(last->order + 1);
}

Error copyFailed(const QString& folder, const QString& reason) {
    return Error(QStringLiteral("Не удалось сохранить копию базы \"base.db\" в папку \"%1\": %2\n"
                                "Изменение не сделано, база осталась как была. Проверьте, что "
                                "в папку данных можно писать и на диске есть место, и повторите.")
                     .arg(QDir::toNativeSeparators(folder), reason));
}

// Copies the open database page by page through SQLite's online backup into a new file: the
// way for a database in write-ahead mode or inside a transaction, whose file alone is not the
// committed state. Returns why it failed, or nothing.
QString copyPages(sqlite3* source, const QString& file) {
    sqlite3* target = nullptr;
    int rc = sqlite3_open_v2(file.toUtf8().constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
        if (!backup) {
            rc = sqlite3_errcode(target);
        } else {
            rc = sqlite3_backup_step(backup, -1);
            const int finished = sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? finished : rc;
        }
    }
    QString reason;
    if (rc != SQLITE_OK)
        reason = QString::fromUtf8(target ? sqlite3_errmsg(target) : sqlite3_errstr(rc));
    sqlite3_close(target);
    return reason;
}

// Copies the database file's bytes, then puts them on the disk. The caller holds a read
// transaction, so no write reaches the file meanwhile.
QString copyFileBytes(const char* source, const QString& file) {
    std::error_code error;
    std::filesystem::copy_file(source, QFile::encodeName(file).toStdString(),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        return QString::fromLocal8Bit(error.message());
    QFile copy(file);
    if (!copy.open(QIODevice::ReadWrite))
        return copy.errorString();
    if (::fdatasync(copy.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

// A consistent copy of the open database in a new file. The program holds the only connection
// to a database in the ordinary rollback-journal mode: under a read transaction its file is the
// committed state, and copying the bytes is many times faster than the online backup, which
// rebuilds the copy page by page. Returns why it failed, or nothing.
QString copyDatabase(const QSqlDatabase& db, const QString& file) {
    sqlite3* source = nullptr;
    try {
        source = sql::handle(db);
    } catch (const Error&) {
        return QStringLiteral("база не открыта.");
    }
    const char* path = sqlite3_db_filename(source, "main");
    sqlite3_stmt* mode = nullptr;
    const bool wal =
        sqlite3_prepare_v2(source, "PRAGMA journal_mode", -1, &mode, nullptr) != SQLITE_OK ||
        sqlite3_step(mode) != SQLITE_ROW ||
        qstricmp(reinterpret_cast<const char*>(sqlite3_column_text(mode, 0)), "wal") == 0;
    sqlite3_finalize(mode);
    if (wal || !path || !*path || !sqlite3_get_autocommit(source))
        return copyPages(source, file);
    // The first read of the transaction takes the shared lock, which stays until the end.
    if (sqlite3_exec(source, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(source));
        if (!sqlite3_get_autocommit(source))
            sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
        return reason;
    }
    const QString reason = copyFileBytes(path, file);
    sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
    return reason;
}

} // namespace

QString safetyCopyFolder(const QString& databaseFile) {
    return QFileInfo(databaseFile).absoluteDir().filePath(QStringLiteral("backups"));
}

QStringList safetyCopies(const QString& databaseFile) {
    const QDir dir(safetyCopyFolder(databaseFile));
    QStringList paths;
    for (const Copy& c : copiesIn(dir))
        paths.append(dir.filePath(c.name));
    return paths;
}

QString keepSafetyCopy(const QSqlDatabase& db, const QString& databaseFile, const QDateTime& at,
                       int keep) {
    const QString folder = safetyCopyFolder(databaseFile);
    if (!QDir().mkpath(folder))
        throw copyFailed(folder, QStringLiteral("папку нельзя создать."));
    const QDir dir(folder);

    // Copies cut short earlier (a crash, a kill) go first: they are not copies.
    const QString partSuffix = QStringLiteral(".part");
    for (const QString& name : dir.entryList({QStringLiteral("base-*.db.part")}, QDir::Files))
        if (copyName().match(name.chopped(partSuffix.size())).hasMatch())
            QFile::remove(dir.filePath(name));

    const QString target = dir.filePath(
        nextCopyName(copiesIn(dir), at.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))));

    // The copy is written under a working name first, so that a copy cut short (a full disk, a
    // crash) never looks like a good one.
    const QString part = target + partSuffix;
    const QString reason = copyDatabase(db, part);
    if (!reason.isEmpty()) {
        QFile::remove(part);
        throw copyFailed(folder, reason);
    }
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throw copyFailed(folder, QStringLiteral("копию нельзя переименовать."));
    }

    // The copies made earliest beyond the limit go, never the one just made; one that cannot
    // be removed only stays.
    const QStringList copies = safetyCopies(databaseFile);
    for (qsizetype i = 0; i + std::max(keep, 1) < copies.size(); ++i)
        QFile::remove(copies[i]);
    return target;
}

} // namespace kv
