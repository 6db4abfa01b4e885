#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

namespace kv {

// Text as an Office Open XML cell may hold it: characters XML 1.0 forbids are dropped, a
// literal "_xHHHH_" is escaped so that an office suite does not decode it as a character, and
// CR becomes "_x000D_" because XML readers would turn it into LF.
QString cellSafeText(const QString& text);

// One cell of a table: text, a whole number or a date; an empty text or an invalid date is an
// empty cell.
using TableCell = std::variant<QString, qint64, QDate>;
using TableRow = QList<TableCell>;

// Writes a new workbook of one sheet: the header row in bold, frozen and filtered, then the rows,
// numbers as numbers and dates as dates (dd.mm.yyyy). Through a temporary file beside `path`: an
// older file of that name stays until the new one is whole. Throws kv::Error on failure.
void writeTableWorkbook(const QString& path, const QString& sheetName, const QStringList& header,
                        const QList<TableRow>& rows);

} // namespace kv
