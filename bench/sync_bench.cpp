// The synchronous decoder on 131072-sample captures: random bytes, ten samples a bit, an idle
// lead-in; plain samples without and with /CS, and two-word samples. Figures per million
// samples are the time per iteration scaled by 1e6 / 131072.

#include "logic/sync/SyncDecode.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kSamples = 131072;
constexpr int kSamplesPerBit = 10;
constexpr int kLeadIn = 200;
constexpr std::uint32_t kClk = 1u << 1;
constexpr std::uint32_t kData = 1u << 2;
constexpr std::uint32_t kCs = 1u << 3;

// Bytes MSB first, clock idle low and rising mid-bit, /CS low around each byte.
std::vector<std::int32_t> Capture()
{
    std::mt19937 random(11);
    std::vector<std::int32_t> words;
    words.reserve(kSamples);
    auto hold = [&](std::uint32_t w, int n) {
        for (int i = 0; i < n && words.size() < kSamples; ++i) words.push_back(static_cast<std::int32_t>(w));
    };
    hold(kCs, kLeadIn);
    while (words.size() < kSamples) {
        const unsigned value = random() & 0xFF;
        for (int b = 7; b >= 0; --b) {
            const std::uint32_t data = ((value >> b) & 1u) != 0 ? kData : 0;
            hold(data, kSamplesPerBit / 2);
            hold(data | kClk, kSamplesPerBit / 2);
        }
        hold(kCs, kSamplesPerBit);
    }
    return words;
}

SyncSettings Settings(bool cs)
{
    SyncSettings s;
    s.clk_mask = kClk;
    s.data_mask[0] = kData;
    s.cs_used = cs ? 1 : 0;
    s.cs_mask = kCs;
    s.cs_active_low = 1;
    return s;
}

void Run(benchmark::State& state, bool cs, bool twoWord)
{
    const std::vector<std::int32_t> plain = Capture();
    std::vector<std::int32_t> pairs;
    for (std::int32_t w : plain) {
        pairs.push_back(w);
        pairs.push_back(w);
    }
    SyncCaptureView view;
    view.words[1] = twoWord ? pairs.data() : plain.data();
    view.samples = plain.size();
    view.two_word = twoWord;
    SyncSettings s = Settings(cs);
    s.clk_channel = s.data_channel[0] = s.cs_channel = 1;
    SyncResult result;
    for (auto _ : state) {
        SyncDecode(view, s, result);
        benchmark::DoNotOptimize(result.clock_edges.data());
    }
    state.counters["packets"] = static_cast<double>(result.packets[0].empty() ? 0 : result.packets[0].size());
    state.counters["time_per_Msample"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kSamples / 1e6,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SyncPlain(benchmark::State& state) { Run(state, false, false); }
void BM_SyncPlainCs(benchmark::State& state) { Run(state, true, false); }
void BM_SyncTwoWordCs(benchmark::State& state) { Run(state, true, true); }
void BM_SyncTwoWord(benchmark::State& state) { Run(state, false, true); }

BENCHMARK(BM_SyncPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SyncPlainCs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SyncTwoWord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SyncTwoWordCs)->Unit(benchmark::kMicrosecond);

}  // namespace
