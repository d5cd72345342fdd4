// The data model's heavier operations: the timebase solver, the option lists the main window
// rebuilds, the limits run on every variant switch, and the settings round trip.

#include "core/config/ConfigSections.h"
#include "core/data/DataV1.h"
#include "core/data/OscData.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<OscData> Make(int version)
{
    return std::unique_ptr<OscData>(OscDataFactory::Find(version)->second());
}

void BM_SolveTimebase(benchmark::State& state)
{
    auto data = Make(static_cast<int>(state.range(0)));
    const unsigned low = data->GetTDivMin();
    const unsigned high = data->GetTDivMax();
    unsigned t = low;
    for (auto _ : state) {
        data->t_div = t;
        benchmark::DoNotOptimize(data->SolveTimebase());
        t = t == high ? low : t + 1;
    }
}
BENCHMARK(BM_SolveTimebase)->DenseRange(1, 5);

void BM_ListTDivOptions(benchmark::State& state)
{
    auto data = Make(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(data->ListTDivOptions());
}
BENCHMARK(BM_ListTDivOptions)->DenseRange(1, 5);

void BM_ListVDivOptions(benchmark::State& state)
{
    auto data = Make(1);
    for (auto _ : state) benchmark::DoNotOptimize(data->ListVDivOptions(0));
}
BENCHMARK(BM_ListVDivOptions);

void BM_ApplyLimits(benchmark::State& state)
{
    auto data = Make(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        data->ApplyLimits();
        benchmark::DoNotOptimize(data->t_div);
    }
}
BENCHMARK(BM_ApplyLimits)->DenseRange(1, 5);

void BM_SettingsRoundTrip(benchmark::State& state)
{
    ConfigSections.clear();
    DataV1 data;
    for (auto _ : state) {
        data.SaveSettings();
        benchmark::DoNotOptimize(data.LoadSettings());
    }
    ConfigSections.clear();
}
BENCHMARK(BM_SettingsRoundTrip);

void BM_VariantSwitch(benchmark::State& state)
{
    int version = 1;
    for (auto _ : state) {
        SelectOscDataVersion(version, 0);
        version = version % 5 + 1;
    }
    DeleteOscData();
    ConfigSections.clear();
}
BENCHMARK(BM_VariantSwitch);

}  // namespace
