#pragma once

#include "history/history.h"

#include <QDate>
#include <QList>
#include <QString>

// Which tournaments a view counts: all of them, those of a year, of a month of a year, or of the
// players' own dates.
namespace kv {

class Period {
public:
    enum class Kind { AllTime, Year, Month, Dates };

    Period() = default; // all time
    static Period ofYear(int year);
    static Period ofMonth(int year, int month);
    // From and to, both days included, in either order.
    static Period between(QDate from, QDate to);

    Kind kind() const { return kind_; }
    bool isAllTime() const { return kind_ == Kind::AllTime; }
    // The first and the last day it holds; invalid for all time.
    QDate first() const { return first_; }
    QDate last() const { return last_; }
    // A tournament of that date and time belongs to it; one without a date only to all time.
    bool holds(const QDateTime& played) const;

    // As the players read it: "Всё время", "2026", "Ноябрь 2026", "01.11.2026 – 15.11.2026".
    QString title() const;
    // What a file of this period adds to its name: "", "-2026", "-2026-11",
    // "-2026-11-01-2026-11-15".
    QString fileNamePart() const;

    friend bool operator==(const Period&, const Period&) = default;

private:
    Kind kind_ = Kind::AllTime;
    QDate first_, last_;
};

// "Январь" .. "Декабрь".
QString monthName(int month);

// The history with only the tournaments of the period. The left-out tables stay as they are for
// all time; a period keeps those whose names date them inside it.
History inPeriod(const History& history, const Period& period);
// The history with only the dated tournaments up to the day `last` (all of them when invalid).
History upTo(const History& history, QDate last);

// A year that holds counted tournaments, and its months that hold them.
struct HeldYear {
    int year = 0;
    QList<int> months; // newest first
};
// Newest first.
QList<HeldYear> heldYears(const History& history);

} // namespace kv
