#pragma once

// Test doubles of the program's seams: scripted message boxes, a clock that stands still, an
// opener and a spreadsheet that record what they were asked. Tests, benchmarks and the
// screenshot tool use them; the program never links them.

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/opener.h"
#include "tournament/spreadsheet.h"

#include <QDateTime>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

namespace kv {

// Records every box and answers from a queue. A question with nothing queued goes to
// unqueued(), which answers Closed (or Cancel / No); tests override it to fail instead.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Information, YesNoCancel, YesNo, OkCancel, Error };
    struct Shown {
        Kind kind;
        QString text;
        QStringList buttons = {};            // only where the box names its buttons itself
        Answer enterAnswer = Answer::Closed; // what Enter answers, where the box is asked for one
    };

    void information(const QString& text) override;
    // Recorded as an information box naming OK and the offer; taken when takeOffers() says so,
    // never from the queue of answers, so that a box shown beside a test's questions (after a
    // reading beside the window) takes no answer meant for them.
    bool informationWithOffer(const QString& text, const QString& offer) override;
    Answer yesNoCancel(const QString& text) override;
    Answer yesNoCancel(const QString& text, const Captions& captions) override;
    Answer yesNo(const QString& text, Answer defaultAnswer = Answer::No) override;
    Answer okCancel(const QString& text) override;
    void error(const QString& text) override;

    void queue(Answer answer) { answers_.enqueue(answer); }
    void takeOffers(bool take) { takeOffers_ = take; }
    const QList<Shown>& shown() const { return shown_; }
    QStringList texts() const;
    QStringList texts(Kind kind) const;
    QStringList errors() const { return texts(Kind::Error); }
    void clear() { shown_.clear(); }

protected:
    virtual Answer unqueued(Kind kind, const QString& text, Answer fallback);

private:
    Answer next(Kind kind, const QString& text, Answer fallback);
    QList<Shown> shown_;
    QQueue<Answer> answers_;
    bool takeOffers_ = false;
};

// A clock that stands still, with fixed formats written the same under every locale.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at, QString dateFormat = QStringLiteral("dd.MM.yyyy"),
                        QString timeFormat = QStringLiteral("H:mm:ss"))
        : at_(std::move(at)), dateFormat_(std::move(dateFormat)),
          timeFormat_(std::move(timeFormat)) {}
    QDateTime now() const override { return at_; }
    QString shortDateFormat() const override { return dateFormat_; }
    QString longTimeFormat() const override { return timeFormat_; }
    QLocale locale() const override { return QLocale::c(); }
    void set(const QDateTime& at) { at_ = at; }
    void advance(int seconds) { at_ = at_.addSecs(seconds); }

private:
    QDateTime at_;
    QString dateFormat_;
    QString timeFormat_;
};

// Opens nothing; records what it was asked to open.
class RecordingOpener : public Opener {
public:
    bool open(const QUrl& url) override {
        opened.append(url);
        return result;
    }
    // Answers at once.
    void openFile(const QString& path, QObject*, std::function<void(bool)> done) override {
        opened.append(QUrl::fromLocalFile(path));
        if (done)
            done(result);
    }
    QList<QUrl> opened;
    bool result = true;
};

// A stand-in for tests: records every call as one line of text, in order, for example
// "create", "open /x/table.xlsx", "set a2=Зурко", "select b15", "insert /x/images/team.bmp",
// "visible". A call whose line starts with failAt throws instead (after being recorded).
// With checkFiles set, open and insert also fail like the real one on a missing file.
// "visible" answers at once with `shows`: false stands for a desktop without a spreadsheet
// program.
class RecordingSpreadsheetFactory : public SpreadsheetFactory {
public:
    QStringList calls;
    QString failAt;
    bool checkFiles = false;
    bool shows = true;

    // Throws when the call matches failAt; used by the recorded spreadsheets.
    void record(const QString& call);

protected:
    std::unique_ptr<Spreadsheet> make() override;
};

} // namespace kv
