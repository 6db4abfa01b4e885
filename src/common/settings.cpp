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
    return dialogLines({.category = Category::Clubs,
                        .names = {QStringLiteral("Player 1"), QStringLiteral("Player 2"),
                                  QStringLiteral("Player 3")}});
}

void writeDefault(const QString& path) {
    writeLines(path, defaultLines());
}

Values parse(const QStringList& lines) {
    Values values{lineAt(lines, 0), lineAt(lines, 1), defaultLines().mid(3, 3),
                  valueAfterMarker(lines, kGiftMarker), valueAfterMarker(lines, kLogAllMarker)};
    if (lines.contains(kPlayersMarker))
        for (int i = 0; i < 3; ++i)
            values.players[i] = valueAfterMarker(lines, kPlayersMarker, i).value_or(QString());
    return values;
}

Values read(const QString& path) {
    return parse(readLines(path));
}

int Values::logAllFlag() const {
    return logAll ? strToInt(*logAll) : 1;
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
