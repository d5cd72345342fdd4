// One tick's work of the measurement and marker windows, both channels on, every cell's text
// changing each tick (the dearest case: the list repaints what changed). The main window's
// tick has 2 ms for everything it does; these windows must take a small share of it.

#include "app/main/ScreenSnapshot.h"
#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"
#include "tools/markers/MarkerDialog.h"
#include "tools/measure/MeasureDialog.h"

#include <benchmark/benchmark.h>

namespace {

void PrepareModel()
{
    uitest::EnsureApplication();
    RegisterVelkaroResources();
    CSingleLock lock(&DataLock, TRUE);
    SelectOscDataVersion(2, 1);
    OscData& data = *GetOscData();
    data.osc_cr |= OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
}

void BM_MeasureRefresh(benchmark::State& state)
{
    PrepareModel();
    CMeasureDialog window(nullptr);
    window.ShowWindow(SW_SHOW);
    if (!window.IsWindowVisible()) {
        state.SkipWithError("the window did not open");
        return;
    }
    int tick = 0;
    for (auto _ : state) {
        {
            CSingleLock lock(&DataLock, TRUE);
            OscData& data = *GetOscData();
            for (int c = 0; c < 2; ++c) {
                data.measure_mean[c] = tick % 50;
                data.measure_peak[c] = 20 + tick % 30;
                data.measure_top[c] = 40 + tick % 20;
                data.measure_base[c] = -40 - tick % 20;
                data.measure_min[c] = -60 - tick % 10;
                data.measure_max[c] = 60 + tick % 10;
                data.measure_period[c] = 50 + tick % 7;
            }
            data.status |= STATUS_MEASURED;
        }
        window.Refresh();
        ++tick;
    }
}
BENCHMARK(BM_MeasureRefresh)->Unit(benchmark::kMicrosecond);

void BM_MarkerRefresh(benchmark::State& state)
{
    PrepareModel();
    CMarkerDialog window(nullptr);
    window.is_v_marker_enabled = {1, 1};
    window.is_h_marker_enabled = {1, 1};
    window.ShowWindow(SW_SHOW);
    if (!window.IsWindowVisible()) {
        state.SkipWithError("the window did not open");
        return;
    }
    ScreenSnapshot screen{};
    for (int c = 0; c < 2; ++c) {
        screen.enabled[c] = true;
        screen.gain[c] = 1;
        for (int x = 0; x < SCREEN_VALUES; ++x)
            screen.points[c][x] = (x * (c + 3)) % 200 - 100;
    }
    int tick = 0;
    for (auto _ : state) {
        window.v_marker_x = {static_cast<double>(tick % 300), static_cast<double>((tick * 7) % 300)};
        window.h_marker_y = {static_cast<double>(tick % 256 - 128), static_cast<double>((tick * 3) % 256 - 128)};
        window.UpdateVerticalMarkerReadouts(screen);
        window.Refresh();
        ++tick;
    }
}
BENCHMARK(BM_MarkerRefresh)->Unit(benchmark::kMicrosecond);

}  // namespace
