#pragma once

#include "common/gui_savefile.h"
#include "records/period.h"
#include "records/records.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;
class QTextDocument;

namespace kv {

class BesideWork;
class Clock;
class Dialogs;
class HistoryStore;
class PeriodChoice;
struct PeriodBook;

// Writes the records book of a period into a document: the rating first, the seasons, then
// headings, tables and notes, every name and club as plain text.
void writeRecordsBook(QTextDocument& document, const PeriodBook& period, const TournamentDate& date,
                      const LevelOf& levelOf);

// "Рекорды": the records book, read afresh from the store at each showing and after each change
// of the history; it prints, saves a PDF and saves every match as CSV. It never writes the
// database. The history is read and the book computed beside the window, on a connection of
// their own; the window stays usable meanwhile and shows the book when it is ready.
class RecordsWindow : public QWidget {
    Q_OBJECT
public:
    // levels gives, at each reading, the star levels of the clubs as the pools hold them then.
    RecordsWindow(HistoryStore& store, Dialogs& dialogs, const Clock& clock,
                  std::function<LevelOf()> levels, QWidget* parent = nullptr);
    ~RecordsWindow() override;

    static const QString kTitle;
    QTextDocument* document() const;
    // The book is being computed; what the window shows is the one before.
    bool isComputing() const;

    // Where the saves ask for a file name (the file dialog unless replaced).
    void setChooseSaveFile(ChooseSaveFile choose) { choosePdf_ = chooseCsv_ = std::move(choose); }

    // Which tournaments the book counts.
    PeriodChoice* periodChoice() const;

    void printClick();
    void savePdfClick();
    void saveCsvClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Reads the history and writes the book; what cannot be read is said in the book itself.
    void refresh();
    // Puts a whole new document in the view at once: one laid out cell by cell as it is
    // written takes seconds on a long history.
    void showDocument(QTextDocument* book);
    QString fileBaseName(const QString& what) const;

    HistoryStore& store_;
    Dialogs& dialogs_;
    const Clock& clock_;
    std::function<LevelOf()> levels_;
    LevelOf levelOf_;
    ChooseSaveFile choosePdf_;
    ChooseSaveFile chooseCsv_;
    History history_; // the tournaments of the period shown
    // The book shown: its title and what its files add to their names.
    QString title_ = kTitle;
    QString fileNamePart_;
    PeriodChoice* period_ = nullptr;
    QStringList players_; // the current players the book was written for
    bool stale_ = true;
    BesideWork* reading_ = nullptr;
    QTextBrowser* view_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* savePdf_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace kv
