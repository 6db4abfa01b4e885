#pragma once

// A small history for the records book, written with the sqlite3 tool, not through the store.

#include "historydb.h"

namespace kvtest {

// base.db as installed, with tests/records/sample-history.sql in it: three evenings of Зурко,
// Пенва and Лодыш, an evening with a cell the program never writes, a table of someone else's.
inline void writeSampleHistory() {
    createDatabase(sourceText(QStringLiteral("data/base.sql")) +
                   sourceText(QStringLiteral("tests/records/sample-history.sql")));
}

} // namespace kvtest
