#include "tournament/spreadsheet.h"

#include "common/errors.h"

#include <QFileInfo>

namespace kv {

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
