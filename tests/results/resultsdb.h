#pragma once

// Helpers shared by the results tests: a fresh base.db as a new installation has it, and an
// independent reader (the sqlite3 program) for what the program stored.

#include "results/historystore.h"
#include "testsupport.h"

#include <QProcess>

namespace kvtest {

inline QString sqlite3(const QString& sql, const QString& db = QStringLiteral("base.db")) {
    QProcess p;
    p.start(QStringLiteral(KV_SQLITE3), {QStringLiteral("-batch"), QStringLiteral("-bail"), db});
    p.write(sql.toUtf8() + "\n");
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        fail("sqlite3 failed: " + QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline QStringList sqliteRows(const QString& sql, const QString& db = QStringLiteral("base.db")) {
    return sqlite3(sql, db).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The rows of several queries, read by one run of the reader.
inline QList<QStringList> sqliteRowsOf(const QStringList& queries,
                                       const QString& db = QStringLiteral("base.db")) {
    const QString end = QStringLiteral("-- end of rows --");
    QString script;
    for (const QString& query : queries)
        script += query + QStringLiteral(";\n.print ") + end + QLatin1Char('\n');
    QList<QStringList> rows{{}};
    for (const QString& line : sqlite3(script, db).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line == end)
            rows.append(QStringList());
        else
            rows.last().append(line);
    }
    rows.removeLast();
    return rows;
}

// Runs an SQL file of the source tree in one transaction: one flush to the disk, not one per
// statement.
inline void runScript(const QString& file, const QString& db = QStringLiteral("base.db")) {
    QFile script(sourceDir() + file);
    if (!script.open(QIODevice::ReadOnly))
        return fail("no script: " + script.fileName());
    sqlite3("BEGIN;\n" + QString::fromUtf8(script.readAll()) + "\nCOMMIT;", db);
}

// base.db from the installation's script, as the launcher makes it. The script runs once per
// test program, into a folder of its own; every later base.db is a copy of that file.
inline void createBaseDb(const QString& db = QStringLiteral("base.db")) {
    static const QTemporaryDir made;
    static const QString installed = [] {
        const QString file = made.filePath(QStringLiteral("base.db"));
        runScript(QStringLiteral("data/base.sql"), file);
        return file;
    }();
    // A file already there gets the script's tables, as the launcher would give it.
    if (QFileInfo::exists(db))
        return runScript(QStringLiteral("data/base.sql"), db);
    if (!copyFile(installed, db))
        fail("cannot copy the new base.db to " + db);
}

// A tournament as the results window would hand it over after a computation.
inline kv::TournamentEntry sampleTournament(const QStringList& names = kPlayers) {
    kv::TournamentEntry e;
    e.boxes = {"3", "1", "0", "2", "1", "1", "2", "2", "4", "0", "1", "3"};
    const QList<kv::Figures> figures{
        // wins draws losses for against difference points, place
        {2, 1, 1, 7, 4, 3, 7, kv::placeCounters(1)},
        {1, 1, 2, 6, 7, -1, 4, kv::placeCounters(3)},
        {1, 2, 1, 5, 7, -2, 5, kv::placeCounters(2)},
    };
    for (int i = 0; i < 3; ++i)
        e.players[i] = {names.value(i), QStringLiteral("Команда %1").arg(i + 1), figures[i]};
    return e;
}

} // namespace kvtest
