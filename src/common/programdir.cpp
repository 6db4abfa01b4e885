#include "common/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kv {

QString programTitle() {
    return QStringLiteral("Zorvo Kickvale 6");
}

void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("zorvo-kickvale-6"));
}

ProgramFiles::ProgramFiles(const QString& dir) : dir_(dir) {
    if (!dir_.isEmpty() && !dir_.endsWith(QLatin1Char('/')))
        dir_ += QLatin1Char('/');
}

ProgramFiles ProgramFiles::installed() {
    return besideExecutable(QCoreApplication::applicationDirPath());
}

// Installed, the executable is in <prefix>/bin and its files in <prefix>/share/zorvo-kickvale-6;
// in the build tree they lie beside the executable.
ProgramFiles ProgramFiles::besideExecutable(const QString& exeDir) {
    const QString installed = exeDir + QStringLiteral("/../share/zorvo-kickvale-6");
    if (QFileInfo(installed + QStringLiteral("/images")).isDir())
        return ProgramFiles(QDir::cleanPath(installed));
    return ProgramFiles(exeDir);
}

QString ProgramFiles::imagePath(const QString& fileName) const {
    return dir_ + QStringLiteral("images/") + fileName;
}

QString ProgramFiles::defaultsDir() const {
    return dir_ + QStringLiteral("defaults/");
}

QString ProgramFiles::sheetTemplate() const {
    return dir_ + QStringLiteral("table.xlsx");
}

} // namespace kv
