#include "history/playerrename.h"

#include "common/datafiles.h"
#include "common/errors.h"
#include "common/settings.h"
#include "common/textfile.h"
#include "history/historystore.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <optional>

namespace kv {

using sql::exec;
using sql::prepare;

QString renameQuestion(const QList<PlayerRename>& renames) {
    QStringList lines;
    for (const auto& [from, to] : renames)
        lines.append(QStringLiteral("«%1» -> «%2»").arg(from, to));
    return QStringLiteral(
               "В истории турниров уже есть игроки с прежними именами:\n%1\n\n"
               "\"Переименовать\" - сменить имя во всей истории: во всех турнирах, в "
               "\"Total\", в лучших бомбардирах, в \"bomb.txt\" и в \"prizes.txt\" (перед этим "
               "сохранится копия базы).\n"
               "\"Новое имя\" - новое имя начнёт с нуля своей строкой в \"Total\", "
               "прежние турниры останутся за прежним именем.\n"
               "\"Отмена\" - вернуться к настройкам, ничего не сохраняя.")
        .arg(lines.join(QLatin1Char('\n')));
}

namespace {

const QString kMarkHeader = QStringLiteral("kickvale rename");

// The mark: a header, the number of renames, each old and new name, then the new settings file.
// Names are single lines (the settings dialog allows no other), so the lines stay apart.
QStringList markLines(const QList<PlayerRename>& renames, const QStringList& settingsLines) {
    QStringList lines{kMarkHeader, QString::number(renames.size())};
    for (const auto& [from, to] : renames)
        lines << from << to;
    return lines + settingsLines;
}

struct Mark {
    QList<PlayerRename> renames;
    QStringList settingsLines;
};

std::optional<Mark> readMark() {
    QStringList lines;
    try {
        lines = readLines(kRenameMarkFile);
    } catch (const Error&) {
        return std::nullopt; // a link that leads nowhere, a folder: not a mark of ours
    }
    bool number = false;
    const int count = lineAt(lines, 1).toInt(&number);
    if (lineAt(lines, 0) != kMarkHeader || !number || count < 1 || lines.size() < 2 + 2 * count)
        return std::nullopt;
    Mark mark;
    for (int i = 0; i < count; ++i)
        mark.renames.append({lines[2 + 2 * i], lines[3 + 2 * i]});
    mark.settingsLines = lines.mid(2 + 2 * count);
    return mark;
}

// Puts the new names in the lines of a file that hold an old one; writes only what changed, so
// that running it again after a kill changes nothing more.
void renameLines(const QString& file, qsizetype first, qsizetype count,
                 const QList<PlayerRename>& renames) {
    if (!QFileInfo::exists(file))
        return;
    QStringList lines = readLines(file);
    bool changed = false;
    for (qsizetype i = first; i < std::min(first + count, lines.size()); ++i)
        for (const auto& [from, to] : renames)
            if (lines[i] == from) {
                lines[i] = to;
                changed = true;
                break;
            }
    if (changed)
        writeLines(file, lines);
}

// The files that hold the names, after the history: the best scorer, the prize holders of the
// gift files (names on lines 2 to 4), the settings. Each is rewritten whole or not at all.
void renameInFiles(const Mark& mark, const RenameSteps& steps) {
    const auto reached = [&](RenameStep step) {
        if (steps)
            steps(step);
    };
    renameLines(kBestScorerFile, 0, 1, mark.renames);
    reached(RenameStep::BestScorerFile);
    renameLines(kPrizeEveningFile, 1, 3, mark.renames);
    reached(RenameStep::PrizeFile);
    writeLines(settings::kFileName, mark.settingsLines);
    reached(RenameStep::Settings);
}

bool markThere() {
    const QFileInfo mark(kRenameMarkFile);
    return mark.exists() || mark.isSymLink();
}

void dropMark() {
    if (markThere() && !QFile::remove(kRenameMarkFile))
        throw Error(QStringLiteral("Не удалось удалить файл «%1» в папке данных. Удалите его "
                                   "вручную, когда программа закрыта.")
                        .arg(kRenameMarkFile));
}

} // namespace

QString renamePlayersEverywhere(HistoryStore& history, const QList<PlayerRename>& renames,
                                const QStringList& settingsLines, const RenameSteps& steps) {
    const Mark mark{renames, settingsLines};
    const auto reached = [&](RenameStep step) {
        if (steps)
            steps(step);
    };
    writeLines(kRenameMarkFile, markLines(renames, settingsLines));
    reached(RenameStep::Marked);
    bool committed = false;
    QString unfinished;
    try {
        history.renamePlayers(
            renames, [&] { reached(RenameStep::RenamedUncommitted); },
            [&] {
                committed = true;
                reached(RenameStep::Committed);
                // From here the rename stands: what fails now is finished by the next start.
                try {
                    renameInFiles(mark, steps);
                    dropMark();
                } catch (const Error& e) {
                    unfinished =
                        QStringLiteral("Игроки переименованы в истории турниров, но файлы с их "
                                       "именами дописать не удалось: %1\nПрограмма допишет их "
                                       "при следующем запуске.")
                            .arg(e.text());
                }
            });
    } catch (...) {
        if (!committed)
            QFile::remove(kRenameMarkFile); // nothing changed: nothing to finish
        throw;
    }
    return unfinished;
}

InterruptedRename settleInterruptedRename(HistoryStore& history) {
    if (!markThere())
        return InterruptedRename::None;
    const std::optional<Mark> mark = readMark();
    if (!mark) { // not a mark this program wrote whole: nothing to finish
        dropMark();
        return InterruptedRename::Dropped;
    }
    // The old names leave the history only with the commit; until then it still holds them.
    const QSet<QString> held = history.playerNames();
    const bool committed =
        std::none_of(mark->renames.cbegin(), mark->renames.cend(),
                     [&](const PlayerRename& r) { return held.contains(r.first); });
    if (committed)
        renameInFiles(*mark, {});
    dropMark();
    return committed ? InterruptedRename::Finished : InterruptedRename::Dropped;
}

} // namespace kv
