#pragma once

#include "common/gui_savefile.h"
#include "tournament/tournamentsheet.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace kv {

class Clock;
class Dialogs;
class Opener;

// The program's own tournament sheet window "Лист турнира": the page as it prints, with
// printing, saving as PDF and, where the desktop has a spreadsheet program, opening the filled
// workbook there.
class SheetWindow : public QWidget {
    Q_OBJECT
public:
    using ChooseSaveFile = kv::ChooseSaveFile;

    SheetWindow(Dialogs& dialogs, const Clock& clock, Opener* opener, QWidget* parent = nullptr);

    static const QString kTitle;
    // Narrower than this, the page on the screen is too small to read.
    static constexpr int kReadableWidth = 600;

    // Takes the sheet to show; `workbook` is the same sheet filled into the workbook that a
    // spreadsheet program opened (empty: none did).
    void setSheet(const TournamentSheet& sheet, const QString& workbook = QString());
    const TournamentSheet& sheet() const { return sheet_; }
    const QString& workbook() const { return workbook_; }
    // Shows the window, raised and active.
    void showSheet();

    void setChooseSaveFile(ChooseSaveFile choose) { choose_ = std::move(choose); }
    // Турнир-<yyyy-MM-dd>, the name the sheet is saved and printed to a file under.
    QString fileBaseName() const;

public slots:
    void printClick();
    void savePdfClick();
    void openInSpreadsheetClick();

private:
    void fitToScreen();

    Dialogs& dialogs_;
    const Clock& clock_;
    Opener* opener_;
    ChooseSaveFile choose_;
    TournamentSheet sheet_;
    QString workbook_;
    QWidget* page_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* savePdf_ = nullptr;
    QPushButton* openWorkbook_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace kv
