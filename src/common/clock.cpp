#include "common/clock.h"

#include <QLocale>

namespace kv {

namespace {

// Replaces the separators between the fields of a date or time format, leaving quoted text.
QString withSeparator(const QString& format, const QString& fieldLetters, QChar separator) {
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out += c;
        } else if (!quoted && !c.isLetterOrNumber() && !c.isSpace() && !fieldLetters.contains(c)) {
            out += separator;
        } else {
            out += c;
        }
    }
    return out;
}

// Whether a date format writes the month or the weekday as a word ("MMM", "dddd"), outside quotes.
bool writesNames(const QString& format) {
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && (format.mid(i, 3) == QLatin1String("MMM") ||
                             format.mid(i, 3) == QLatin1String("ddd")))
            return true;
    }
    return false;
}

} // namespace

QString withoutTimeZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('t')) {
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            while (i + 1 < format.size() && format[i + 1] == QLatin1Char('t'))
                ++i;
            if (out.isEmpty()) // a zone in front: the blanks after it go too
                while (i + 1 < format.size() && format[i + 1].isSpace())
                    ++i;
            continue;
        }
        out += c;
    }
    return out;
}

QDateTime Clock::now() const {
    return QDateTime::currentDateTime();
}

QLocale Clock::locale() const {
    return QLocale::system();
}

QString Clock::shortDateFormat() const {
    return locale().dateFormat(QLocale::ShortFormat);
}

QString Clock::longTimeFormat() const {
    return locale().timeFormat(QLocale::LongFormat);
}

QString Clock::shortDate() const {
    QString format = shortDateFormat();
    // A forced date names a tournament's table, and the history reads its date back from the
    // name: a month or weekday written as a word could not be read, so the digits stand in.
    if (forced_ && writesNames(format))
        format = QStringLiteral("dd.MM.yyyy");
    if (forced_)
        format = withSeparator(format, QStringLiteral("dMy"), QLatin1Char('.'));
    return locale().toString(now().date(), format);
}

QString Clock::longTime() const {
    QString format = withoutTimeZone(longTimeFormat());
    if (forced_)
        format = withSeparator(format, QStringLiteral("hHmszaApPt"), QLatin1Char(':'));
    return locale().toString(now().time(), format);
}

} // namespace kv
