#pragma once

#include <QString>

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace kvbench {

// Runs SQL through the C API, as the floors of the database benchmarks do; throws its message.
inline void runSql(sqlite3* db, const QString& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "sqlite3_exec";
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

} // namespace kvbench
