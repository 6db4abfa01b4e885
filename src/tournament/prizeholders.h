#pragma once

#include "common/datafiles.h"
#include "tournament/tournament.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace kv {

// The award writes its evening (kPrizeEveningFile) beside the gift files, since the places are
// only known once that evening's results are stored.
void writePrizeEvening(const Tournament& evening, const QDate& awarded);

// Who holds the prizes of the gift files.
struct PrizeHolders {
    bool won = true; // false: no prize was ever awarded (nothing played yet), nothing to show
    QString first;   // first place of the awarding evening; empty while it is not stored
    QString second;
    // The awarding evening is stored: an empty name then means that nobody held that place
    // (two players shared the first, so nobody was second).
    bool found = false;
    // The holders of a place as the sheet names them under its prize.
    QString shownHolder(int place) const;
    friend bool operator==(const PrizeHolders&, const PrizeHolders&) = default;
};

// The main window's line of who may use which privilege this evening; empty when none is
// granted. teamChoiceFrom / exceptChoiceFrom: which gift granted that privilege to every slot
// (1 first place, 2 second place, 0 none); bestScorer: the best scorer when his own except-choice
// is granted, else empty.
QString privilegesLine(const PrizeHolders& holders, int teamChoiceFrom, int exceptChoiceFrom,
                       const QString& bestScorer);

} // namespace kv
