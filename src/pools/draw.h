#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace kv {

class Random;

// One press of "Заполнить": every empty team box gets a random line of the current pool that no
// rule refuses. Boxes that already hold a team (drawn, chosen or typed) are left as they are.
struct DrawSlots {
    std::array<QString, 3> teams;     // the team boxes; empty means still to be drawn
    std::array<QString, 3> except;    // each slot's except-choice (empty when none is selected)
    std::array<QString, 3> lastTeams; // each slot's team in the last tournament
};

struct DrawOptions {
    bool refuseLastTeams = true;   // "Не использовать ТРИ последние"
    bool refuseLoggedTeams = true; // "Не использовать ВСЕ последние"
};

struct DrawResult {
    enum class Outcome {
        Ok,
        AttemptLimit,  // a slot used more picks than the pool total: the pool has run out
        SlotImpossible // no line of the pool could ever pass the slot's rules
    };
    std::array<QString, 3> teams;
    Outcome outcome = Outcome::Ok;
    int slot = -1; // 0-based slot of a failed outcome
};

// Picks run slot by slot; each pick is uniform over the pool's lines, so the accepted team is
// uniform over the acceptable lines. A candidate is refused in this order: it is another box's
// team; the slot's except-choice; the slot's last team (option); then, after the attempt limit
// has been checked, a logged team (option). The log is only consulted when that option is on.
// The generator is reseeded from the clock first.
// The log is its file's whole text (readText): its lines, as readLines would split them, are
// looked at in place, without a string made for each line of a long log.
DrawResult drawTeams(const DrawSlots& board, const DrawOptions& options, const QStringList& pool,
                     QStringView logText, int poolTotal, Random& random);

} // namespace kv

namespace kv {

// The draw has no pool when the start of the run stopped before choosing one.
inline const QString kNoCurrentPoolMessage = QStringLiteral(
    "Список команд для турнира не выбран: запуск программы прервался раньше. Исправьте ошибку, "
    "о которой сообщалось при запуске, и перезапустите программу, или введите команды вручную.");

// No line of the current pool can be the team of this player.
QString slotImpossibleMessage(const QString& playerName);

} // namespace kv
