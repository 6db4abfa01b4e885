#pragma once

// Helpers shared by the results tests: a fresh base.db as a new installation has it, and an
// independent reader (the sqlite3 program) for what the program stored.

#include "history/historystore.h"
#include "testsupport.h"

#include <QProcess>

namespace kv {
struct HistoryStoreProbe {
    static QSqlDatabase connection(const HistoryStore& store) { return store.database(); }
};
} // namespace kv

namespace kvtest {

// The store's own connection, where a test sets up a fault or a state no operation makes.
inline QSqlDatabase connectionOf(const kv::HistoryStore& store) {
    return kv::HistoryStoreProbe::connection(store);
}

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

// A file of the source tree.
inline QString sourceText(const QString& file) {
    QFile text(sourceDir() + file);
    if (!text.open(QIODevice::ReadOnly))
        fail("cannot read " + text.fileName());
    return QString::fromUtf8(text.readAll());
}

// A database as the sqlite3 program makes it from an SQL script, run in one transaction (one
// flush to the disk, not one per statement). Each script runs once per test program, into a
// folder of its own; every later database of that script is a copy of that file. A file
// already there gets the script's tables.
inline void createDatabase(const QString& sql, const QString& db = QStringLiteral("base.db")) {
    static const QTemporaryDir made;
    static QHash<QString, QString> files;
    const QString script = "BEGIN;\n" + sql + ";\nCOMMIT;";
    if (QFileInfo::exists(db)) {
        sqlite3(script, db);
        return;
    }
    QString& file = files[sql];
    if (file.isEmpty()) {
        file = made.filePath(QStringLiteral("%1.db").arg(files.size()));
        sqlite3(script, file);
    }
    if (!copyFile(file, db))
        fail("cannot copy the database to " + db);
}

// base.db from the installation's script, as the launcher makes it.
inline void createBaseDb(const QString& db = QStringLiteral("base.db")) {
    createDatabase(sourceText(QStringLiteral("data/base.sql")), db);
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
