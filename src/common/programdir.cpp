#include "common/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kv {

namespace {
QString& overrideDir() {
    static QString dir;
    return dir;
}

// Installed, the executable is in <prefix>/bin and its files in <prefix>/share/zorvo-kickvale-6;
// in the build tree they lie beside the executable.
QString findProgramDir() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed = exeDir + QStringLiteral("/../share/zorvo-kickvale-6");
    if (QFileInfo(installed + QStringLiteral("/images")).isDir())
        return QDir::cleanPath(installed);
    return exeDir;
}
} // namespace

QString programTitle() {
    return QStringLiteral("Zorvo Kickvale 6");
}

void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("zorvo-kickvale-6"));
}

QString programDir() {
    QString dir = overrideDir();
    if (dir.isEmpty()) {
        static const QString found = findProgramDir();
        dir = found;
    }
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void setProgramDir(const QString& dir) {
    overrideDir() = dir;
}

QString defaultsDir() {
    return programDir() + QStringLiteral("defaults/");
}

QString imagePath(const QString& fileName) {
    return programDir() + QStringLiteral("images/") + fileName;
}

} // namespace kv
