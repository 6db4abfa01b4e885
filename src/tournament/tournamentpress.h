#pragma once

#include "common/datafiles.h"
#include "tournament/gifts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kv {

class Clock;
struct Services;
class SpreadsheetFactory;
struct TournamentSheet;

// What the main window holds of a tournament when the full table is asked for.
struct TournamentInput {
    QStringList players; // names of players 1..3
    QStringList teams;   // teams of players 1..3
    QStringList matches; // first leg: match 1 left, right, match 2 left, right, match 3 ...
};

// What the previous tournament left behind: the first lines of gift1.txt, gift2.txt, bomb.txt.
struct PreviousPrizes {
    QString firstGift;
    QString secondGift;
    QString bestScorer;
    friend bool operator==(const PreviousPrizes&, const PreviousPrizes&) = default;
};

// last.txt: the three teams and the date, exactly four lines.
void writeLastTournament(const QStringList& teams, const QString& date);
// Throws when one of the three files cannot be read.
PreviousPrizes readPreviousPrizes();
// The template beside the program.
QString tournamentTemplatePath();
// Whether the desktop showed the filled workbook, and its file (empty when there is none).
using WorkbookShown = std::function<void(bool shown, const QString& file)>;
// Fills a new spreadsheet from the template and shows it, step by step; a failing step throws
// and nothing after it happens. Whether the desktop showed it may come later, to `answered`.
void fillTournamentSheet(SpreadsheetFactory& spreadsheets, const TournamentInput& input,
                         const PreviousPrizes& prizes, const QString& templatePath,
                         const WorkbookShown& answered = {});

// One text the results window receives, by the objectName of its control.
struct HandOverText {
    QString control;
    QString text;
    friend bool operator==(const HandOverText&, const HandOverText&) = default;
};
// In the order they are set: row headings, column headings, players, best-scorer buttons.
QList<HandOverText> resultsHandOver(const TournamentInput& input);

// What the press does to windows.
struct PressView {
    // Sets the texts, enables the compute button and shows the results window.
    std::function<void(const QList<HandOverText>&)> handOverToResults;
    ShowPrize showPrize;
    std::function<void()> uncoverPrizes;
    // The sheet of this press, once it is known whether the desktop showed the workbook
    // (shownElsewhere); when it did not, the program shows its own sheet window.
    std::function<void(const TournamentSheet&, bool shownElsewhere, const QString& workbook)>
        sheetMade;
};

// What the presses of one run keep. The first press that reaches the award fixes the previous
// tournament's prizes for the evening: a later press shows those again and awards nothing, so
// the players cannot press until they like the gifts.
struct PressMemory {
    std::optional<PreviousPrizes> prizes;
    bool awarded = false; // an award that failed part-way may run again
};

// One press of the full-table button after the fill button stopped being the default: writes
// last.txt, reads what the previous tournament left, fills and shows the sheet, hands over to
// the results window and awards the gifts. Throws at the first failing step; what came before
// stays done.
void runTournamentPress(const TournamentInput& input, Services& services, const PressView& view,
                        PressMemory& memory);

// The sheet of the evening as the main window holds it now, with the prizes a press fixed or
// else those in the gift files. Reads nothing else and changes nothing.
TournamentSheet eveningSheet(const TournamentInput& input, const Clock& clock,
                             const PressMemory& memory);

} // namespace kv
