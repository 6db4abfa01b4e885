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
    // Filled workbooks go to outputDir; empty means a folder of the program in the system's
    // temporary location.
    explicit XlsxSpreadsheetFactory(Opener& opener, QString outputDir = QString());

protected:
    std::unique_ptr<Spreadsheet> make() override;

private:
    Opener& opener_;
    QString outputDir_;
};

// Reads a picture file (a bitmap, or anything Qt reads) and returns it as PNG bytes, with its
// pixel size. Throws kv::Error when the file is missing or unreadable.
QByteArray pictureAsPng(const QString& path, QSize* size);

} // namespace kv
