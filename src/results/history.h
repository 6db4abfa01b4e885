#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <array>

namespace kv {

// One stored tournament as the charts need it.
struct PlayedTournament {
    QString table;
    std::array<QString, 3> players;
    std::array<qint64, 3> points{};
    std::array<int, 3> places{}; // 0 when the stored place is not 1, 2 or 3
    std::array<qint64, 3> goalsFor{};
    std::array<qint64, 3> goalsAgainst{};
};

struct History {
    QList<PlayedTournament> tournaments; // in the order they were played
    QStringList players;                 // every name, in the order it first played
};

// Reads every tournament table of the database, ordered by the date in its name.
History readHistory(const QSqlDatabase& db);

} // namespace kv
