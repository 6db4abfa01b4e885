#include "tournament/evening.h"

namespace kv {

Tournament Evening::tournament() const {
    return {QStringList(players.cbegin(), players.cend()),
            QStringList(teams.cbegin(), teams.cend()), schedule};
}

void EveningOwner::change(const std::function<void(Evening&)>& edit) {
    Evening next = evening_;
    edit(next);
    if (next == evening_)
        return;
    evening_ = std::move(next);
    emit changed();
}

void EveningOwner::renamePlayers(const std::array<QString, 3>& names) {
    change([&](Evening& e) {
        // Found by the old names once: names passed round must not carry them on.
        const auto follow = [&](QString& name) {
            for (int i = 0; i < 3; ++i)
                if (!name.isEmpty() && name == e.players[i]) {
                    name = names[i];
                    return;
                }
        };
        follow(e.privilegedScorer);
        if (e.bestScorer)
            follow(*e.bestScorer);
        e.players = names;
    });
}

} // namespace kv
