#include "results/safetycopy.h"

#include "common/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

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
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("VACUUM INTO ?"))) {
        throw copyFailed(folder, query.lastError().text().trimmed());
    }
    query.addBindValue(part);
    if (!query.exec()) {
        const QString reason = query.lastError().text().trimmed();
        query.finish();
        QFile::remove(part);
        throw copyFailed(folder, reason);
    }
    query.finish();
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
