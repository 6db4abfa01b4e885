// Histories like the ones a household makes over the years, for the tests and the benchmarks:
// Зурко, Пенва and Лодыш every few days, each evening's clubs as the program's own draw gives
// them from its own team lists, scores spread as real games are. The same seed gives the same
// history on every run.
#pragma once

#include <QString>

#include <cstdint>

namespace kvtest {

struct Household {
    int evenings = 300;
    std::uint64_t seed = 2012;
    // Best scorers are kept for the newest evenings only, as for a household that has played
    // since before the program kept them: this share of the evenings, the newest ones.
    double withBestScorer = 0.4;
    // The order of the matches is kept for this share of the newest evenings: written since the
    // program keeps it.
    double withPlayOrder = 0.2;
};

// Writes base.db (or `file`) in the program's stored form: "Total", one table with its index for
// each evening in the order played and the best scorers, in one transaction. An existing file is
// replaced.
void writeHousehold(const Household& household, const QString& file = QStringLiteral("base.db"));

} // namespace kvtest
