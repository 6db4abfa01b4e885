#pragma once

#include "tournament/prizeholders.h"

namespace kv {

class HistoryStore;

// Reads the awarding evening and looks for it among the stored tournaments, from the newest back
// to the day of the award. Without a record, prizes count as won once a tournament is stored
// (they came from an award before the record was kept), with their holders unknown.
// Throws the database's error.
PrizeHolders findPrizeHolders(HistoryStore& history);

} // namespace kv
