#include "results/historyrepair.h"

#include "results/historystore.h"
#include "results/safetycopy.h"

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
    default:
        throw Error(text.isEmpty() ? QStringLiteral("Database error") : text);
    }
}

QList<CopySummary> describeSafetyCopies(const QString& databaseFile) {
    QList<CopySummary> list;
    const QStringList copies = safetyCopies(databaseFile);
    for (auto it = copies.crbegin(); it != copies.crend(); ++it) {
        CopySummary s;
        s.path = *it;
        s.made = QFileInfo(*it).lastModified();
        try {
            HistoryStore copy(*it);
            copy.openReadOnly();
            const QStringList tables = copy.tournamentTables();
            s.tournaments = int(tables.size());
            s.newest = tables.isEmpty() ? QString() : tables.last();
        } catch (const DamagedHistory& e) {
            s.fault = e.reason();
        } catch (const Error& e) {
            s.fault = e.text();
        }
        list.append(s);
    }
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
    // The copy is complete beside the database before anything is renamed.
    const QString incoming = target.absoluteFilePath() + QStringLiteral(".restoring");
    QFile::remove(incoming);
    if (!QFile::copy(copy, incoming)) {
        QFile::remove(incoming);
        throw failed(QStringLiteral("копию нельзя прочитать или записать рядом с базой."));
    }
    QFile(incoming).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);

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

} // namespace kv
