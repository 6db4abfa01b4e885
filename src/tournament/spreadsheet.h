#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kv {

// The spreadsheet the tournament sheet is filled in and shown with. The operations follow the
// steps of the export one to one, so that a recorder can stand in for the real one in tests.
// Every operation throws kv::Error with the user's text when it fails.
class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;
    // Opens the template (a full path); its first sheet that is active becomes the target.
    virtual void openTemplate(const QString& path) = 0;
    // Sets a cell, named like "a2" or "B15", to a text.
    virtual void setCell(const QString& cell, const QString& text) = 0;
    // Makes a cell the active one; pictures are inserted there.
    virtual void selectCell(const QString& cell) = 0;
    // Places a picture file with its top-left corner at the active cell.
    virtual void insertPicture(const QString& path) = 0;
    // Whether the desktop showed the workbook, and the file it was saved to (empty when none).
    using Answer = std::function<void(bool shown, const QString& file)>;
    // Shows the filled workbook to the user. Asking the desktop takes time, so whether it
    // showed it may only be known later, from the event loop: `answered` learns it then.
    virtual void makeVisible(Answer answered) = 0;
};

// Creates one spreadsheet per export. The one made last is kept until the next create() or the
// end of the program, like an application object the user keeps working in.
class SpreadsheetFactory {
public:
    virtual ~SpreadsheetFactory() = default;
    Spreadsheet& create() {
        std::unique_ptr<Spreadsheet> fresh = make();
        current_ = std::move(fresh);
        return *current_;
    }
    Spreadsheet* current() const { return current_.get(); }

protected:
    virtual std::unique_ptr<Spreadsheet> make() = 0;

private:
    std::unique_ptr<Spreadsheet> current_;
};

} // namespace kv
