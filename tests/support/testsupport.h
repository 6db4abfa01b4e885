#pragma once

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/services.h"
#include "fakes.h"
#include "tournament/evening.h"
#include "tournament/spreadsheet.h"

#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>
#include <source_location>

namespace kvtest {

// Who must reach a working folder: its owner alone, or also the user a permission test runs
// as (see Unprivileged).
enum class Reach { Owner, Everyone };

// One evening's players and teams, for the tests that need an evening and no particular one.
inline const QStringList kPlayers{QStringLiteral("Зурко"), QStringLiteral("Пенва"),
                                  QStringLiteral("Лодыш")};
inline const QStringList kTeams{QStringLiteral("Милан"), QStringLiteral("Аякс"),
                                QStringLiteral("Порту")};

// The settings file as the program writes it, with values that ask nothing at start.
struct Settings {
    QString ask = QStringLiteral("0"); // ask for the category at start
    QString category = QStringLiteral("clubs");
    QStringList players{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    QString gift = QStringLiteral("1");   // prizes are given
    QString logAll = QStringLiteral("1"); // every team goes to the log
    QStringList lines() const;
};

// A fresh temporary working folder for one test; the previous working folder comes back at
// the end. Data files are opened by bare names, so this is where they land. With
// Reach::Everyone and root, the folder lies where every user can enter and the program's own
// files (pictures, sheet template) are copied beside it: the build may sit in a folder that
// only its owner enters; files() names the program's files the program must then be given.
class WorkFolder {
public:
    explicit WorkFolder(Reach reach = Reach::Owner);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    QString path(const QString& name = QString()) const;
    const kv::ProgramFiles& files() const { return files_; }
    // Writes lines, each ended by CR LF, as plain UTF-8.
    void write(const QString& name, const QStringList& lines) const;
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    QByteArray bytes(const QString& name) const;
    QStringList lines(const QString& name) const;
    bool exists(const QString& name) const;
    // Copies the data a new installation starts with (the seven pools, natteams.txt, ...).
    void copyDefaultData() const;
    void writeSettings(const Settings& settings = {}) const;
    // A data folder a start needs nothing more in: the data of a new installation, prizes
    // naming the given pictures of this program, and the settings file (none: a first start).
    void writeStartData(const std::optional<Settings>& settings,
                        const QString& gift1 = QStringLiteral("splayer.bmp"),
                        const QString& gift2 = QStringLiteral("yellowcard.bmp")) const;
    void writeStartData(const Settings& settings = {},
                        const QString& gift1 = QStringLiteral("splayer.bmp"),
                        const QString& gift2 = QStringLiteral("yellowcard.bmp")) const {
        writeStartData(std::optional(settings), gift1, gift2);
    }

private:
    QTemporaryDir dir_;
    QTemporaryDir config_;
    std::unique_ptr<QTemporaryDir> programCopy_;
    QString previous_;
    QByteArray previousConfig_;
    kv::ProgramFiles files_;
};

// Runs the rest of a scope as a user whom file permissions stop. An ordinary user already is
// one and nothing changes; root becomes the user "nobody" (real and effective ids, so that
// access() answers for him too, in his own group so that root's group bits do not let him
// through) and is root again at the end of the scope. Everything he must read has to be
// readable by others: see Reach::Everyone.
class Unprivileged {
public:
    Unprivileged();
    ~Unprivileged();
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;
    // Why a permission fault cannot be made here, in the current working folder; empty when
    // it can.
    static QString unavailable();

private:
    bool switched_ = false;
};

// Scripted message boxes for tests: a question that nobody queued an answer for fails the
// running test, so that a new box in a handler cannot pass unnoticed.
class StrictDialogs : public kv::ScriptedDialogs {
protected:
    Answer unqueued(Kind kind, const QString& text, Answer fallback) override;
};

// The program's seams replaced by fakes and wired into one Services: scripted message boxes, a
// seeded generator, a clock that stands still, a recording opener and spreadsheet, an end
// of the program that only raises a flag, and the build's program files.
struct Fakes {
    explicit Fakes(quint64 seed = 1,
                   const QDateTime& at = QDateTime(QDate(2024, 3, 9), QTime(20, 15)));
    Fakes(const Fakes&) = delete;
    Fakes& operator=(const Fakes&) = delete;

    StrictDialogs dialogs;
    kv::Random random;
    kv::FixedClock clock;
    kv::RecordingOpener opener;
    kv::RecordingSpreadsheetFactory sheets;
    kv::Services services;
    kv::RunState state;
    kv::EveningOwner evening;
    bool ended = false;
};

// A window made from the services alone, over a working folder with the default data.
template <typename Form> struct WindowOnDefaults : Fakes {
    explicit WindowOnDefaults(quint64 seed) : Fakes(seed) {
        folder.copyDefaultData();
        form = std::make_unique<Form>(services);
    }
    WorkFolder folder;
    std::unique_ptr<Form> form;
};

// Test data is written and copied without the flush to the disk that the program's own writers
// make: no test outlives a power cut, and on a busy disk every flush costs milliseconds.
bool putFile(const QString& path, const QByteArray& bytes);
bool copyFile(const QString& from, const QString& to);

// The build's program folder (images/, table.xlsx); tests give the program its files.
QString buildProgramDir();
kv::ProgramFiles programFiles();
// A picture of the build's program folder, as a gift file names it.
QString imagePath(const QString& fileName);
QString sourceDir();

// Finds a child by its object name. A missing one fails the running test and gives a stand-in,
// so that the test ends through the framework instead of crashing on a null pointer.
template <typename T> T* child(QObject* parent, const QString& name) {
    if (T* found = parent->findChild<T*>(name))
        return found;
    QTest::qFail(qPrintable(QStringLiteral("no child %1 of the expected kind in %2")
                                .arg(name, parent->objectName())),
                 __FILE__, __LINE__);
    T* standIn = new T;
    QObject::connect(parent, &QObject::destroyed, [standIn] { delete standIn; });
    return standIn;
}

// n lines "<prefix>1" .. "<prefix>n"
QStringList numbered(const QString& prefix, int n);

// Fails the running test and lets the caller go on with a harmless value: qFatal would end
// the whole test program at the first miss, and QTest aborts on exceptions.
void fail(const QString& message, std::source_location at = std::source_location::current());

} // namespace kvtest
