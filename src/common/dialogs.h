#pragma once

#include <QString>

namespace kv {

// The message boxes of the program. Windows use the real one; tests a scripted one.
class Dialogs {
public:
    enum class Answer { Ok, Cancel, Yes, No, Closed };
    // What the three buttons of a Yes/No/Cancel box say instead of the standard words.
    struct Captions {
        QString yes;
        QString no;
        QString cancel;
    };

    virtual ~Dialogs() = default;
    // Information box with OK.
    virtual void information(const QString& text) = 0;
    // The same box with one more button, of its own words, for something the players may do
    // next; true when they pressed it. Enter and Escape give OK: nothing happens unasked.
    virtual bool informationWithOffer(const QString& text, const QString& offer) = 0;
    // Confirmation with Yes, No and Cancel; closing the box gives Closed.
    virtual Answer yesNoCancel(const QString& text) = 0;
    // The same box with buttons of its own words; Escape is still Cancel.
    virtual Answer yesNoCancel(const QString& text, const Captions& captions) = 0;
    // Question (question icon) with Yes and No; Enter gives defaultAnswer (Yes or No).
    virtual Answer yesNo(const QString& text, Answer defaultAnswer = Answer::No) = 0;
    // Confirmation with OK and Cancel.
    virtual Answer okCancel(const QString& text) = 0;
    // An error's text, shown by the handler guard.
    virtual void error(const QString& text) = 0;
};

} // namespace kv
