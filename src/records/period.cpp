#include "records/period.h"

#include "history/tournamentdates.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <map>

namespace kv {

Period Period::ofYear(int year) {
    Period p;
    p.kind_ = Kind::Year;
    p.first_ = QDate(year, 1, 1);
    p.last_ = QDate(year, 12, 31);
    return p;
}

Period Period::ofMonth(int year, int month) {
    Period p;
    p.kind_ = Kind::Month;
    p.first_ = QDate(year, month, 1);
    p.last_ = p.first_.addMonths(1).addDays(-1);
    return p;
}

Period Period::between(QDate from, QDate to) {
    Period p;
    p.kind_ = Kind::Dates;
    p.first_ = std::min(from, to);
    p.last_ = std::max(from, to);
    return p;
}

bool Period::holds(const QDateTime& played) const {
    if (isAllTime())
        return true;
    // The stored time is the wall-clock time as written: its date is the evening's day.
    return played.isValid() && played.date() >= first_ && played.date() <= last_;
}

QString monthName(int month) {
    static const char* const names[] = {"Январь",   "Февраль", "Март",   "Апрель",
                                        "Май",      "Июнь",    "Июль",   "Август",
                                        "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    return month >= 1 && month <= 12 ? QString::fromUtf8(names[month - 1]) : QString();
}

QString Period::title() const {
    const QString day = QStringLiteral("dd.MM.yyyy");
    switch (kind_) {
    case Kind::AllTime:
        return QStringLiteral("Всё время");
    case Kind::Year:
        return QString::number(first_.year());
    case Kind::Month:
        return monthName(first_.month()) + QLatin1Char(' ') + QString::number(first_.year());
    case Kind::Dates:
        return first_.toString(day) + QStringLiteral(" – ") + last_.toString(day);
    }
    return {};
}

QString Period::fileNamePart() const {
    switch (kind_) {
    case Kind::AllTime:
        return {};
    case Kind::Year:
        return first_.toString(QStringLiteral("-yyyy"));
    case Kind::Month:
        return first_.toString(QStringLiteral("-yyyy-MM"));
    case Kind::Dates:
        return first_.toString(QStringLiteral("-yyyy-MM-dd")) +
               last_.toString(QStringLiteral("-yyyy-MM-dd"));
    }
    return {};
}

namespace {

// The players of the counted tournaments in the order they first played.
QStringList playersOf(const QList<PlayedTournament>& tournaments) {
    QStringList players;
    QSet<QString> seen;
    for (const PlayedTournament& t : tournaments)
        if (t.counted())
            for (const QString& p : t.players)
                if (!seen.contains(p)) {
                    seen.insert(p);
                    players.append(p);
                }
    return players;
}

History keeping(const History& history, const std::function<bool(const QDateTime&)>& keep) {
    History kept;
    for (const PlayedTournament& t : history.tournaments)
        if (keep(t.played))
            kept.tournaments.append(t);
    for (const SkippedTable& s : history.unreadable)
        if (keep(tournamentDateTime(s.table).value_or(QDateTime())))
            kept.unreadable.append(s);
    kept.players = playersOf(kept.tournaments);
    return kept;
}

} // namespace

History inPeriod(const History& history, const Period& period) {
    if (period.isAllTime())
        return history;
    return keeping(history, [&](const QDateTime& at) { return period.holds(at); });
}

History upTo(const History& history, QDate last) {
    if (!last.isValid())
        return history;
    return keeping(history, [&](const QDateTime& at) { return at.isValid() && at.date() <= last; });
}

QList<HeldYear> heldYears(const History& history) {
    std::map<int, QSet<int>> months;
    for (const PlayedTournament& t : history.tournaments)
        if (t.counted() && t.played.isValid())
            months[t.played.date().year()].insert(t.played.date().month());
    QList<HeldYear> years;
    for (auto it = months.crbegin(); it != months.crend(); ++it) {
        HeldYear y{it->first, it->second.values()};
        std::sort(y.months.rbegin(), y.months.rend());
        years.append(y);
    }
    return years;
}

} // namespace kv
