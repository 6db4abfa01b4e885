#include "common/random.h"

#include <chrono>
#include <stdexcept>

namespace kv {

Random::Random() {
    seedFromClock();
}

Random::Random(std::uint64_t fixedSeed) : engine_(fixedSeed), fixed_(true) {}

void Random::seedFromClock() {
    if (fixed_)
        return;
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seq{static_cast<std::uint64_t>(ticks), ++reseeds_,
                      static_cast<std::uint64_t>(ticks) >> 32};
    engine_.seed(seq);
}

int Random::below(int n) {
    if (n <= 0)
        throw std::invalid_argument("Random::below needs a positive bound");
    std::uniform_int_distribution<int> dist(0, n - 1);
    return dist(engine_);
}

} // namespace kv
