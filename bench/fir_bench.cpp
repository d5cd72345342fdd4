// Cost of the FIR filters: a capture buffer through a long filter, and the design and response
// of the shortest and longest filters the sheet offers.

#include "tools/fir/HannWindow.h"
#include "tools/fir/LPF.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

HannWindow Window(int taps)
{
    HannWindow w(4 * taps, taps);
    w.FillGrid();
    w.Fill();
    return w;
}

// One channel of the deepest buffer, filtered sample by sample from a cleared delay line, as
// the buffer is filtered in place.
void BM_FilterBuffer(benchmark::State& state)
{
    const int taps = static_cast<int>(state.range(0));
    LPF filter(Window(taps), 1000000.0, 50000.0);
    std::vector<double> samples(131072);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::trunc(100 * std::sin(2 * std::numbers::pi * 0.013 * static_cast<double>(i)));
    for (auto _ : state) {
        filter.ClearDelayLine();
        double last = 0;
        for (const double x : samples) last = filter.Filter(x);
        benchmark::DoNotOptimize(last);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples.size()));
}
BENCHMARK(BM_FilterBuffer)->Arg(256)->Unit(benchmark::kMillisecond);

// What accepting the sheet costs: window, ideal response, inverse FFT, taps, response.
void BM_DesignLowPass(benchmark::State& state)
{
    const int taps = static_cast<int>(state.range(0));
    for (auto _ : state) {
        LPF filter(Window(taps), 1000000.0, 50000.0);
        benchmark::DoNotOptimize(filter.magnitude[0]);
    }
}
BENCHMARK(BM_DesignLowPass)->Arg(16)->Arg(256)->Unit(benchmark::kMicrosecond);

// The response alone, as hand-entered coefficients need it.
void BM_Response(benchmark::State& state)
{
    const int taps = static_cast<int>(state.range(0));
    LPF filter(Window(taps), 1000000.0, 50000.0);
    for (auto _ : state) {
        filter.ComputeResponse();
        benchmark::DoNotOptimize(filter.phase[1]);
    }
}
BENCHMARK(BM_Response)->Arg(16)->Arg(256)->Unit(benchmark::kMicrosecond);

}  // namespace
