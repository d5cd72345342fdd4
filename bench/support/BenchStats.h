#pragma once
// Per-run times of a benchmark as median and 99th percentile, in microseconds.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// Counters "<what>_median_us" and "<what>_p99_us" of `samples`.
inline void Report(benchmark::State& state, const std::string& what, std::vector<double> samples)
{
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    state.counters[what + "_median_us"] = samples[samples.size() / 2];
    state.counters[what + "_p99_us"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
}

}  // namespace bench
