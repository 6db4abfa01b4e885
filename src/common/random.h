#pragma once

#include <cstdint>
#include <random>

namespace kv {

// The program's one pseudo-random generator. seedFromClock() restarts it from a
// high-resolution clock mixed with a counter, so two seeds in the same tick still differ.
// A generator made with a fixed seed ignores seedFromClock(), which makes runs reproducible.
class Random {
public:
    Random();                                 // seeded from the clock
    explicit Random(std::uint64_t fixedSeed); // reproducible
    virtual ~Random() = default;

    virtual void seedFromClock();
    // Uniform whole number in 0..n-1; n must be positive.
    virtual int below(int n);

private:
    std::mt19937_64 engine_;
    bool fixed_ = false;
    std::uint64_t reseeds_ = 0;
};

} // namespace kv
