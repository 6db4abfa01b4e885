#include "common/errors.h"

#include <limits>

namespace kv {

Error cannotOpen(const QString& fileName, const QString& reason) {
    return Error(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason));
}

Error cannotCreate(const QString& fileName, const QString& reason) {
    return Error(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
}

int strToInt(const QString& text) {
    const auto fail = [&]() {
        return Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
    };
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= n)
        throw fail();
    long long value = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw fail();
        value = value * 10 + (c.unicode() - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            throw fail();
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        throw fail();
    return static_cast<int>(value);
}

} // namespace kv
