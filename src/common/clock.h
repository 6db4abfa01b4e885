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

} // namespace kv
