#include "common/datafolder.h"

#include "common/datafiles.h"
#include "common/errors.h"
#include "common/programdir.h"
#include "common/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

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

// A set-up marks its folder before the first file and unmarks it after the last: a folder still
// marked was left half-filled by a set-up that was killed, and the next start finishes it.
const QString kUnfinishedMark = QStringLiteral(".kickvale-setup");
// Held by the set-up that is filling the folder: a second start at the same moment waits for it and
// then finds the folder made, instead of the two taking each other's files away.
const QString kSetUpLock = QStringLiteral(".kickvale-setup.lock");
constexpr int kSetUpWaitMs = 30000;
// Files are made under such hidden names and renamed when whole.
const QString kTemporaryDatabase = QStringLiteral(".base.db-XXXXXX");
const QString kTemporaryFile = QStringLiteral(".kickvale-new-XXXXXX");

// Whether something stands at a path, a link too, even one that leads nowhere: the set-up never
// writes through a name that is taken.
bool taken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Files and folders made by one set-up; unless the set-up finishes they are taken back, so that
// a failure leaves things as they were and the next start tries again.
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
        for (auto it = folders_.crbegin(); it != folders_.crend(); ++it)
            QDir().rmdir(*it);
    }
    // Makes a folder and the parents it lacks, remembering each one made.
    bool makeFolder(const QString& dir) {
        QStringList missing;
        for (QString d = QDir::cleanPath(dir); !taken(d); d = QFileInfo(d).path()) {
            missing.prepend(d);
            if (QFileInfo(d).path() == d)
                break;
        }
        for (const QString& d : missing) {
            if (QDir().mkdir(d))
                folders_.append(d);
            else if (!QFileInfo(d).isDir()) // another set-up may have just made it: that is fine
                return false;
        }
        return true;
    }
    void made(const QString& file) { files_.append(file); }
    void keep() { kept_ = true; }

private:
    QStringList files_;
    QStringList folders_;
    bool kept_ = false;
};

// A folder some set-up began and did not finish: it carries the mark, or (a set-up of an older
// version, killed while it built the database) a temporary database without base.db.
bool unfinished(const QDir& dir) {
    if (taken(dir.filePath(kUnfinishedMark)))
        return true;
    return !taken(dir.filePath(kDatabaseName)) &&
           !dir.entryList({kTemporaryDatabase.left(9) + QLatin1Char('*')},
                          QDir::Files | QDir::Hidden)
                .isEmpty();
}

// Puts a file made under a hidden temporary name in place. Never replaces a name taken
// meanwhile, nor writes through a link that stands there.
void putInPlace(QTemporaryFile& temp, const QString& target, const QString& dir,
                const QString& what) {
    temp.setPermissions(kFilePermissions);
    const QByteArray from = QFile::encodeName(temp.fileName());
    const QByteArray to = QFile::encodeName(target);
    int moved = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (moved != 0 && errno == EINVAL && !taken(target)) // a file system without that flag
        moved = ::rename(from.constData(), to.constData());
    if (moved != 0)
        throw Error(setUpFailed(dir, what.arg(QString::fromLocal8Bit(std::strerror(errno)))));
    temp.setAutoRemove(false);
}

// A file appears whole or not at all, so that finishing a set-up that was killed can keep every
// file it finds.
void writeNew(const QString& to, const QByteArray& bytes, const QString& dir, MadeFiles& made) {
    if (taken(to)) // a set-up that was killed made it, or another start is filling the folder
        return;
    const QString what = QStringLiteral("файл «%1» не создан (%2)")
                             .arg(QFileInfo(to).fileName(), QStringLiteral("%1"));
    QTemporaryFile temp(dir + QLatin1Char('/') + kTemporaryFile);
    if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush())
        throw Error(setUpFailed(dir, what.arg(temp.errorString())));
    temp.close();
    putInPlace(temp, to, dir, what);
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

void buildDatabase(const QString& schemaPath, const QString& dir, MadeFiles& made) {
    const QString target = dir + QLatin1Char('/') + kDatabaseName;
    if (taken(target))
        return;
    const QByteArray schema = readBytes(schemaPath);
    const QString what = QStringLiteral("база данных не создана (%1)");
    QTemporaryFile temp(dir + QLatin1Char('/') + kTemporaryDatabase);
    if (!temp.open())
        throw Error(setUpFailed(dir, what.arg(temp.errorString())));
    temp.close();
    const QString failure = runSchema(temp.fileName(), schema);
    QFile::remove(temp.fileName() + QStringLiteral("-journal"));
    if (!failure.isEmpty())
        throw Error(setUpFailed(dir, what.arg(failure)));
    putInPlace(temp, target, dir, what);
    made.made(target);
}

// What a set-up killed half way left of its temporary files.
void removeTemporaryFiles(QDir dir) {
    for (const QString& pattern : {kTemporaryDatabase, kTemporaryFile})
        for (const QString& name :
             dir.entryList({pattern.left(pattern.indexOf(QLatin1Char('X'))) + QLatin1Char('*')},
                           QDir::Files | QDir::Hidden | QDir::System))
            dir.remove(name);
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

bool prepareDataFolder(const QString& dir, const ProgramFiles& files) {
    const QFileInfo info(dir);
    MadeFiles made;
    if (info.exists() && !info.isDir())
        throw Error(QStringLiteral("Не удалось подготовить папку данных «%1»: это файл, а не "
                                   "папка. Переименуйте или перенесите этот файл либо укажите "
                                   "программе другую папку и запустите её снова.")
                        .arg(QDir::toNativeSeparators(dir)));
    // Hidden files (a lock) do not count, nor what a set-up killed half way left.
    const auto filled = [&] { return !QDir(dir).isEmpty() && !unfinished(QDir(dir)); };
    if (info.exists() && filled())
        return false;
    if (!made.makeFolder(dir))
        throw Error(setUpFailed(dir, QStringLiteral("папка не создана")));

    // Released before the files and folders of a failed set-up are taken back.
    QLockFile lock(dir + QLatin1Char('/') + kSetUpLock);
    lock.setStaleLockTime(0); // only a set-up that died leaves it: its process is gone
    if (!lock.tryLock(kSetUpWaitMs))
        throw Error(
            setUpFailed(dir, lock.error() == QLockFile::LockFailedError
                                 ? QStringLiteral("её больше %1 с готовит другая копия программы")
                                       .arg(kSetUpWaitMs / 1000)
                                 : QStringLiteral("файл «%1» не создан").arg(kSetUpLock)));
    // Another start may have filled it while this one waited.
    if (filled())
        return false;

    const QDir defaults(files.defaultsDir());
    const QStringList texts = defaults.entryList({QStringLiteral("*.txt")}, QDir::Files);
    if (texts.isEmpty() || !defaults.exists(kSchemaFile))
        throw Error(setUpFailed(
            dir, QStringLiteral("не найдены исходные файлы программы в «%1»; переустановите "
                                "программу")
                     .arg(QDir::toNativeSeparators(files.defaultsDir()))));
    const QString mark = dir + QLatin1Char('/') + kUnfinishedMark;
    if (!taken(mark)) {
        QFile marker(mark);
        if (!marker.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw Error(setUpFailed(dir, QStringLiteral("файл «%1» не создан (%2)")
                                             .arg(kUnfinishedMark, marker.errorString())));
        made.made(mark);
    }
    // Under the lock, temporary files are those of a set-up that was killed.
    removeTemporaryFiles(QDir(dir));
    for (const QString& name : texts)
        writeNew(dir + QLatin1Char('/') + name, readBytes(defaults.filePath(name)), dir, made);
    // Prizes of a new installation grant nothing: neither a team choice nor an except-choice.
    const auto gift = [&](const QString& picture) {
        return (files.imagePath(picture) + "\r\n").toUtf8();
    };
    writeNew(dir + QLatin1Char('/') + kGift1File, gift(QStringLiteral("splayer.bmp")), dir, made);
    writeNew(dir + QLatin1Char('/') + kGift2File, gift(QStringLiteral("yellowcard.bmp")), dir,
             made);
    buildDatabase(defaults.filePath(kSchemaFile), dir, made);
    if (!QFile::remove(mark))
        throw Error(setUpFailed(dir, QStringLiteral("не снята отметка «%1»").arg(kUnfinishedMark)));
    made.keep();
    return true;
}

QString enterDataFolder(const QStringList& arguments, const ProgramFiles& files) {
    const QString dir = chooseDataFolder(arguments, QDir::currentPath(), userDataHome());
    prepareDataFolder(dir, files);
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
        const bool filled = prepareDataFolder(dir, ProgramFiles::installed());
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
