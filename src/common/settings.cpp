#include "common/settings.h"

#include "common/errors.h"
#include "common/textfile.h"

namespace kv {

namespace {
const QString kCategoryWords[] = {QStringLiteral("clubs"), QStringLiteral("natteams"),
                                  QStringLiteral("random")};
} // namespace

std::optional<Category> parseCategory(const QString& text) {
    for (int i = 0; i < 3; ++i)
        if (text == kCategoryWords[i])
            return static_cast<Category>(i);
    return std::nullopt;
}

QString formatCategory(Category category) {
    return kCategoryWords[static_cast<int>(category)];
}

} // namespace kv

namespace kv::settings {

QStringList defaultLines() {
    return {QStringLiteral("1"),
            formatCategory(Category::Clubs),
            kPlayersMarker,
            QStringLiteral("Player 1"),
            QStringLiteral("Player 2"),
            QStringLiteral("Player 3"),
            kGiftMarker,
            QStringLiteral("1"),
            kLogAllMarker,
            QStringLiteral("1")};
}

void writeDefault(const QString& path) {
    writeLines(path, defaultLines());
}

FirstRead readFirst(const QString& path) {
    const QStringList lines = readLines(path);
    return {lineAt(lines, 0), lineAt(lines, 1)};
}

QStringList readPlayerNames(const QString& path) {
    const QStringList lines = readLines(path);
    if (!lines.contains(kPlayersMarker))
        return defaultLines().mid(3, 3);
    QStringList names;
    for (int i = 0; i < 3; ++i)
        names.append(valueAfterMarker(lines, kPlayersMarker, i).value_or(QString()));
    return names;
}

int readLogAllFlag(const QString& path) {
    const std::optional<QString> value = valueAfterMarker(readLines(path), kLogAllMarker);
    return value ? strToInt(*value) : 1;
}

std::optional<QString> readGiftFlag(const QString& path) {
    return valueAfterMarker(readLines(path), kGiftMarker);
}

QStringList dialogLines(const DialogValues& values) {
    QStringList lines;
    lines.append(values.askAtStart ? QStringLiteral("1") : QStringLiteral("0"));
    if (values.category)
        lines.append(formatCategory(*values.category));
    lines.append(kPlayersMarker);
    for (int i = 0; i < 3; ++i)
        lines.append(lineAt(values.names, i));
    lines.append(kGiftMarker);
    lines.append(values.computeGifts ? QStringLiteral("1") : QStringLiteral("0"));
    lines.append(kLogAllMarker);
    lines.append(values.logAll ? QStringLiteral("1") : QStringLiteral("0"));
    return lines;
}

NamesProblem checkPlayerNames(const QStringList& names) {
    for (int i = 0; i < 3; ++i) {
        const QString name = lineAt(names, i);
        const QString player = QStringLiteral("игрока %1").arg(i + 1);
        if (name.trimmed().isEmpty())
            return {i, QStringLiteral("Не заполнено имя %1. Впишите имя каждого из трёх игроков.")
                           .arg(player)};
        if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
            return {i, QStringLiteral("Имя %1 занимает больше одной строки. Впишите его в одну "
                                      "строку.")
                           .arg(player)};
        if (name == kPlayersMarker || name == kGiftMarker || name == kLogAllMarker)
            return {i, QStringLiteral("Имя %1 «%2» совпадает со служебной строкой файла "
                                      "настроек. Выберите другое имя.")
                           .arg(player, name)};
        for (int j = 0; j < i; ++j)
            if (name == lineAt(names, j))
                return {i, QStringLiteral("У игроков %1 и %2 одинаковое имя «%3». Дайте каждому "
                                          "своё имя: очки в общей таблице складываются по имени.")
                               .arg(j + 1)
                               .arg(i + 1)
                               .arg(name)};
    }
    return {};
}

void writeDialogValues(const DialogValues& values, const QString& path) {
    writeLines(path, dialogLines(values));
}

} // namespace kv::settings
