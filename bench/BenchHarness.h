#pragma once
// Times a piece of work many times and reports the median and worst per run, in
// microseconds. Benchmarks print figures; they never pass or fail on speed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimWire.h"

namespace zmx::bench {

// The program's own cost is measured without the wire's times: every reply at once.
inline const sim::WireOptions kInstantWire{sim::WireOptions::Kind::Instant};

struct Figures {
    double medianUs = 0;
    double worstUs = 0;
    double bestUs = 0;
};

// Median, worst and best of measured times in microseconds (none measured: all 0).
inline Figures figuresOf(std::vector<double> us) {
    if (us.empty()) return {};
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us.back(), us.front()};
}

inline double microsecondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
}

inline Figures timeRuns(int runs, const std::function<void()>& work) {
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        us.push_back(microsecondsSince(t0));
    }
    return figuresOf(std::move(us));
}

inline void report(const std::string& what, int runs, const Figures& f) {
    std::printf("%-44s runs %6d  median %9.2f us  best %9.2f us  worst %9.2f us\n", what.c_str(), runs, f.medianUs,
                f.bestUs, f.worstUs);
}

// Each benchmark case registers itself with a name and a function taking the run count.
struct Case {
    const char* name;
    void (*run)(int runs);
};
std::vector<Case>& cases();
struct Register {
    Register(const char* name, void (*run)(int)) { cases().push_back({name, run}); }
};

}  // namespace zmx::bench
