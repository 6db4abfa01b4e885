// What a benchmark program promises: each scenario names the floor it is compared with and its
// goal. The pairs travel in the JSON output's context (one numbered entry "kv_goal NNN" each), so
// bench/report.py can print one table for every program without knowing them.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace kvbench {

struct Goal {
    std::string scenario; // benchmark name as reported, e.g. "BM_Startup/60/300"
    std::string title;    // what the table calls it (no ';' or '=')
    std::string floor;    // benchmark it is compared with; empty: none
    double ratio = 0;     // scenario / floor must stay at or below this; 0: reported only
    double maxMs = 0;     // the scenario's own time must stay below this; 0: no ceiling
    std::string counter;  // compare this counter of both instead of the time (e.g. "peak_kb")
};

inline std::string number(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

inline void declare(const Goal& g) {
    std::string value = "scenario=" + g.scenario + ";title=" + g.title + ";floor=" + g.floor;
    if (g.ratio > 0)
        value += ";ratio=" + number(g.ratio);
    if (g.maxMs > 0)
        value += ";max_ms=" + number(g.maxMs);
    if (!g.counter.empty())
        value += ";counter=" + g.counter;
    // Numbered keys keep the table in the order of declaration (the context is sorted by key).
    static int declared = 0;
    const std::string n = std::to_string(++declared);
    benchmark::AddCustomContext(
        "kv_goal " + std::string(3 - std::min<std::size_t>(3, n.size()), '0') + n, value);
}

} // namespace kvbench
