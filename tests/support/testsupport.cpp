#include "testsupport.h"

#include "common/programdir.h"
#include "common/textfile.h"

#include <QDirIterator>
#include <QFile>

namespace kvtest {

WorkFolder::WorkFolder() : previous_(QDir::currentPath()) {
    if (!dir_.isValid())
        qFatal("cannot make a temporary folder");
    QDir::setCurrent(dir_.path());
    kv::setProgramDir(buildProgramDir());
}

WorkFolder::~WorkFolder() {
    QDir::setCurrent(previous_);
}

QString WorkFolder::path(const QString& name) const {
    return name.isEmpty() ? dir_.path() : dir_.filePath(name);
}

void WorkFolder::write(const QString& name, const QStringList& lines) const {
    kv::writeLines(path(name), lines);
}

void WorkFolder::writeBytes(const QString& name, const QByteArray& bytes) const {
    kv::writeBytes(path(name), bytes);
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
            QFile::copy(it.filePath(), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}

Fakes::Fakes(quint64 seed, const QDateTime& at) : random(seed), clock(at) {
    services.dialogs = &dialogs;
    services.random = &random;
    services.clock = &clock;
    services.opener = &opener;
    services.spreadsheets = &sheets;
    services.endProgram = [this] { ended = true; };
}

QString buildProgramDir() {
    return QStringLiteral(KV_PROGRAM_DIR);
}

QString sourceDir() {
    return QStringLiteral(KV_SOURCE_DIR);
}

QStringList numbered(const QString& prefix, int n) {
    QStringList out;
    out.reserve(n);
    for (int i = 1; i <= n; ++i)
        out.append(prefix + QString::number(i));
    return out;
}

} // namespace kvtest
