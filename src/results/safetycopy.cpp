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

#include <sqlite3.h>

namespace kv {

namespace {

// base-2026-12-09_20-15-00.db; a second copy within the same second gets _2, _3, ...
const QRegularExpression& copyName() {
    static const QRegularExpression re(
        QStringLiteral("^base-(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(?:_(\\d+))?\\.db$"));
    return re;
}

Error copyFailed(const QString& folder, const QString& reason) {
    return Error(QStringLiteral("Не удалось сохранить копию базы \"base.db\" в папку \"%1\": %2\n"
                                "Изменение не сделано, база осталась как была. Проверьте, что "
                                "в папку данных можно писать и на диске есть место, и повторите.")
                     .arg(QDir::toNativeSeparators(folder), reason));
}

// Copies the open database page by page through SQLite's online backup into a new file. The
// copy is consistent like one made by VACUUM INTO, without rebuilding every table, which takes
// seconds once the database holds thousands of tournaments. Returns why it failed, or nothing.
QString copyPages(const QSqlDatabase& db, const QString& file) {
    sqlite3* source = nullptr;
    try {
        source = sql::handle(db);
    } catch (const Error&) {
        return QStringLiteral("база не открыта.");
    }
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

} // namespace

QString safetyCopyFolder(const QString& databaseFile) {
    return QFileInfo(databaseFile).absoluteDir().filePath(QStringLiteral("backups"));
}

QStringList safetyCopies(const QString& databaseFile) {
    struct Copy {
        QString stamp;
        int number;
        QString name;
    };
    QList<Copy> copies;
    const QDir dir(safetyCopyFolder(databaseFile));
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = copyName().match(name);
        if (m.hasMatch())
            copies.append(
                {m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(), name});
    }
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    QStringList paths;
    for (const Copy& c : copies)
        paths.append(dir.filePath(c.name));
    return paths;
}

QString keepSafetyCopy(const QSqlDatabase& db, const QString& databaseFile, const QDateTime& at,
                       int keep) {
    const QString folder = safetyCopyFolder(databaseFile);
    if (!QDir().mkpath(folder))
        throw copyFailed(folder, QStringLiteral("папку нельзя создать."));

    const QString stamp = at.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    QString target = QDir(folder).filePath(QStringLiteral("base-%1.db").arg(stamp));
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = QDir(folder).filePath(QStringLiteral("base-%1_%2.db").arg(stamp).arg(n));

    // The engine writes the copy under a working name first, so that a copy cut short (a full
    // disk, a crash) never looks like a good one.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    const QString reason = copyPages(db, part);
    if (!reason.isEmpty()) {
        QFile::remove(part);
        throw copyFailed(folder, reason);
    }
    if (!QFile::rename(part, target)) {
        QFile::remove(part);
        throw copyFailed(folder, QStringLiteral("копию нельзя переименовать."));
    }

    // The oldest copies beyond the limit go; one that cannot be removed only stays.
    const QStringList copies = safetyCopies(databaseFile);
    for (qsizetype i = 0; i + keep < copies.size(); ++i)
        QFile::remove(copies[i]);
    return target;
}

} // namespace kv
