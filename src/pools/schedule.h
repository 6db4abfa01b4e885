#pragma once

#include <QString>
#include <array>

namespace kv {

class Random;

// The first leg of three matches between the teams T1, T2, T3: with X the left team of match 1,
// Y its opponent and Z the third team, the matches are X-Y, Z-X, Y-Z, so every team plays every
// other once and stands once on each side.
struct Schedule {
    // Left and right team of matches 1, 2, 3: Label7, Label8, Label10, Label11, Label14, Label15.
    std::array<QString, 6> labels;
    int attempts = 0;
};

inline const QString kEqualTeamsMessage = QStringLiteral(
    "Расписание не составлено: у каждого игрока должна быть своя команда, а сейчас команды "
    "пусты или совпадают. Исправьте команды и нажмите «Расписание» ещё раз.");

// Three different texts: the only teams a schedule can be made of.
bool teamsDistinct(const std::array<QString, 3>& teams);

// Random attempts, each on a generator freshly seeded from the clock, until one gives a valid
// first leg; all six valid schedules are equally likely. Equal teams can never give one, so
// they throw (kEqualTeamsMessage) before the first attempt.
Schedule makeSchedule(const std::array<QString, 3>& teams, Random& random);

} // namespace kv
