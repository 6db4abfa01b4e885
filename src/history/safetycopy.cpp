#include "history/safetycopy.h"

#include "common/errors.h"
#include "history/tournamenttables.h"

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
#include <tuple>

#include <dirent.h>
#include <unistd.h>

#include <sqlite3.h>

namespace kv {

namespace {

// The largest order or number a name may carry: no copies could ever count so far, and one more
// still fits the numbers the names are read into. Names with longer numbers are not the
// program's: they are left alone, neither listed nor removed.
constexpr qint64 kLargestCounter = 999'999'999'999'999'999;

// base-2026-12-09_20-15-00.db, with _2, _3, ... for a second copy within the same second. A copy
// made while the clock reads earlier than a copy already kept (a clock set back, a folder from a
// machine whose clock ran ahead) carries the order in which it was made: base-<time>-7.db. Such
// copies are newer than any without the order, whatever their times say.
const QRegularExpression& copyName() {
    static const QRegularExpression re(
        QStringLiteral("^base-(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:_(\\d{1,18}))?"
                       "(?:-(\\d{1,18}))?\\.db$"));
    return re;
}

// The current file a restore set aside: base-replaced-2026-12-09_20-15-00.db, _2, ... within
// the same second.
const QRegularExpression& replacedName() {
    static const QRegularExpression re(QStringLiteral(
        "^base-replaced-(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:_(\\d{1,18}))?\\.db$"));
    return re;
}

const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HH-mm-ss");
const QString kNoteSuffix = QStringLiteral(".txt");

struct Copy {
    QString stamp;
    qint64 number = 1; // within the same second
    qint64 order = 0;  // the order of making, 0 for copies named by their time alone
    QString name;
};

auto key(const Copy& c) {
    return std::tie(c.order, c.stamp, c.number, c.name);
}

// The files of the folder named by pattern, in the order they were made, oldest first.
QList<Copy> namedIn(const QDir& dir, const QRegularExpression& pattern) {
    QList<Copy> copies;
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch())
            copies.append({m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toLongLong(),
                           m.captured(3).toLongLong(), name});
    }
    std::sort(copies.begin(), copies.end(),
              [](const Copy& a, const Copy& b) { return key(a) < key(b); });
    return copies;
}

QList<Copy> copiesIn(const QDir& dir) {
    return namedIn(dir, copyName());
}

const QString kWritableAdvice = QStringLiteral(
    "Проверьте, что в папку данных можно писать и на диске есть место, и повторите.");

Error copyFailed(const QString& folder, const QString& reason,
                 const QString& advice = kWritableAdvice) {
    return Error(QStringLiteral("Не удалось сохранить копию базы \"base.db\" в папку \"%1\": %2\n"
                                "Изменение не сделано, база осталась как была. %3")
                     .arg(QDir::toNativeSeparators(folder), reason, advice));
}

// The name of the next copy: by its time while that keeps the order, else with the order. It
// always comes after every copy listed, even after names made up with the largest numbers.
QString nextCopyName(const QList<Copy>& copies, const QString& stamp, const QString& folder) {
    const auto plain = [](const QString& t) { return QStringLiteral("base-%1.db").arg(t); };
    const auto ordered = [](const QString& t, qint64 order) {
        return QStringLiteral("base-%1-%2.db").arg(t).arg(order);
    };
    if (copies.isEmpty())
        return plain(stamp);
    const Copy& last = copies.last();
    if (last.order == 0) {
        if (last.stamp < stamp)
            return plain(stamp);
        if (last.stamp == stamp && last.number < kLargestCounter)
            return QStringLiteral("base-%1_%2.db").arg(stamp).arg(last.number + 1);
        return ordered(stamp, 1);
    }
    if (last.order < kLargestCounter)
        return ordered(stamp, last.order + 1);
    if (last.stamp < stamp)
        return ordered(stamp, last.order);
    if (last.number < kLargestCounter)
        return QStringLiteral("base-%1_%2-%3.db").arg(last.stamp).arg(last.number + 1).arg(last.order);
    throw copyFailed(folder,
                     QStringLiteral("после копии \"%1\" новой копии нельзя дать имя.").arg(last.name),
                     QStringLiteral("Переместите эту копию из папки и повторите."));
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
    // Read-only: the copy has the database's permissions, which need not let its owner write.
    QFile copy(file);
    if (!copy.open(QIODevice::ReadOnly))
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
    if (sqlite3_exec(source, "BEGIN; SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr,
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

QString safetyCopyFolderProblem(const QString& databaseFile) {
    const QString folder = safetyCopyFolder(databaseFile);
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir) {
        ::closedir(dir);
        return {};
    }
    switch (errno) {
    case ENOENT:
        return {};
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав на чтение папки");
    case ENOTDIR:
        return QStringLiteral("на месте папки - файл");
    case ELOOP:
        return QStringLiteral("ссылка на папку ведёт по кругу");
    default:
        return QStringLiteral("папку не прочитать (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
}

QStringList safetyCopies(const QString& databaseFile) {
    const QDir dir(safetyCopyFolder(databaseFile));
    QStringList paths;
    for (const Copy& c : copiesIn(dir))
        paths.append(dir.filePath(c.name));
    return paths;
}

QStringList replacedDatabases(const QString& databaseFile) {
    const QDir dir = QFileInfo(databaseFile).absoluteDir();
    QStringList paths;
    for (const Copy& c : namedIn(dir, replacedName()))
        paths.append(dir.filePath(c.name));
    return paths;
}

QDateTime madeAtByName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    for (const QRegularExpression* pattern : {&copyName(), &replacedName()})
        if (const QRegularExpressionMatch m = pattern->match(name); m.hasMatch())
            return QDateTime::fromString(m.captured(1), kStampFormat);
    return {};
}

QString safetyCopyNote(const QString& path) {
    QFile file(path + kNoteSuffix);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // One short line; whatever else a file of that name holds is not the program's.
    return QString::fromUtf8(file.read(1024)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

void writeSafetyCopyNote(const QString& path, const QString& note) {
    QFile file(path + kNoteSuffix);
    if (note.isEmpty()) {
        file.remove();
        return;
    }
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(note.toUtf8() + '\n');
}

QString keepSafetyCopy(const QSqlDatabase& db, const QString& databaseFile, const QDateTime& at,
                       int keep, const QString& note) {
    const QString folder = safetyCopyFolder(databaseFile);
    // A folder that cannot be listed would hide the copies there: the new one would be named and
    // the old ones removed blindly.
    if (const QString problem = safetyCopyFolderProblem(databaseFile); !problem.isEmpty())
        throw copyFailed(folder, problem + QLatin1Char('.'),
                         QStringLiteral("Дайте своей учётной записи право читать и писать в эту "
                                        "папку (или уберите то, что стоит на её месте) и "
                                        "повторите."));
    if (!QDir().mkpath(folder))
        throw copyFailed(folder, QStringLiteral("папку нельзя создать."));
    const QDir dir(folder);

    // Copies cut short earlier (a crash, a kill) go first: they are not copies. So do notes
    // whose copy is gone.
    const QString partSuffix = QStringLiteral(".part");
    for (const QString& name : dir.entryList({QStringLiteral("base-*.db.part")}, QDir::Files))
        if (copyName().match(name.chopped(partSuffix.size())).hasMatch())
            QFile::remove(dir.filePath(name));
    for (const QString& name : dir.entryList({QStringLiteral("base-*.db.txt")}, QDir::Files)) {
        const QString copy = name.chopped(kNoteSuffix.size());
        if (copyName().match(copy).hasMatch() && !QFileInfo::exists(dir.filePath(copy)))
            QFile::remove(dir.filePath(name));
    }

    const QString target = dir.filePath(nextCopyName(copiesIn(dir), at.toString(kStampFormat), folder));

    // The copy is written under a working name first, so that a copy cut short (a full disk, a
    // crash) never looks like a good one.
    const QString part = target + partSuffix;
    const QString reason = copyDatabase(db, part);
    if (!reason.isEmpty()) {
        QFile::remove(part);
        throw copyFailed(folder, reason);
    }
    writeSafetyCopyNote(target, note);
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        writeSafetyCopyNote(target, {});
        throw copyFailed(folder, QStringLiteral("копию нельзя переименовать."));
    }

    // The copies made earliest beyond the limit go, never the one just made; one that cannot
    // be removed only stays.
    const QStringList copies = safetyCopies(databaseFile);
    for (qsizetype i = 0; i + std::max(keep, 1) < copies.size(); ++i)
        if (QFile::remove(copies[i]))
            writeSafetyCopyNote(copies[i], {});
    return target;
}

} // namespace kv
