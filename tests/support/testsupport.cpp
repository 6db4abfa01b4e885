#include "testsupport.h"

#include "common/textfile.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvtest {

namespace {

bool isRoot() {
    return geteuid() == 0;
}

// Whether a user who is neither owner nor in the group passes through every folder to dir.
bool othersCanEnter(const QString& dir) {
    QString path = QDir(dir).canonicalPath();
    if (path.isEmpty())
        return false;
    for (;;) {
        struct stat st {};
        if (stat(QFile::encodeName(path).constData(), &st) != 0 || !(st.st_mode & S_IXOTH))
            return false;
        if (QDir(path).isRoot())
            return true;
        path = QFileInfo(path).path();
    }
}

QString temporaryTemplate(Reach reach) {
    QString base = QDir::tempPath();
    if (reach == Reach::Everyone && isRoot() && !othersCanEnter(base))
        for (const char* candidate : {"/tmp", "/var/tmp", "/dev/shm"})
            if (othersCanEnter(QString::fromLatin1(candidate))) {
                base = QString::fromLatin1(candidate);
                break;
            }
    return base + QLatin1Char('/') + QCoreApplication::applicationName() +
           QStringLiteral("-XXXXXX");
}

constexpr QFile::Permissions kOthersRead =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
constexpr QFile::Permissions kOthersEnter =
    kOthersRead | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;

// Copies a folder tree so that every user may read it.
bool copyForEveryone(const QString& from, const QString& to) {
    if (!QDir().mkpath(to) || !QFile::setPermissions(to, kOthersEnter))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + it.fileName();
        if (it.fileInfo().isDir()
                ? !copyForEveryone(source, target)
                : !copyFile(source, target) || !QFile::setPermissions(target, kOthersRead))
            return false;
    }
    return true;
}

const passwd* nobody() {
    static const passwd* pw = getpwnam("nobody");
    return pw;
}

} // namespace

WorkFolder::WorkFolder(Reach reach)
    : dir_(temporaryTemplate(reach)), previous_(QDir::currentPath()),
      previousConfig_(qgetenv("XDG_CONFIG_HOME")), files_(programFiles()) {
    QVERIFY2(dir_.isValid(), qPrintable(dir_.errorString()));
    QDir::setCurrent(dir_.path());
    // What the program keeps of its own (the folder last saved into) stays with the test.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()));
    if (reach == Reach::Everyone && isRoot()) {
        QVERIFY(QFile::setPermissions(dir_.path(), kOthersEnter));
        programCopy_ = std::make_unique<QTemporaryDir>(temporaryTemplate(reach));
        const QString program = programCopy_->filePath(QStringLiteral("program"));
        QVERIFY(QFile::setPermissions(programCopy_->path(), kOthersEnter));
        // Only the program's own files: the build folder also holds every test program.
        QVERIFY2(copyForEveryone(buildProgramDir() + QStringLiteral("images"),
                                 program + QStringLiteral("/images")) &&
                     copyFile(buildProgramDir() + QStringLiteral("table.xlsx"),
                              program + QStringLiteral("/table.xlsx")) &&
                     QFile::setPermissions(program + QStringLiteral("/table.xlsx"), kOthersRead),
                 qPrintable(program));
        files_ = kv::ProgramFiles(program);
    }
}

WorkFolder::~WorkFolder() {
    QDir::setCurrent(previous_);
    if (previousConfig_.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", previousConfig_);
}

QString WorkFolder::path(const QString& name) const {
    return name.isEmpty() ? dir_.path() : dir_.filePath(name);
}

void WorkFolder::write(const QString& name, const QStringList& lines) const {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    writeBytes(name, bytes);
}

void WorkFolder::writeBytes(const QString& name, const QByteArray& bytes) const {
    if (!putFile(path(name), bytes))
        fail(QStringLiteral("cannot write %1").arg(path(name)));
}

QByteArray WorkFolder::bytes(const QString& name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QStringList WorkFolder::lines(const QString& name) const {
    return kv::readLines(path(name));
}

bool WorkFolder::exists(const QString& name) const {
    return QFile::exists(path(name));
}

void WorkFolder::copyDefaultData() const {
    QDirIterator it(sourceDir() + QStringLiteral("data"), QDir::Files);
    while (it.hasNext()) {
        it.next();
        const QString target = path(it.fileName());
        if (!QFile::exists(target))
            copyFile(it.filePath(), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}

QStringList Settings::lines() const {
    return QStringList{ask, category, QStringLiteral("[players]")} + players +
           QStringList{QStringLiteral("[gift]"), gift, QStringLiteral("[log all teams]"), logAll};
}

void WorkFolder::writeSettings(const Settings& settings) const {
    write(QStringLiteral("settings.ini"), settings.lines());
}

void WorkFolder::writeStartData(const std::optional<Settings>& settings, const QString& gift1,
                                const QString& gift2) const {
    write(QStringLiteral("gift1.txt"), {files_.imagePath(gift1)});
    write(QStringLiteral("gift2.txt"), {files_.imagePath(gift2)});
    if (settings)
        writeSettings(*settings);
    copyDefaultData();
}

Unprivileged::Unprivileged() {
    if (!isRoot())
        return;
    QVERIFY2(nobody(), "no user \"nobody\"");
    switched_ = setresgid(nobody()->pw_gid, nobody()->pw_gid, 0) == 0 &&
                setresuid(nobody()->pw_uid, nobody()->pw_uid, 0) == 0;
    QVERIFY2(switched_, "cannot become the user \"nobody\"");
}

Unprivileged::~Unprivileged() {
    if (switched_ && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0))
        QTest::qFail("cannot become root again", __FILE__, __LINE__);
}

QString Unprivileged::unavailable() {
    if (!isRoot())
        return {};
    if (!nobody())
        return QStringLiteral("root passes every file permission and this system has no user "
                              "\"nobody\" to run as");
    // A container may keep root from changing users at all.
    if (setresgid(nobody()->pw_gid, nobody()->pw_gid, 0) != 0)
        return QStringLiteral("root passes every file permission and may not become \"nobody\" "
                              "here: %1")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    const bool becameNobody = setresuid(nobody()->pw_uid, nobody()->pw_uid, 0) == 0;
    const QString why = QString::fromLocal8Bit(strerror(errno));
    if ((becameNobody && setresuid(0, 0, 0) != 0) || setresgid(0, 0, 0) != 0)
        return QStringLiteral("cannot become root again after a trial as \"nobody\"");
    if (!becameNobody)
        return QStringLiteral("root passes every file permission and may not become \"nobody\" "
                              "here: %1")
            .arg(why);
    if (!othersCanEnter(QDir::currentPath()))
        return QStringLiteral("no temporary folder that the user \"nobody\" can enter");
    return {};
}

kv::Dialogs::Answer StrictDialogs::unqueued(Kind kind, const QString& text, Answer fallback) {
    static const char* const kinds[] = {"information", "Yes/No/Cancel", "Yes/No", "OK/Cancel",
                                        "error"};
    QTest::qFail(qPrintable(QStringLiteral("unexpected %1 question, no answer queued: %2")
                                .arg(QLatin1String(kinds[int(kind)]), text)),
                 __FILE__, __LINE__);
    return fallback;
}

Fakes::Fakes(quint64 seed, const QDateTime& at) : random(seed), clock(at) {
    services.dialogs = &dialogs;
    services.random = &random;
    services.clock = &clock;
    services.opener = &opener;
    services.spreadsheets = &sheets;
    services.endProgram = [this] { ended = true; };
    services.files = programFiles();
}

bool putFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

bool copyFile(const QString& from, const QString& to) {
    QFile source(from);
    return source.open(QIODevice::ReadOnly) && putFile(to, source.readAll());
}

QString buildProgramDir() {
    return QStringLiteral(KV_PROGRAM_DIR);
}

kv::ProgramFiles programFiles() {
    return kv::ProgramFiles(buildProgramDir());
}

QString imagePath(const QString& fileName) {
    return programFiles().imagePath(fileName);
}

QString sourceDir() {
    return QStringLiteral(KV_SOURCE_DIR);
}

void fail(const QString& message, std::source_location at) {
    QTest::qFail(qPrintable(message), at.file_name(), int(at.line()));
}

QStringList numbered(const QString& prefix, int n) {
    QStringList out;
    out.reserve(n);
    for (int i = 1; i <= n; ++i)
        out.append(prefix + QString::number(i));
    return out;
}

} // namespace kvtest
