// Expanding one channel's received samples into the 300 screen points, as the reception does
// for every frame while the time base zooms in: sinc and linear, plain and min/max pairs.
// Arguments: x_zoom_out_sw, x_zoom_in (2/5 is a common fractional step, 19/20 the densest input).

#include "core/data/OscData.h"
#include "core/data/ScreenPoints.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <span>

namespace {

using Form = void (*)(std::span<std::int32_t>, int, int, int, int);

template <Form form>
void BM_Interpolate(benchmark::State& state)
{
    const int step = static_cast<int>(state.range(0));
    const int zoom = static_cast<int>(state.range(1));
    std::int32_t input[SCREEN_VALUES];
    for (int i = 0; i < SCREEN_VALUES; ++i) input[i] = (i * 37) % 256 - 128;
    std::int32_t values[SCREEN_VALUES];
    int phase = 0;
    for (auto _ : state) {
        // Each frame starts from freshly received samples.
        std::copy(std::begin(input), std::end(input), values);
        form(std::span<std::int32_t>(values), SCREEN_POINTS, step, zoom, phase);
        benchmark::DoNotOptimize(values);
        phase = phase + 1 == zoom ? 0 : phase + 1;
    }
    state.SetItemsProcessed(state.iterations() * SCREEN_POINTS);
}

void Mappings(benchmark::internal::Benchmark* bench)
{
    bench->Args({1, 2})->Args({2, 5})->Args({19, 20});
}

BENCHMARK(BM_Interpolate<SincInterpolate>)->Apply(Mappings);
BENCHMARK(BM_Interpolate<SincInterpolate2>)->Apply(Mappings);
BENCHMARK(BM_Interpolate<LinearInterpolate>)->Apply(Mappings);
BENCHMARK(BM_Interpolate<LinearInterpolate2>)->Apply(Mappings);

void BM_InterpolateLogic(benchmark::State& state)
{
    std::uint8_t input[SCREEN_VALUES][8];
    for (int r = 0; r < SCREEN_VALUES; ++r)
        for (int line = 0; line < 8; ++line) input[r][line] = static_cast<std::uint8_t>((r >> line) & 1) * 2;
    std::uint8_t records[SCREEN_VALUES][8];
    for (auto _ : state) {
        std::copy(&input[0][0], &input[0][0] + sizeof(input), &records[0][0]);
        InterpolateLogicPoints(records, SCREEN_POINTS, 2, 5, 1);
        benchmark::DoNotOptimize(records);
    }
    state.SetItemsProcessed(state.iterations() * SCREEN_POINTS);
}
BENCHMARK(BM_InterpolateLogic);

}  // namespace
