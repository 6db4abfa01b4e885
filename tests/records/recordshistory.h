#pragma once

// A small history for the records book, written with the sqlite3 tool, not through the store.

#include "historydb.h"

#include <QHash>

namespace kvtest {

// base.db as installed, with tests/records/sample-history.sql in it: three evenings of Зурко,
// Пенва and Лодыш, an evening with a cell the program never writes, a table of someone else's.
inline void writeSampleHistory() {
    createDatabase(sourceText(QStringLiteral("data/base.sql")) +
                   sourceText(QStringLiteral("tests/records/sample-history.sql")));
}

// The star levels of the sample history's clubs; "Бавария Мюнхен" is in no pool.
inline QString sampleLevelOf(const QString& club) {
    static const QHash<QString, QString> levels{{"Реал Мадрид", "Клубы 5*"},
                                                {"Бавария", "Клубы 5*"},
                                                {"Ювентус", "Клубы 4,5*"},
                                                {"Милан", "Клубы 4,5*"}};
    return levels.value(club);
}

} // namespace kvtest
