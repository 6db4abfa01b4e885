#include "common/programdir.h"

#include <QCoreApplication>
#include <QDir>

namespace kv {

namespace {
QString& overrideDir() {
    static QString dir;
    return dir;
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
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

void setProgramDir(const QString& dir) {
    overrideDir() = dir;
}

QString imagePath(const QString& fileName) {
    return programDir() + QStringLiteral("images/") + fileName;
}

} // namespace kv
