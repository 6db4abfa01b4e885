#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kv {

// The date and time a tournament table's name was made from, in any of the forms the program
// has written: the user's short date with its separators turned into "_" (day first, month
// first in some locales, year first in others, two- or four-digit years), "__", then the long
// time with "_" (12- or 24-hour, with or without a time zone). None when the name is not one.
// A date that reads both ways is taken day first, or month first when monthFirst is set. The
// result is the wall-clock time as written (in UTC terms, so that no local time zone shifts it or
// has to be looked up for each of thousands of names).
std::optional<QDateTime> tournamentDateTime(const QString& tableName, bool monthFirst = false);

// Tournament tables in the order they were played. names come in their order of creation in
// the database; a name that cannot be read stays right after the table created before it.
// Dates that read both ways are taken month first only when some name of the database can be
// read month first alone and none day first alone (a locale that writes the month first).
QStringList tournamentsInOrder(const QStringList& namesInCreationOrder);

// The same order with the date and time each name was read as (invalid when it reads as none),
// as positions in namesInCreationOrder.
struct DatedTable {
    qsizetype created;
    QDateTime at;
};
QList<DatedTable> datedTournamentsInOrder(const QStringList& namesInCreationOrder);

// Which way a database's ambiguous dates read, from the names that read one way only.
class WayOfDates {
public:
    // Counts one name in; returns how it reads day first and month first.
    std::array<std::optional<QDateTime>, 2> read(const QString& tableName);
    bool monthFirst() const { return onlyMonthFirst_ > 0 && onlyDayFirst_ == 0; }

private:
    int onlyDayFirst_ = 0;
    int onlyMonthFirst_ = 0;
};

} // namespace kv

namespace kv {

// A table as the list of tournaments shows it: its date and time as people read them
// (dd.MM.yyyy HH:mm), or its own name when that is not a date.
struct ListedTable {
    QString table;
    QString shown;
};
// The tables, newest first by date and time; those whose names are not dates after them, by
// name.
QList<ListedTable> listedTables(const QStringList& tables);

// The same list kept in step with the history: made from every table once, then one table added
// at the cost of that table alone.
class TournamentList {
public:
    explicit TournamentList(const QStringList& tables = {});
    const QList<ListedTable>& listed() const { return listed_; }

    // Where an added table stands, and the other rows whose text changed (two evenings of one
    // minute show their seconds).
    struct Added {
        qsizetype row = 0;
        QList<qsizetype> relabeled;
    };
    // None when the new name shows that this history's dates read the other way: the list must
    // be made again from every table.
    std::optional<Added> add(const QString& table);
    // The row of a table, found by its date; -1 when it is not listed.
    qsizetype rowOf(const QString& table) const;

private:
    // The first dated row not listed before the given date and name.
    qsizetype datedRow(const QDateTime& at, const QString& table) const;
    // The first row of a table without a date not listed before the given name.
    qsizetype namedRow(const QString& table) const;

    QList<ListedTable> listed_;
    QList<QDateTime> at_; // of the dated rows, which come first
    WayOfDates way_;
};

} // namespace kv
