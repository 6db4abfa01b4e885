#include "results/playerrename.h"

#include "common/datafiles.h"
#include "common/errors.h"
#include "common/textfile.h"
#include "results/historystore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

namespace kv {

using sql::exec;
using sql::prepare;

QString renameQuestion(const QList<PlayerRename>& renames) {
    QStringList lines;
    for (const auto& [from, to] : renames)
        lines.append(QStringLiteral("«%1» -> «%2»").arg(from, to));
    return QStringLiteral("В истории турниров уже есть игроки с прежними именами:\n%1\n\n"
                          "\"Переименовать\" - сменить имя во всей истории: во всех турнирах, в "
                          "\"Total\", в лучших бомбардирах и в \"bomb.txt\" (перед этим "
                          "сохранится копия базы).\n"
                          "\"Новое имя\" - новое имя начнёт с нуля своей строкой в \"Total\", "
                          "прежние турниры останутся за прежним именем.\n"
                          "\"Отмена\" - вернуться к настройкам, ничего не сохраняя.")
        .arg(lines.join(QLatin1Char('\n')));
}

QSet<QString> HistoryStore::playerNames() {
    QStringList sources{QStringLiteral("SELECT Игрок FROM ") + kTotalTable};
    for (const QString& table : tournamentTables())
        sources.append(QStringLiteral("SELECT Player FROM ") + quoteIdentifier(table));
    if (!bestScorers().isEmpty())
        sources.append(QStringLiteral("SELECT player FROM ") + kBestScorerTable);
    QSet<QString> names;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    const qsizetype chunk = 400; // below the engine's limit of terms in a compound select
    for (qsizetype from = 0; from < sources.size(); from += chunk) {
        exec(query, sources.mid(from, chunk).join(QStringLiteral(" UNION ")));
        while (query.next())
            names.insert(query.value(0).toString());
    }
    return names;
}

QList<PlayerRename> HistoryStore::heldRenames(const QStringList& before, const QStringList& after) {
    QList<PlayerRename> renames;
    for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
        if (before[i] != after[i] && !before[i].isEmpty())
            renames.append({before[i], after[i]});
    if (renames.isEmpty())
        return renames;
    const QSet<QString> held = playerNames();
    renames.removeIf([&](const PlayerRename& r) { return !held.contains(r.first); });
    return renames;
}

void HistoryStore::renamePlayers(const QList<PlayerRename>& renames) {
    const QSet<QString> held = playerNames();
    for (const auto& [from, to] : renames)
        if (held.contains(to))
            throw Error(QStringLiteral("Нельзя переименовать «%1» в «%2»: «%2» уже есть в истории "
                                       "турниров, и два игрока слились бы в одного. Выберите "
                                       "другое имя или ответьте \"Новое имя\", чтобы «%2» "
                                       "продолжил свою историю.")
                            .arg(from, to));
    QList<std::pair<QString, QString>> columns{{kTotalTable, QStringLiteral("Игрок")}};
    for (const QString& table : tournamentTables())
        columns.append({table, QStringLiteral("Player")});
    if (!bestScorers().isEmpty())
        columns.append({kBestScorerTable, QStringLiteral("player")});
    const QString bombFile = QFileInfo(fileName_).absoluteDir().filePath(kBestScorerFile);

    change([&] {
        QSqlQuery query(database());
        for (const auto& [table, column] : columns) {
            prepare(query, QStringLiteral("UPDATE %1 SET %2=? WHERE %2=? COLLATE BINARY")
                               .arg(quoteIdentifier(table), column));
            for (const auto& [from, to] : renames) {
                query.addBindValue(to);
                query.addBindValue(from);
                exec(query);
            }
        }
        // The file last, still inside the transaction: when it cannot be written, the database
        // goes back as it was too.
        if (QFileInfo::exists(bombFile)) {
            QStringList lines = readLines(bombFile);
            for (const auto& [from, to] : renames)
                if (lineAt(lines, 0) == from) {
                    lines[0] = to;
                    writeLines(bombFile, lines);
                    break;
                }
        }
    });
}

} // namespace kv
