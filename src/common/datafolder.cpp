#include "common/datafolder.h"

#include "common/datafiles.h"
#include "common/errors.h"
#include "common/programdir.h"
#include "common/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace kv {

namespace {

const QString kSchemaFile = QStringLiteral("base.sql");
const QString kDatabaseName = QStringLiteral("base.db");
constexpr QFile::Permissions kFilePermissions =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;

QString setUpFailed(const QString& dir, const QString& what) {
    return QStringLiteral("Не удалось подготовить папку данных «%1»: %2. Папка оставлена такой, "
                          "какой была. Проверьте права на запись и свободное место на диске и "
                          "запустите программу снова.")
        .arg(QDir::toNativeSeparators(dir), what);
}

// Files made by one set-up; unless the set-up finishes they are taken back, so that a failure
// leaves the folder empty and the next start tries again from the beginning.
class MadeFiles {
public:
    MadeFiles() = default;
    MadeFiles(const MadeFiles&) = delete;
    MadeFiles& operator=(const MadeFiles&) = delete;
    ~MadeFiles() {
        if (kept_)
            return;
        for (auto it = files_.crbegin(); it != files_.crend(); ++it)
            QFile::remove(*it);
        if (!folder_.isEmpty())
            QDir().rmdir(folder_);
    }
    void madeFolder(const QString& dir) { folder_ = dir; }
    void made(const QString& file) { files_.append(file); }
    void keep() { kept_ = true; }

private:
    QStringList files_;
    QString folder_;
    bool kept_ = false;
};

void copyNew(const QString& from, const QString& to, const QString& dir, MadeFiles& made) {
    if (QFileInfo::exists(to)) // only when another start is filling the folder at the same time
        return;
    QFile source(from);
    if (!source.copy(to))
        throw Error(setUpFailed(dir, QStringLiteral("файл «%1» не создан (%2)")
                                         .arg(QFileInfo(to).fileName(), source.errorString())));
    made.made(to);
    QFile::setPermissions(to, kFilePermissions);
}

void writeGift(const QString& to, const QString& picture, const QString& dir, MadeFiles& made) {
    if (QFileInfo::exists(to))
        return;
    try {
        writeLines(to, {imagePath(picture)});
    } catch (const Error& e) {
        throw Error(setUpFailed(dir, e.text()));
    }
    made.made(to);
}

// Runs the schema on a new database file; returns SQLite's complaint, empty on success.
QString runSchema(const QString& path, const QByteArray& schema) {
    sqlite3* db = nullptr;
    QString failure;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
        SQLITE_OK) {
        char* message = nullptr;
        if (sqlite3_exec(db, schema.constData(), nullptr, nullptr, &message) != SQLITE_OK)
            failure = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
    } else {
        failure = QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
    }
    if (sqlite3_close(db) != SQLITE_OK && failure.isEmpty())
        failure = QString::fromUtf8(sqlite3_errmsg(db));
    return failure;
}

// base.db appears whole or not at all: it is built under a hidden temporary name and renamed.
void buildDatabase(const QString& schemaPath, const QString& dir, MadeFiles& made) {
    const QString target = dir + QLatin1Char('/') + kDatabaseName;
    if (QFileInfo::exists(target))
        return;
    const QByteArray schema = readBytes(schemaPath);
    QTemporaryFile temp(dir + QStringLiteral("/.base.db-XXXXXX"));
    if (!temp.open())
        throw Error(setUpFailed(
            dir, QStringLiteral("база данных не создана (%1)").arg(temp.errorString())));
    temp.close();
    const QString failure = runSchema(temp.fileName(), schema);
    QFile::remove(temp.fileName() + QStringLiteral("-journal"));
    if (!failure.isEmpty())
        throw Error(setUpFailed(dir, QStringLiteral("база данных не создана (%1)").arg(failure)));
    temp.setPermissions(kFilePermissions);
    QFile built(temp.fileName());
    if (!built.rename(target)) // never replaces a base.db that appeared meanwhile
        throw Error(setUpFailed(
            dir, QStringLiteral("база данных не создана (%1)").arg(built.errorString())));
    made.made(target);
}

} // namespace

QString chooseDataFolder(const QStringList& arguments, const QString& currentDir,
                         const QString& dataHome) {
    const QDir current(currentDir);
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].isEmpty() && !arguments[i].startsWith(QLatin1Char('-')))
            return QDir::cleanPath(current.absoluteFilePath(arguments[i]));
    for (const QString& marker :
         {QStringLiteral("settings.ini"), QStringLiteral("all_last.txt"), kDatabaseName})
        if (QFileInfo::exists(current.filePath(marker)))
            return QDir::cleanPath(current.absolutePath());
    return QDir::cleanPath(dataHome + QLatin1Char('/') + kDataFolderName);
}

QString userDataHome() {
    // A relative value is invalid and ignored, as the desktop's base directory rules say.
    const QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return home;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

bool prepareDataFolder(const QString& dir, const QString& defaultsDir) {
    const QFileInfo info(dir);
    MadeFiles made;
    if (info.exists()) {
        if (!info.isDir())
            throw Error(setUpFailed(dir, QStringLiteral("это файл, а не папка")));
        if (!QDir(dir).isEmpty()) // hidden files (a lock, a half-made database) do not count
            return false;
    } else {
        if (!QDir().mkpath(dir))
            throw Error(setUpFailed(dir, QStringLiteral("папка не создана")));
        made.madeFolder(dir);
    }

    const QDir defaults(defaultsDir);
    const QStringList files = defaults.entryList({QStringLiteral("*.txt")}, QDir::Files);
    if (files.isEmpty() || !defaults.exists(kSchemaFile))
        throw Error(setUpFailed(
            dir, QStringLiteral("не найдены исходные файлы программы в «%1»; переустановите "
                                "программу")
                     .arg(QDir::toNativeSeparators(defaultsDir))));
    for (const QString& name : files)
        copyNew(defaults.filePath(name), dir + QLatin1Char('/') + name, dir, made);
    // Prizes of a new installation grant nothing: neither a team choice nor an except-choice.
    writeGift(dir + QLatin1Char('/') + kGift1File, QStringLiteral("splayer.bmp"), dir, made);
    writeGift(dir + QLatin1Char('/') + kGift2File, QStringLiteral("yellowcard.bmp"), dir, made);
    buildDatabase(defaults.filePath(kSchemaFile), dir, made);
    made.keep();
    return true;
}

QString enterDataFolder(const QStringList& arguments) {
    const QString dir = chooseDataFolder(arguments, QDir::currentPath(), userDataHome());
    prepareDataFolder(dir, defaultsDir());
    if (!QDir::setCurrent(dir))
        throw Error(QStringLiteral("Не удалось открыть папку данных «%1». Проверьте, что она "
                                   "существует и доступна, и запустите программу снова.")
                        .arg(QDir::toNativeSeparators(dir)));
    return dir;
}

bool isSetUpOnly(int argc, char* argv[]) {
    return argc >= 2 && std::strcmp(argv[1], "--init") == 0;
}

int runSetUpOnly(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zorvo-kickvale-6 --init DIR\n");
        return 2;
    }
    const QString dir =
        QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(argv[2])));
    try {
        const bool filled = prepareDataFolder(dir, defaultsDir());
        const QString text = filled
                                 ? QStringLiteral("Папка данных создана: %1")
                                 : QStringLiteral("Папка данных уже есть и оставлена как есть: %1");
        std::printf("%s\n", text.arg(QDir::toNativeSeparators(dir)).toUtf8().constData());
        return 0;
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.text().toUtf8().constData());
        return 1;
    }
}

} // namespace kv
