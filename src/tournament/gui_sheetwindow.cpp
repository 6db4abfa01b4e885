#include "tournament/gui_sheetwindow.h"

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/guard.h"
#include "common/gui_windowplace.h"
#include "common/opener.h"
#include "tournament/gui_sheetpage.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

// The page on a grey desk, as large as the window allows.
class PageView : public QWidget {
public:
    PageView(const TournamentSheet& sheet, QWidget* parent) : QWidget(parent), sheet_(sheet) {
        setObjectName(QStringLiteral("SheetPage"));
        setMinimumSize(297, 210);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x50, 0x50, 0x50));
        const QRectF area = QRectF(rect()).adjusted(8, 8, -8, -8);
        const QSizeF page = QSizeF(297, 210).scaled(area.size(), Qt::KeepAspectRatio);
        QRectF target(QPointF(), page);
        target.moveCenter(area.center());
        paintTournamentSheet(painter, target, sheet_);
    }

private:
    const TournamentSheet& sheet_;
};

} // namespace

const QString SheetWindow::kTitle = QStringLiteral("Лист турнира");

SheetWindow::SheetWindow(Dialogs& dialogs, const Clock& clock, Opener* opener, QWidget* parent)
    : QWidget(parent, Qt::Window), dialogs_(dialogs), clock_(clock), opener_(opener),
      choose_(fileDialogChooser(QStringLiteral("Сохранить PDF"), pdfKind())) {
    setObjectName(QStringLiteral("SheetWindow"));
    setWindowTitle(kTitle);

    print_ = new QPushButton(QStringLiteral("Печать..."), this);
    print_->setObjectName(QStringLiteral("PrintButton"));
    print_->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    print_->setToolTip(QStringLiteral("Напечатать лист на одной странице A4 (Ctrl+P)"));
    savePdf_ = new QPushButton(QStringLiteral("Сохранить PDF..."), this);
    savePdf_->setObjectName(QStringLiteral("SavePdfButton"));
    savePdf_->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    savePdf_->setToolTip(QStringLiteral("Сохранить лист в PDF-файл (Ctrl+S)"));
    openWorkbook_ = new QPushButton(QStringLiteral("Открыть в табличной программе"), this);
    openWorkbook_->setObjectName(QStringLiteral("OpenSpreadsheetButton"));
    openWorkbook_->setVisible(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("SheetStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    page_ = new PageView(sheet_, this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print_);
    buttons->addWidget(savePdf_);
    buttons->addWidget(openWorkbook_);
    buttons->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(page_, 1);

    kv::connectGuarded(dialogs_, print_, &QPushButton::clicked, this, &SheetWindow::printClick);
    kv::connectGuarded(dialogs_, savePdf_, &QPushButton::clicked, this, &SheetWindow::savePdfClick);
    kv::connectGuarded(dialogs_, openWorkbook_, &QPushButton::clicked, this,
                       &SheetWindow::openInSpreadsheetClick);
    fitToScreen();
}

void SheetWindow::fitToScreen() {
    // As large as a page reads well, but never beyond the screen.
    const QRect screen =
        this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    const int extra = 60; // the buttons and the frame
    int width = std::min(1200, screen.width() * 9 / 10);
    int height = width * 210 / 297 + extra;
    if (height > screen.height() * 9 / 10) {
        height = screen.height() * 9 / 10;
        width = (height - extra) * 297 / 210;
    }
    resize(width, height);
    move(screen.center() - rect().center());
}

void SheetWindow::setSheet(const TournamentSheet& sheet, const QString& workbook) {
    sheet_ = sheet;
    workbook_ = workbook;
    openWorkbook_->setVisible(!workbook_.isEmpty() && opener_);
    status_->clear();
    page_->update();
}

void SheetWindow::showSheet() {
    showInFront(this);
}

QString SheetWindow::fileBaseName() const {
    return QStringLiteral("Турнир-%1")
        .arg(clock_.now().date().toString(QStringLiteral("yyyy-MM-dd")));
}

void SheetWindow::printClick() {
    guarded(dialogs_, [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(sheetPageLayout());
        printer.setFullPage(true); // the drawing keeps its own margins
        // Printing to a file proposes this name: a file name of the date, without the title's
        // colon.
        printer.setDocName(fileBaseName());
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Печать листа турнира"));
        dialog.setMinMax(1, 1);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        if (dialog.exec() != QDialog::Accepted)
            return;
        QPainter painter;
        if (!painter.begin(&printer))
            throw Error(QStringLiteral("Не удалось начать печать. Проверьте принтер и "
                                       "попробуйте снова."));
        paintTournamentSheet(painter, printer.paperRect(QPrinter::DevicePixel), sheet_);
        if (!painter.end() || printer.printerState() == QPrinter::Error)
            throw Error(QStringLiteral("Лист не напечатан: принтер сообщил об ошибке."));
        status_->setText(QStringLiteral("Лист отправлен на печать."));
    });
}

void SheetWindow::savePdfClick() {
    guarded(dialogs_, [&] {
        const QString path = askSavePath(this, dialogs_, pdfKind(), fileBaseName(), choose_);
        if (path.isEmpty())
            return;
        status_->clear();
        saveSheetPdf(sheet_, path);
        status_->setText(QStringLiteral("Сохранено: %1").arg(QDir::toNativeSeparators(path)));
    });
}

void SheetWindow::openInSpreadsheetClick() {
    if (!opener_ || workbook_.isEmpty())
        return;
    opener_->openFile(workbook_, this, [this](bool opened) {
        if (opened)
            return;
        openWorkbook_->setVisible(false);
        dialogs_.information(QStringLiteral(
            "Табличная программа не открыла лист. Напечатайте его или сохраните в PDF "
            "из этого окна."));
    });
}

} // namespace kv
