#pragma once

#include "history/history.h"
#include "records/records.h"
#include "tournament/tournament.h"

#include <QString>

#include <array>

namespace kv {

// The chances of the evening's six matches, in the order of kMatches, from the ratings the
// history gives now and the strengths of the clubs drawn: "Зурко 58% · ничья 24% · Пенва 18%".
// All empty when the evening lacks a player or a club.
using MatchChances = std::array<QString, 6>;
MatchChances eveningChances(const History& history, const Tournament& evening,
                            const LevelOf& levelOf);

} // namespace kv
