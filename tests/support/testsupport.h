#pragma once

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/random.h"
#include "common/services.h"
#include "tournament/spreadsheet.h"

#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

namespace kvtest {

// A fresh temporary working folder for one test; the previous working folder comes back at
// the end. Data files are opened by bare names, so this is where they land.
class WorkFolder {
public:
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    QString path(const QString& name = QString()) const;
    // Writes lines, each ended by CR LF, as plain UTF-8.
    void write(const QString& name, const QStringList& lines) const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    QByteArray bytes(const QString& name) const;
    QStringList lines(const QString& name) const;
    bool exists(const QString& name) const;
    // Copies the data a new installation starts with (the seven pools, natteams.txt, ...).
    void copyDefaultData() const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

// The program's seams replaced by fakes and wired into one Services: scripted message boxes, a
// seeded generator, a clock that stands still, a recording opener and spreadsheet, and an end
// of the program that only raises a flag.
struct Fakes {
    explicit Fakes(quint64 seed = 1,
                   const QDateTime& at = QDateTime(QDate(2024, 3, 9), QTime(20, 15)));
    Fakes(const Fakes&) = delete;
    Fakes& operator=(const Fakes&) = delete;

    kv::ScriptedDialogs dialogs;
    kv::Random random;
    kv::FixedClock clock;
    kv::RecordingOpener opener;
    kv::RecordingSpreadsheetFactory sheets;
    kv::Services services;
    kv::RunState state;
    bool ended = false;
};

// The build's program folder (images/, table.xlsx); tests point the program at it.
QString buildProgramDir();
QString sourceDir();

// Finds a child by its object name and fails the whole test run loudly when it is missing.
template <typename T> T* child(QObject* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    if (!found)
        qFatal("no child %s of the expected kind in %s", qPrintable(name),
               qPrintable(parent->objectName()));
    return found;
}

// n lines "<prefix>1" .. "<prefix>n"
QStringList numbered(const QString& prefix, int n);

} // namespace kvtest
