#pragma once

#include <QList>
#include <QQueue>
#include <QString>

namespace kv {

// The message boxes of the program. Windows use the real one; tests use ScriptedDialogs.
class Dialogs {
public:
    enum class Answer { Ok, Cancel, Yes, No, Closed };

    virtual ~Dialogs() = default;
    // Information box with OK.
    virtual void information(const QString& text) = 0;
    // Confirmation with Yes, No and Cancel; closing the box gives Closed.
    virtual Answer yesNoCancel(const QString& text) = 0;
    // Question (question icon) with Yes and No.
    virtual Answer yesNo(const QString& text) = 0;
    // Confirmation with OK and Cancel.
    virtual Answer okCancel(const QString& text) = 0;
    // An error's text, shown by the handler guard.
    virtual void error(const QString& text) = 0;
};

// Records every box and answers from a queue. A question with nothing queued goes to
// unqueued(), which answers Closed (or Cancel / No); tests override it to fail instead.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Information, YesNoCancel, YesNo, OkCancel, Error };
    struct Shown {
        Kind kind;
        QString text;
    };

    void information(const QString& text) override;
    Answer yesNoCancel(const QString& text) override;
    Answer yesNo(const QString& text) override;
    Answer okCancel(const QString& text) override;
    void error(const QString& text) override;

    void queue(Answer answer) { answers_.enqueue(answer); }
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
};

} // namespace kv
