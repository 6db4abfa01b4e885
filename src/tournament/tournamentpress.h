#pragma once

#include "common/datafiles.h"
#include "tournament/gifts.h"
#include "tournament/prizeholders.h"
#include "tournament/tournament.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace kv {

class Clock;
class ProgramFiles;
struct Services;
class SpreadsheetFactory;
struct TournamentSheet;

// What the previous tournament left behind: the first lines of gift1.txt, gift2.txt, bomb.txt.
struct PreviousPrizes {
    QString firstGift;
    QString secondGift;
    QString bestScorer;
    PrizeHolders holders = {}; // who won the two gifts (not in the files: found at the start)
    friend bool operator==(const PreviousPrizes&, const PreviousPrizes&) = default;
};

// last.txt: the three teams and the date, exactly four lines.
void writeLastTournament(const QStringList& teams, const QString& date);
// Throws when one of the three files cannot be read.
PreviousPrizes readPreviousPrizes();
// Whether the desktop showed the filled workbook, and its file (empty when there is none).
using WorkbookShown = std::function<void(bool shown, const QString& file)>;
// Fills a new spreadsheet from the program's template and shows it, step by step; a failing step
// throws and nothing after it happens. Whether the desktop showed it may come later, to
// `answered`.
void fillTournamentSheet(SpreadsheetFactory& spreadsheets, const Tournament& input,
                         const PreviousPrizes& prizes, const ProgramFiles& files,
                         const WorkbookShown& answered = {});

// What the press does to windows.
struct PressView {
    // Shows the tournament in the results window, ready for its scores.
    std::function<void(const Tournament&)> handOverToResults;
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
    PrizeHolders holders; // of the gift files as the run found them at its start
    std::optional<PreviousPrizes> prizes;
    bool awarded = false; // an award that failed part-way may run again
};

// One press of the full-table button after the fill button stopped being the default: writes
// last.txt, reads what the previous tournament left, fills and shows the sheet, hands over to
// the results window and awards the gifts. Throws at the first failing step; what came before
// stays done.
void runTournamentPress(const Tournament& input, Services& services, const PressView& view,
                        PressMemory& memory);

// The sheet of the evening as the main window holds it now, with the prizes a press fixed or
// else those in the gift files. Reads nothing else and changes nothing.
TournamentSheet eveningSheet(const Tournament& input, const Clock& clock, const PressMemory& memory,
                             const ProgramFiles& files);

} // namespace kv
