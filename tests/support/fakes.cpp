#include "fakes.h"

#include "common/errors.h"

#include <QFileInfo>

namespace kv {

void ScriptedDialogs::information(const QString& text) {
    shown_.append({Kind::Information, text});
}

bool ScriptedDialogs::informationWithOffer(const QString& text, const QString& offer) {
    shown_.append({Kind::Information, text, {QStringLiteral("OK"), offer}});
    return takeOffers_;
}

Dialogs::Answer ScriptedDialogs::yesNoCancel(const QString& text) {
    shown_.append({Kind::YesNoCancel, text});
    return next(Kind::YesNoCancel, text, Answer::Closed);
}

Dialogs::Answer ScriptedDialogs::yesNoCancel(const QString& text, const Captions& captions) {
    shown_.append({Kind::YesNoCancel, text, {captions.yes, captions.no, captions.cancel}});
    return next(Kind::YesNoCancel, text, Answer::Closed);
}

Dialogs::Answer ScriptedDialogs::yesNo(const QString& text, Answer defaultAnswer) {
    shown_.append({Kind::YesNo, text, {}, defaultAnswer});
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

namespace {

class RecordingSpreadsheet : public Spreadsheet {
public:
    explicit RecordingSpreadsheet(RecordingSpreadsheetFactory& owner) : owner_(owner) {}

    void openTemplate(const QString& path) override {
        owner_.record(QStringLiteral("open ") + path);
        requireFile(path);
    }
    void setCell(const QString& cell, const QString& text) override {
        owner_.record(QStringLiteral("set %1=%2").arg(cell, text));
    }
    void selectCell(const QString& cell) override {
        owner_.record(QStringLiteral("select ") + cell);
    }
    void insertPicture(const QString& path) override {
        owner_.record(QStringLiteral("insert ") + path);
        requireFile(path);
    }
    void makeVisible(Answer answered) override {
        owner_.record(QStringLiteral("visible"));
        if (answered)
            answered(owner_.shows, QString());
    }

private:
    void requireFile(const QString& path) const {
        if (owner_.checkFiles && !QFileInfo(path).isFile())
            throw cannotOpen(path, QStringLiteral("No such file or directory"));
    }

    RecordingSpreadsheetFactory& owner_;
};

} // namespace

void RecordingSpreadsheetFactory::record(const QString& call) {
    calls.append(call);
    if (!failAt.isEmpty() && call.startsWith(failAt))
        throw Error(QStringLiteral("Spreadsheet step failed: ") + call);
}

std::unique_ptr<Spreadsheet> RecordingSpreadsheetFactory::make() {
    record(QStringLiteral("create"));
    return std::make_unique<RecordingSpreadsheet>(*this);
}

} // namespace kv
