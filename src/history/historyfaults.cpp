#include "history/historyfaults.h"

#include "history/historystore.h"
#include "history/safetycopy.h"
#include "history/tournamentdates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace kv {

namespace {

QString shown(const QString& file) {
    return QDir::toNativeSeparators(file);
}

// The files the engine keeps beside a database while a change is under way: they belong to it.
void moveSidecars(const QString& from, const QString& to) {
    for (const char* s : {"-journal", "-wal", "-shm"})
        if (QFileInfo::exists(from + QLatin1String(s)))
            QFile::rename(from + QLatin1String(s), to + QLatin1String(s));
}

} // namespace

namespace {
// What can be done about a database that cannot be read: the copies, or the players' own.
QString restoreHelp(const QString& databaseFile) {
    const QString folder = safetyCopyFolder(databaseFile);
    if (const QString problem = safetyCopyFolderProblem(databaseFile); !problem.isEmpty())
        return QStringLiteral("Копии базы в папке \"%1\" не прочитать: %2. Дайте своей учётной "
                              "записи право читать эту папку (или уберите то, что стоит на её "
                              "месте) и перезапустите программу, чтобы выбрать копию.")
            .arg(shown(folder), problem);
    const qsizetype copies = safetyCopies(databaseFile).size();
    return copies > 0
               ? QStringLiteral("В папке \"%1\" есть копии базы (%2), программа делает их перед "
                                "каждым изменением. Выберите копию в окне \"Восстановить из "
                                "копии...\" (меню \"Меню\"): она встанет на место базы, а "
                                "нынешний файл останется рядом.")
                     .arg(shown(folder))
                     .arg(copies)
               : QStringLiteral("Копий базы в папке \"%1\" нет: верните файл \"%2\" из своей "
                                "резервной копии и перезапустите программу.")
                     .arg(shown(folder), QFileInfo(databaseFile).fileName());
}
} // namespace

DamagedHistory damagedHistory(const QString& databaseFile, const QString& reason) {
    return DamagedHistory(QStringLiteral("База турниров \"%1\" повреждена: %2. Турниры из неё "
                                         "сейчас не прочитать и не записать.\n%3")
                              .arg(shown(databaseFile), reason, restoreHelp(databaseFile)),
                          reason);
}

DamagedHistory missingHistory(const QString& databaseFile) {
    return DamagedHistory(QStringLiteral("Файла базы турниров \"%1\" нет: его удалили или "
                                         "переместили. Турниры сейчас не прочитать и не "
                                         "записать.\n%2")
                              .arg(shown(databaseFile), restoreHelp(databaseFile)),
                          QStringLiteral("файла нет"));
}

namespace {
// A tournament as the players know it: by the day it was played.
QString playedOn(const QString& table) {
    const std::optional<QDateTime> at = tournamentDateTime(table);
    return at ? at->date().toString(QStringLiteral("dd.MM.yyyy"))
              : QStringLiteral("\"%1\"").arg(table);
}
} // namespace

ChangeNote writingNote(const QString& table) {
    return {QStringLiteral("перед записью ") + playedOn(table),
            QStringLiteral("Турнир не записан")};
}

ChangeNote correctionNote(const QString& table) {
    return {QStringLiteral("перед исправлением ") + playedOn(table),
            QStringLiteral("Исправление турнира не записано")};
}

ChangeNote deletionNote(const QString& table) {
    return {QStringLiteral("перед удалением ") + playedOn(table),
            QStringLiteral("Турнир не удалён")};
}

ChangeNote renamingNote(const QList<std::pair<QString, QString>>& renames) {
    QStringList names;
    for (const auto& [from, to] : renames)
        names.append(QStringLiteral("%1 в %2").arg(from, to));
    return {QStringLiteral("перед переименованием ") + names.join(QStringLiteral(", ")),
            QStringLiteral("Игроки не переименованы")};
}

ChangeNote rebuildNote() {
    return {QStringLiteral("перед пересчётом Total"), QStringLiteral("\"Total\" не пересчитан")};
}

BusyHistory busyChange(const QString& databaseFile, const QString& notDone) {
    return BusyHistory(
        QStringLiteral("%1: база турниров \"%2\" занята другой программой (другой копией "
                       "Zorvo Kickvale 6 или программой для баз данных) и за %3 секунды не "
                       "освободилась. Изменение не сделано, база осталась как была. Закройте ту "
                       "программу и повторите.")
            .arg(notDone, shown(databaseFile))
            .arg(kBusyWaitMs / 1000));
}

DiskFault diskFault(const QString& databaseFile, const QString& notDone, const DiskFault& fault) {
    const QString text =
        fault.full()
            ? QStringLiteral("%1: на диске с базой турниров \"%2\" кончилось место. Изменение "
                             "отменено, база осталась как была. Освободите место на диске "
                             "(удалите ненужные файлы, очистите корзину) и повторите.")
            : QStringLiteral("%1: базу турниров \"%2\" не удалось записать на диск (%3). "
                             "Изменение отменено, база осталась как была. Проверьте, что на "
                             "диске есть место и он исправен, и повторите.");
    return DiskFault(text.arg(notDone, shown(databaseFile), fault.detail()), fault.full(),
                     fault.detail());
}

Error readOnlyFile(const QString& databaseFile) {
    return Error(QStringLiteral("В файл базы турниров \"%1\" нельзя записывать: он только для "
                                "чтения (или у вашей учётной записи нет права менять его). "
                                "Изменение не сделано, база осталась как была. Разрешите запись "
                                "в файл (в его свойствах или командой chmod u+w) и повторите.")
                     .arg(shown(databaseFile)));
}

DamagedHistory unfinishedRestore(const QString& databaseFile) {
    const QString path = QFileInfo(databaseFile).absoluteFilePath();
    return DamagedHistory(
        QStringLiteral("Файла базы турниров \"%1\" нет: восстановление из копии было прервано "
                       "и при запуске не закончилось. Выбранная копия лежит рядом как \"%2\", "
                       "прежний файл - как \"base-replaced-...\". Переименуйте \"%2\" в "
                       "\"%3\" (или выберите копию в окне \"Восстановить из копии...\") и "
                       "перезапустите программу.")
            .arg(shown(path), QFileInfo(path).fileName() + QStringLiteral(".restoring"),
                 QFileInfo(path).fileName()),
        QStringLiteral("восстановление прервано"));
}

BusyHistory busyHistory(const QString& databaseFile) {
    return BusyHistory(
        QStringLiteral("База турниров \"%1\" занята другой программой (другой копией "
                       "Zorvo Kickvale 6 или программой для баз данных) и за %2 секунды "
                       "не освободилась. Закройте ту программу и повторите: список "
                       "турниров заполнится, когда окно результатов откроется снова.")
            .arg(shown(databaseFile))
            .arg(kBusyWaitMs / 1000));
}

QString newerFormatWarning(const QString& databaseFile, int format) {
    return QStringLiteral("База турниров \"%1\" записана более новой версией программы (формат "
                          "%2, эта версия знает формат %3). Она открыта только для чтения: "
                          "турниры видны, но записать, исправить или удалить ничего нельзя. "
                          "Установите новую версию программы.")
        .arg(shown(databaseFile))
        .arg(format)
        .arg(kHistoryFormat);
}

Error readOnlyHistory(const QString& databaseFile) {
    return Error(QStringLiteral("База турниров \"%1\" открыта только для чтения: она записана "
                                "более новой версией программы. Изменение не сделано. "
                                "Установите новую версию программы.")
                     .arg(shown(databaseFile)));
}

void throwEngineError(int code, const QString& text, const QString& databaseFile) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw busyHistory(databaseFile);
    case SQLITE_NOTADB:
        throw damagedHistory(databaseFile, QStringLiteral("это не файл базы данных"));
    case SQLITE_CORRUPT:
        throw damagedHistory(databaseFile, QStringLiteral("файл испорчен или обрезан"));
    case SQLITE_FULL:
    case SQLITE_IOERR:
        throw diskFault(databaseFile, QStringLiteral("Изменение не сделано"),
                        DiskFault({}, (code & 0xff) == SQLITE_FULL, text));
    default:
        throw Error(text.isEmpty() ? QStringLiteral("Ошибка базы данных") : text);
    }
}

namespace {

CopySummary describe(const QString& path, const QString& unnoted) {
    CopySummary s;
    s.path = path;
    // A copy of the folder gives every file one time: the name says when each was made.
    s.made = madeAtByName(path);
    if (!s.made.isValid())
        s.made = QFileInfo(path).lastModified();
    s.note = safetyCopyNote(path);
    if (s.note.isEmpty())
        s.note = unnoted;
    try {
        HistoryStore copy(path);
        copy.openReadOnly();
        s.newer = !copy.formatWarning().isEmpty();
        const QStringList tables = copy.tournamentTables();
        s.tournaments = int(tables.size());
        s.newest = tables.isEmpty() ? QString() : tables.last();
    } catch (const DamagedHistory& e) {
        s.fault = e.reason();
    } catch (const Error& e) {
        s.fault = e.text();
    }
    return s;
}

const QString kSetAside = QStringLiteral("заменённая при восстановлении");

} // namespace

QList<CopySummary> describeSafetyCopies(const QString& databaseFile) {
    if (const QString problem = safetyCopyFolderProblem(databaseFile); !problem.isEmpty())
        throw Error(QStringLiteral("Папку копий базы \"%1\" не прочитать: %2. Дайте своей "
                                   "учётной записи право читать эту папку (или уберите то, что "
                                   "стоит на её месте) и откройте окно снова.")
                        .arg(shown(safetyCopyFolder(databaseFile)), problem));
    // Both lists newest first, merged by time: each keeps its own order.
    QList<CopySummary> copies;
    const QStringList copyPaths = safetyCopies(databaseFile);
    for (auto it = copyPaths.crbegin(); it != copyPaths.crend(); ++it)
        copies.append(describe(*it, {}));
    QList<CopySummary> setAside;
    const QStringList replaced = replacedDatabases(databaseFile);
    for (auto it = replaced.crbegin(); it != replaced.crend(); ++it)
        setAside.append(describe(*it, kSetAside));
    QList<CopySummary> list;
    qsizetype c = 0;
    qsizetype r = 0;
    while (c < copies.size() || r < setAside.size())
        list.append(r == setAside.size() ||
                            (c < copies.size() && copies[c].made >= setAside[r].made)
                        ? copies[c++]
                        : setAside[r++]);
    return list;
}

QString replaceWithCopy(const QString& databaseFile, const QString& copy, const QDateTime& now) {
    const QFileInfo target(databaseFile);
    QDir dir = target.absoluteDir();
    const auto failed = [&](const QString& why) {
        return Error(QStringLiteral("Копию \"%1\" не удалось поставить на место базы \"%2\": %3 "
                                    "База осталась как была. Проверьте, что в папку данных "
                                    "можно писать и на диске есть место, и повторите.")
                         .arg(shown(copy), shown(databaseFile), why));
    };
    // The copy is complete beside the database before anything is renamed; only then does it
    // get the name that a start after a cut restore takes for a complete one.
    const QString incoming = target.absoluteFilePath() + QStringLiteral(".restoring");
    const QString part = incoming + QStringLiteral(".part");
    QFile::remove(part);
    QFile::remove(incoming);
    if (!QFile::copy(copy, part)) {
        QFile::remove(part);
        throw failed(QStringLiteral("копию нельзя прочитать или записать рядом с базой."));
    }
    QFile(part).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!QFile::rename(part, incoming)) {
        QFile::remove(part);
        throw failed(QStringLiteral("копию нельзя записать рядом с базой."));
    }

    QString kept;
    if (target.exists() || target.isSymLink()) {
        const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        kept = dir.filePath(QStringLiteral("base-replaced-%1.db").arg(stamp));
        for (int n = 2; QFileInfo::exists(kept) || QFileInfo(kept).isSymLink(); ++n)
            kept = dir.filePath(QStringLiteral("base-replaced-%1_%2.db").arg(stamp).arg(n));
        if (!dir.rename(target.fileName(), QFileInfo(kept).fileName())) {
            QFile::remove(incoming);
            throw failed(QStringLiteral("нынешний файл нельзя переименовать."));
        }
        // A journal left by a change cut short belongs to the kept file: beside the copy it
        // would be played into the wrong database.
        moveSidecars(target.absoluteFilePath(), kept);
    }
    if (!QFile::rename(incoming, target.absoluteFilePath())) {
        if (!kept.isEmpty() && dir.rename(QFileInfo(kept).fileName(), target.fileName()))
            moveSidecars(kept, target.absoluteFilePath());
        QFile::remove(incoming);
        throw failed(QStringLiteral("копию нельзя переименовать."));
    }
    return kept;
}

bool finishCutRestore(const QString& databaseFile) {
    const QFileInfo target(databaseFile);
    const QString path = target.absoluteFilePath();
    const QString incoming = path + QStringLiteral(".restoring");
    if (target.exists() || target.isSymLink() || !QFileInfo(incoming).isFile())
        return false;
    // Cut before the journal of the set-aside file followed it: it goes there now, never into
    // the copy.
    const QStringList replaced = replacedDatabases(databaseFile);
    if (!replaced.isEmpty())
        moveSidecars(path, replaced.last());
    for (const char* s : {"-journal", "-wal", "-shm"})
        if (QFileInfo::exists(path + QLatin1String(s)))
            return false;
    return QFile::rename(incoming, path);
}

} // namespace kv
