#include "results/tournamentdates.h"

#include <QRegularExpression>

#include <algorithm>

namespace kv {

namespace {

int fullYear(int year, qsizetype digits) {
    return digits <= 2 ? 2000 + year : year;
}

} // namespace

std::optional<QDateTime> tournamentDateTime(const QString& tableName, bool monthFirst) {
    const qsizetype split = tableName.indexOf(QStringLiteral("__"));
    if (split <= 0)
        return std::nullopt;
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QList<QString> date;
    for (auto it = digits.globalMatch(tableName.left(split)); it.hasNext();)
        date.append(it.next().captured());
    const QString timePart = tableName.mid(split);
    QList<int> time;
    for (auto it = digits.globalMatch(timePart); it.hasNext() && time.size() < 3;)
        time.append(it.next().captured().toInt());
    if (date.size() != 3 || time.size() < 2)
        return std::nullopt;

    const QList<int> n{date[0].toInt(), date[1].toInt(), date[2].toInt()};
    QDate day;
    if (date[0].size() == 4) { // year first
        day = QDate(n[0], n[1], n[2]);
    } else {
        const int year = fullYear(n[2], date[2].size());
        const QDate dayFirst(year, n[1], n[0]);
        const QDate monthFirstDate(year, n[0], n[1]);
        if (dayFirst.isValid() && monthFirstDate.isValid())
            day = monthFirst ? monthFirstDate : dayFirst;
        else
            day = dayFirst.isValid() ? dayFirst : monthFirstDate;
    }
    int hour = time[0];
    const QString marks = timePart.toUpper();
    const bool pm = marks.contains(QLatin1String("PM")) || marks.contains(QStringLiteral("ПП")) ||
                    marks.contains(QStringLiteral("下午")) ||
                    marks.contains(QStringLiteral("오후"));
    const bool am = marks.contains(QLatin1String("AM")) || marks.contains(QStringLiteral("ДП")) ||
                    marks.contains(QStringLiteral("上午")) ||
                    marks.contains(QStringLiteral("오전"));
    if (pm && hour < 12)
        hour += 12;
    else if (am && hour == 12)
        hour = 0;
    const QTime at(hour, time[1], time.value(2, 0));
    if (!day.isValid() || !at.isValid())
        return std::nullopt;
    return QDateTime(day, at);
}

QStringList tournamentsInOrder(const QStringList& names) {
    struct Key {
        QDateTime at;
        qsizetype created;
        QString name;
    };
    // Which way this database's ambiguous dates read: only names that read one way tell.
    int onlyDayFirst = 0, onlyMonthFirst = 0;
    for (const QString& name : names) {
        const auto a = tournamentDateTime(name, false), b = tournamentDateTime(name, true);
        if (a && b && *a != *b)
            continue;
        static const QRegularExpression fields(QStringLiteral("^(\\d{1,2})\\D+(\\d{1,2})\\D"));
        const QRegularExpressionMatch m = fields.match(name);
        if (!a || !m.hasMatch())
            continue;
        if (m.captured(1).toInt() > 12)
            ++onlyDayFirst;
        else if (m.captured(2).toInt() > 12)
            ++onlyMonthFirst;
    }
    const bool monthFirst = onlyMonthFirst > 0 && onlyDayFirst == 0;
    QList<Key> keys;
    QDateTime previous; // an unreadable name follows the table created before it
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (const auto at = tournamentDateTime(names[i], monthFirst))
            previous = *at;
        keys.append({previous, i, names[i]});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.at != b.at)
            return !a.at.isValid() || (b.at.isValid() && a.at < b.at);
        return a.created < b.created;
    });
    QStringList ordered;
    for (const Key& k : keys)
        ordered.append(k.name);
    return ordered;
}

} // namespace kv
