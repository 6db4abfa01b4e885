#pragma once

#include "common/datafiles.h"
#include "tournament/gifts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kv {

struct Services;
class SpreadsheetFactory;

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
};

// last.txt: the three teams and the date, exactly four lines.
void writeLastTournament(const QStringList& teams, const QString& date);
// Throws when one of the three files cannot be read.
PreviousPrizes readPreviousPrizes();
// The template beside the program.
QString tournamentTemplatePath();
// Fills a new spreadsheet from the template and shows it, step by step; a failing step throws
// and nothing after it happens.
void fillTournamentSheet(SpreadsheetFactory& spreadsheets, const TournamentInput& input,
                         const PreviousPrizes& prizes, const QString& templatePath);

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
};

// One press of the full-table button after the fill button stopped being the default: writes
// last.txt, reads what the previous tournament left, fills and shows the sheet, hands over to
// the results window and awards the gifts. Throws at the first failing step; what came before
// stays done.
void runTournamentPress(const TournamentInput& input, Services& services, const PressView& view);

} // namespace kv
