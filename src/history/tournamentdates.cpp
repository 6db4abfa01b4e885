#include "history/tournamentdates.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace kv {

namespace {

int fullYear(int year, qsizetype digits) {
    return digits <= 2 ? 2000 + year : year;
}

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The runs of ASCII digits in text, at most `most` of them: their values and lengths. A plain
// loop, since a database holds thousands of names and each is read more than once.
struct Numbers {
    int count = 0;
    std::array<int, 4> value{};
    std::array<qsizetype, 4> digits{};
};

Numbers numbersIn(QStringView text, int most) {
    Numbers n;
    qsizetype i = 0;
    while (i < text.size() && n.count < most) {
        if (!isAsciiDigit(text[i].unicode())) {
            ++i;
            continue;
        }
        qint64 value = 0;
        qsizetype length = 0;
        for (; i < text.size() && isAsciiDigit(text[i].unicode()); ++i, ++length)
            value = std::min<qint64>(value * 10 + (text[i].unicode() - '0'), 1'000'000);
        n.value[n.count] = int(value);
        n.digits[n.count] = length;
        ++n.count;
    }
    return n;
}

} // namespace

std::array<std::optional<QDateTime>, 2> WayOfDates::read(const QString& name) {
    const auto a = tournamentDateTime(name, false), b = tournamentDateTime(name, true);
    if (a && b && *a != *b)
        return {a, b};
    // A name that starts with two fields of one or two digits: which of them can be a month.
    if (!a || name.isEmpty() || !isAsciiDigit(name[0].unicode()))
        return {a, b};
    const Numbers fields = numbersIn(name, 2);
    if (fields.count < 2 || fields.digits[0] > 2 || fields.digits[1] > 2)
        return {a, b};
    if (fields.value[0] > 12)
        ++onlyDayFirst_;
    else if (fields.value[1] > 12)
        ++onlyMonthFirst_;
    return {a, b};
}

std::optional<QDateTime> tournamentDateTime(const QString& tableName, bool monthFirst) {
    const qsizetype split = tableName.indexOf(QStringLiteral("__"));
    if (split <= 0)
        return std::nullopt;
    const Numbers date = numbersIn(QStringView(tableName).left(split), 4);
    const QStringView timePart = QStringView(tableName).mid(split);
    const Numbers time = numbersIn(timePart, 3);
    if (date.count != 3 || time.count < 2)
        return std::nullopt;

    const std::array<int, 4>& n = date.value;
    QDate day;
    if (date.digits[0] == 4) { // year first
        day = QDate(n[0], n[1], n[2]);
    } else {
        const int year = fullYear(n[2], date.digits[2]);
        const QDate dayFirst(year, n[1], n[0]);
        const QDate monthFirstDate(year, n[0], n[1]);
        if (dayFirst.isValid() && monthFirstDate.isValid())
            day = monthFirst ? monthFirstDate : dayFirst;
        else
            day = dayFirst.isValid() ? dayFirst : monthFirstDate;
    }
    int hour = time.value[0];
    // Most names hold digits and "_" alone: no mark to look for, and no text to make for it.
    const bool lettered = std::any_of(timePart.begin(), timePart.end(), [](QChar c) {
        return !isAsciiDigit(c.unicode()) && c != QLatin1Char('_');
    });
    const QString marks = lettered ? timePart.toString().toUpper() : QString();
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
    const QTime at(hour, time.value[1], time.count > 2 ? time.value[2] : 0);
    if (!day.isValid() || !at.isValid())
        return std::nullopt;
    return QDateTime(day, at, Qt::UTC);
}

QStringList tournamentsInOrder(const QStringList& names) {
    QStringList ordered;
    for (const DatedTable& t : datedTournamentsInOrder(names))
        ordered.append(names[t.created]);
    return ordered;
}

QList<DatedTable> datedTournamentsInOrder(const QStringList& names) {
    struct Key {
        QDateTime at; // its own, or the one of the table created before it
        qsizetype created;
        QDateTime own;
    };
    WayOfDates way;
    QList<std::array<std::optional<QDateTime>, 2>> read; // day first, month first
    read.reserve(names.size());
    for (const QString& name : names)
        read.append(way.read(name));
    const bool monthFirst = way.monthFirst();
    QList<Key> keys;
    QDateTime previous; // an unreadable name follows the table created before it
    for (qsizetype i = 0; i < names.size(); ++i) {
        const auto& at = read[i][monthFirst ? 1 : 0];
        if (at)
            previous = *at;
        keys.append({previous, i, at.value_or(QDateTime())});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.at != b.at)
            return !a.at.isValid() || (b.at.isValid() && a.at < b.at);
        return a.created < b.created;
    });
    QList<DatedTable> ordered;
    ordered.reserve(keys.size());
    for (const Key& k : keys)
        ordered.append({k.created, k.own});
    return ordered;
}

} // namespace kv

namespace kv {

namespace {

const QString kMinuteFormat = QStringLiteral("dd.MM.yyyy HH:mm");
const QString kSecondFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

// Newest first; tables of one moment in the order of their names.
bool listedBefore(const QDateTime& a, const QString& tableA, const QDateTime& b,
                  const QString& tableB) {
    return a != b ? a > b : tableA < tableB;
}

} // namespace

TournamentList::TournamentList(const QStringList& tables) {
    QList<std::pair<QDateTime, QString>> dated;
    QStringList named;
    const QList<std::array<std::optional<QDateTime>, 2>> read = [&] {
        QList<std::array<std::optional<QDateTime>, 2>> r;
        r.reserve(tables.size());
        for (const QString& table : tables)
            r.append(way_.read(table));
        return r;
    }();
    const int way = way_.monthFirst() ? 1 : 0;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        if (read[i][way])
            dated.append({*read[i][way], tables[i]});
        else
            named.append(tables[i]);
    }
    std::sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) {
        return listedBefore(a.first, a.second, b.first, b.second);
    });
    std::sort(named.begin(), named.end());
    // Two evenings of one minute are told apart by their seconds.
    QHash<QString, int> sameMinute;
    for (const auto& d : dated)
        ++sameMinute[d.first.toString(kMinuteFormat)];
    listed_.reserve(tables.size());
    at_.reserve(dated.size());
    for (const auto& [at, table] : dated) {
        const QString minute = at.toString(kMinuteFormat);
        listed_.append({table, sameMinute.value(minute) > 1 ? at.toString(kSecondFormat) : minute});
        at_.append(at);
    }
    for (const QString& table : named)
        listed_.append({table, table});
}

std::optional<TournamentList::Added> TournamentList::add(const QString& table) {
    const bool monthFirst = way_.monthFirst();
    const auto read = way_.read(table);
    // The new name tells that this database's dates read the other way: every date changes.
    if (way_.monthFirst() != monthFirst)
        return std::nullopt;
    Added added;
    const std::optional<QDateTime>& at = read[monthFirst ? 1 : 0];
    if (!at) {
        added.row = namedRow(table);
        listed_.insert(added.row, {table, table});
        return added;
    }
    const qsizetype row = datedRow(*at, table);
    added.row = row;
    at_.insert(row, *at);
    listed_.insert(row, {table, at->toString(kMinuteFormat)});
    // Evenings of one minute stand together: those beside the new one show their seconds now.
    const QString minute = at->toString(kMinuteFormat);
    qsizetype first = row, last = row;
    while (first > 0 && at_[first - 1].toString(kMinuteFormat) == minute)
        --first;
    while (last + 1 < at_.size() && at_[last + 1].toString(kMinuteFormat) == minute)
        ++last;
    if (first == last)
        return added;
    for (qsizetype i = first; i <= last; ++i) {
        const QString shown = at_[i].toString(kSecondFormat);
        if (listed_[i].shown != shown) {
            listed_[i].shown = shown;
            if (i != row)
                added.relabeled.append(i);
        }
    }
    return added;
}

qsizetype TournamentList::datedRow(const QDateTime& at, const QString& table) const {
    qsizetype row = 0;
    for (qsizetype count = at_.size(); count > 0;) {
        const qsizetype half = count / 2;
        if (listedBefore(at_[row + half], listed_[row + half].table, at, table)) {
            row += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return row;
}

qsizetype TournamentList::namedRow(const QString& table) const {
    return std::lower_bound(
               listed_.cbegin() + at_.size(), listed_.cend(), table,
               [](const ListedTable& l, const QString& name) { return l.table < name; }) -
           listed_.cbegin();
}

qsizetype TournamentList::rowOf(const QString& table) const {
    const auto at = tournamentDateTime(table, way_.monthFirst());
    const qsizetype row = at ? datedRow(*at, table) : namedRow(table);
    return row < listed_.size() && listed_[row].table == table ? row : -1;
}

QList<ListedTable> listedTables(const QStringList& tables) {
    return TournamentList(tables).listed();
}

} // namespace kv
