#include "common/dialogs.h"

namespace kv {

void ScriptedDialogs::information(const QString& text) {
    shown_.append({Kind::Information, text});
}

Dialogs::Answer ScriptedDialogs::yesNoCancel(const QString& text) {
    shown_.append({Kind::YesNoCancel, text});
    return next(Kind::YesNoCancel, text, Answer::Closed);
}

Dialogs::Answer ScriptedDialogs::yesNo(const QString& text) {
    shown_.append({Kind::YesNo, text});
    return next(Kind::YesNo, text, Answer::No);
}

Dialogs::Answer ScriptedDialogs::okCancel(const QString& text) {
    shown_.append({Kind::OkCancel, text});
    return next(Kind::OkCancel, text, Answer::Cancel);
}

void ScriptedDialogs::error(const QString& text) {
    shown_.append({Kind::Error, text});
}

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const Shown& s : shown_)
        out.append(s.text);
    return out;
}

QStringList ScriptedDialogs::texts(Kind kind) const {
    QStringList out;
    for (const Shown& s : shown_)
        if (s.kind == kind)
            out.append(s.text);
    return out;
}

Dialogs::Answer ScriptedDialogs::next(Kind kind, const QString& text, Answer fallback) {
    return answers_.isEmpty() ? unqueued(kind, text, fallback) : answers_.dequeue();
}

Dialogs::Answer ScriptedDialogs::unqueued(Kind, const QString&, Answer fallback) {
    return fallback;
}

} // namespace kv
