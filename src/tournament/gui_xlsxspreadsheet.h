#pragma once

#include "tournament/spreadsheet.h"

#include <QByteArray>
#include <QSize>
#include <QString>

namespace kv {

class Opener;

// The real spreadsheet: fills a copy of the xlsx template in memory and shows it by saving it
// to a new file and opening that with the desktop's default application.
class XlsxSpreadsheetFactory : public SpreadsheetFactory {
public:
    // Filled workbooks go to outputDir; empty means sheetFolder().
    explicit XlsxSpreadsheetFactory(Opener& opener, QString outputDir = QString());

protected:
    std::unique_ptr<Spreadsheet> make() override;

private:
    Opener& opener_;
    QString outputDir_;
};

// The user's own folder for filled sheets, in the user's cache. Never a shared folder: another
// account may own that.
QString sheetFolder();
// Makes the folder if needed and leaves it readable by its owner alone (mode 0700).
void preparePrivateFolder(const QString& path);

// Reads a picture file (a bitmap, or anything Qt reads) and returns it as PNG bytes, with its
// pixel size; a bitmap of the program's own comes from the PNG made with it. Throws kv::Error when
// the file is missing or unreadable.
QByteArray pictureAsPng(const QString& path, QSize* size);

} // namespace kv
