#pragma once

#include <QStringList>

namespace kv {

// A tournament as the main window holds it once it is scheduled: the players of slots 1..3,
// their teams and the first leg (match 1 left, right, match 2 left, right, match 3 left, right).
// A value past the end of a list reads as empty.
struct Tournament {
    QStringList players;
    QStringList teams;
    QStringList matches;
    friend bool operator==(const Tournament&, const Tournament&) = default;
};

} // namespace kv
