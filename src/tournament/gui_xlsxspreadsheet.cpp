#include "tournament/gui_xlsxspreadsheet.h"

#include "common/errors.h"
#include "common/gui_theme.h"
#include "common/opener.h"
#include "tournament/xlsxworkbook.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kv {

namespace {

CellPosition requireCell(const QString& name) {
    const auto position = parseCellName(name);
    if (!position)
        throw Error(QStringLiteral("\"%1\" is not a valid cell name.").arg(name));
    return *position;
}

class XlsxSpreadsheet : public Spreadsheet {
public:
    XlsxSpreadsheet(Opener& opener, QString outputDir)
        : opener_(opener), outputDir_(std::move(outputDir)) {}

    void openTemplate(const QString& path) override {
        workbook_ = std::make_unique<XlsxWorkbook>(path);
    }

    void setCell(const QString& cell, const QString& text) override {
        workbook().setCell(requireCell(cell), text);
    }

    void selectCell(const QString& cell) override { selected_ = requireCell(cell); }

    void insertPicture(const QString& path) override {
        XlsxWorkbook& book = workbook();
        QSize size;
        const QByteArray png = pictureAsPng(path, &size);
        book.addPicture(selected_, png, size.width(), size.height());
    }

    void makeVisible(Answer answered) override {
        XlsxWorkbook& book = workbook();
        preparePrivateFolder(outputDir_);
        // A new file per press: the workbook of an earlier press may still be open.
        QTemporaryFile file(
            QDir(outputDir_)
                .filePath(QStringLiteral("Турнир-%1-XXXXXX.xlsx")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")))));
        file.setAutoRemove(false);
        if (!file.open())
            throw cannotCreate(file.fileTemplate(), file.errorString());
        const QString path = QFileInfo(file.fileName()).absoluteFilePath();
        file.close();
        try {
            book.save(path);
        } catch (...) {
            QFile::remove(path);
            throw;
        }
        // The file stays either way, so that it can be opened or printed again later.
        opener_.openFile(path, nullptr, [answered, path](bool opened) {
            if (answered)
                answered(opened, path);
        });
    }

private:
    XlsxWorkbook& workbook() {
        if (!workbook_)
            throw Error(
                QStringLiteral("Лист турнира не открыт: заполнять нечего. Нажмите кнопку снова."));
        return *workbook_;
    }

    Opener& opener_;
    QString outputDir_;
    std::unique_ptr<XlsxWorkbook> workbook_;
    CellPosition selected_{0, 1}; // A1, as in a freshly opened sheet
};

} // namespace

XlsxSpreadsheetFactory::XlsxSpreadsheetFactory(Opener& opener, QString outputDir)
    : opener_(opener), outputDir_(std::move(outputDir)) {
    if (outputDir_.isEmpty())
        outputDir_ = sheetFolder();
}

QString sheetFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/sheets");
}

void preparePrivateFolder(const QString& path) {
    if (!QDir().mkpath(path))
        throw cannotCreate(path, QStringLiteral("Папку для него не создать."));
    // Filled sheets name the players: only their owner may read them, also when an older
    // version left the folder open to others.
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        throw cannotCreate(path, QStringLiteral("Папке не задать права доступа."));
}

std::unique_ptr<Spreadsheet> XlsxSpreadsheetFactory::make() {
    return std::make_unique<XlsxSpreadsheet>(opener_, outputDir_);
}

namespace {

// The PNG the program keeps beside one of its bitmaps (the same pixels, made with it), with its
// size from the PNG's header; empty when there is none or it is older than the bitmap.
QByteArray pngBeside(const QString& path, QSize* size) {
    if (!path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        return {};
    const QFileInfo bitmap(path);
    const QFileInfo png(path.left(path.size() - 4) + QStringLiteral(".png"));
    if (!png.isFile() || png.lastModified() < bitmap.lastModified())
        return {};
    QFile file(png.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    // The signature, then the header chunk's width and height, big-endian.
    if (bytes.size() < 24 || !bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.mid(12, 4) != "IHDR")
        return {};
    const auto number = [&](int at) {
        return int((uchar(bytes[at]) << 24) | (uchar(bytes[at + 1]) << 16) |
                   (uchar(bytes[at + 2]) << 8) | uchar(bytes[at + 3]));
    };
    if (size)
        *size = QSize(number(16), number(20));
    return bytes;
}

} // namespace

QByteArray pictureAsPng(const QString& path, QSize* size) {
    // The program's own pictures are kept as PNG too: no conversion at each press.
    if (QByteArray png = pngBeside(path, size); !png.isEmpty())
        return png;
    const QImage image = readPicture(path);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // The fastest compression (quality 80 is zlib's level 1): the stronger levels spend more
    // time searching than they save on a small picture.
    if (!image.save(&buffer, "PNG", 80))
        throw Error(QStringLiteral("Картинку «%1» не перевести в PNG. Переустановите программу.")
                        .arg(path));
    if (size)
        *size = image.size();
    return png;
}

} // namespace kv
