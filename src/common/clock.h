#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kv {

// The local date and time with the user's regional formats. forceSeparators() makes every
// later date use "." and every later time ":" for the rest of the run.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;
    virtual QString shortDateFormat() const; // for example "dd.MM.yyyy"
    virtual QString longTimeFormat() const;  // for example "H:mm:ss"
    // The locale that writes the digits and names of a date or time.
    virtual QLocale locale() const;

    QString shortDate() const; // today in the short date format
    // Now in the long time format without its time zone: a time of day names no zone.
    QString longTime() const;
    void forceSeparators() { forced_ = true; }
    bool separatorsForced() const { return forced_; }

private:
    bool forced_ = false;
};

// A date or time format without its time-zone fields ("t") and the blanks around them.
QString withoutTimeZone(const QString& format);

// A clock that stands still, with fixed formats written the same under every locale.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at, QString dateFormat = QStringLiteral("dd.MM.yyyy"),
                        QString timeFormat = QStringLiteral("H:mm:ss"))
        : at_(std::move(at)), dateFormat_(std::move(dateFormat)),
          timeFormat_(std::move(timeFormat)) {}
    QDateTime now() const override { return at_; }
    QString shortDateFormat() const override { return dateFormat_; }
    QString longTimeFormat() const override { return timeFormat_; }
    QLocale locale() const override { return QLocale::c(); }
    void set(const QDateTime& at) { at_ = at; }
    void advance(int seconds) { at_ = at_.addSecs(seconds); }

private:
    QDateTime at_;
    QString dateFormat_;
    QString timeFormat_;
};

} // namespace kv
