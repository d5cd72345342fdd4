// Velkaro's main window live on the virtual instrument: what one 100 ms tick costs, taken
// apart (the snapshot of the model, the tick without its chart redraw, the full chart redraw
// at 916 x 525, the whole OnTimer through the window's timer), for both channels analog, with
// the peak detector, and both channels as logic analyser (16 lines, then as buses), each with
// the trail off and at its 19 generations; and the resident memory of the window after 1,000
// and 10,000 ticks with the trail on. The ticks are fired directly, each once the worker has
// brought a new frame (a tick with nothing new leaves the chart alone).
// Per-tick times are reported as median and 99th percentile (microseconds).

#include "app/main/ScreenSnapshot.h"
#include "bench/support/BenchStats.h"
#include "bench/support/ProgramWindowBench.h"
#include "core/data/OscData.h"
#include "core/transport/InterfaceChooser.h"
#include "core/transport/Interfaces.h"
#include "platform/ui/testing/UiTest.h"
#include "sim/SimComm.h"
#include "sim/VirtualInstrument.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::Micros;
using bench::Report;

std::shared_ptr<VirtualInstrument> instrument;

CComm* ChooseDemo()
{
    auto* comm = new CSimComm(instrument);
    comm->Enumerate();
    comm->Select(0);
    return comm;
}

// Resident memory of this process in kB, as the kernel counts it.
double ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6);
    return 0;
}

bool WaitUntil(const std::function<bool()>& condition)
{
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        uitest::ProcessEvents();
    }
    return true;
}

void WithData(const std::function<void(OscData&)>& f)
{
    CSingleLock lock(&DataLock, TRUE);
    f(*GetOscData());
}

enum class Picture { Analog, MinMax, Logic, LogicBus };

// Runs `body` inside the main window's modal loop, connected to a fresh demo instrument and
// showing `picture`; the window is closed after it.
void WithLiveWindow(benchmark::State& state, Picture picture, const std::function<void(CVelkaroDlg&)>& body)
{
    instrument = std::make_shared<VirtualInstrument>();
    instrument->SetVersion(2, 1);
    bench::RunProgramWindow(state, "velkaro_main_window_bench", [&](CVelkaroDlg& d) {
        SetChooserFunction(&ChooseDemo);
        uitest::Click(d.GetDlgItem(CVelkaroDlg::kConnectId));
        const bool linked = WaitUntil([] {
            CSingleLock lock(&DataLock, TRUE);
            OscData* data = PeekOscData();
            return data != nullptr && (data->mode & MODE_LINKED) != 0;
        });
        if (!linked) {
            state.SkipWithError("the demo instrument did not connect");
        } else {
            double pointSeconds = 0;
            WithData([&](OscData& data) {
                if ((data.osc_cr & OSC_CR_CH_B_ON) == 0) data.EnableChannelB(true);
                data.max_x_skip = data.GetDividerMax();
                data.t_div = data.GetTDivMin() + 6;
                data.FitTDivIndex();
                data.u_div[0] = data.u_div[1] = 9;
                data.ApplyVDiv();
                data.changes |= CHANGE_ANALOG;
                if (picture == Picture::MinMax && (data.osc_cr & OSC_CR_MIN_MAX) == 0) {
                    data.osc_cr |= OSC_CR_MIN_MAX;
                    data.changes |= CHANGE_CAPTURE;
                }
                if (picture == Picture::Logic || picture == Picture::LogicBus) {
                    data.osc_cr |= OSC_CR_LOGIC_A | OSC_CR_LOGIC_B;
                    data.changes |= CHANGE_CAPTURE;
                }
                data.status |= STATUS_REDRAW;
                pointSeconds = static_cast<double>(data.x_zoom_out_hw) * data.x_zoom_out_sw / data.x_zoom_in *
                               (data.x_skip + 1) / (data.GetSampleRateKHz() * 1000.0);
            });
            d.minmax = picture == Picture::MinMax ? 1 : 0;
            d.digital_bus = {picture == Picture::LogicBus, picture == Picture::LogicBus};
            // A few periods on screen, and logic lines that change inside it.
            SignalSettings signals = instrument->GetSignals();
            signals.sineHz = 1 / (60 * pointSeconds);
            signals.squareHz = 1 / (100 * pointSeconds);
            signals.counterHz = 1 / (4 * pointSeconds);
            instrument->SetSignals(signals);
            // The picture settles: a few captures after the change, drawn by the ticks.
            int cycles = 0;
            WithData([&](OscData& data) { cycles = data.cycle_counter; });
            WaitUntil([&] {
                int now = 0;
                WithData([&](OscData& data) { now = data.cycle_counter; });
                return now >= cycles + 3;
            });
            body(d);
        }
    });
    SetChooserFunction(nullptr);
    Interfaces::Clear();
    instrument.reset();
}

// Fills the trail to its 19 generations: each new frame adds one.
bool FillTrail(CVelkaroDlg& d)
{
    d.trail_on = 1;
    return WaitUntil([&] { return d.GetTrail(0).size() >= static_cast<std::size_t>(CVelkaroDlg::kTrailGenerations); });
}

void BM_Tick(benchmark::State& state, Picture picture, bool trail)
{
    WithLiveWindow(state, picture, [&](CVelkaroDlg& d) {
        if (trail && !FillTrail(d)) {
            state.SkipWithError("the trail did not fill");
            return;
        }
        CChartCtrl& chart = d.GetChart();
        ScreenSnapshot snapshot{};
        std::vector<double> snap, fill, redraw, tick;
        // A tick redraws the chart only for something new on it: each measured tick waits,
        // untimed, for the worker's next frame, so that it draws one as it does live.
        auto awaitFrame = [&] {
            state.PauseTiming();
            WaitUntil([] {
                CSingleLock lock(&DataLock, TRUE);
                return (GetOscData()->status & STATUS_FRAME_READY) != 0;
            });
            state.ResumeTiming();
        };
        for (auto _ : state) {
            awaitFrame();
            const auto t0 = Clock::now();
            {
                CSingleLock lock(&DataLock, TRUE);
                TakeScreenSnapshot(*GetOscData(), snapshot);
            }
            const auto t1 = Clock::now();
            // The tick with its one redraw held back: markers, series fill.
            chart.SuspendRedraw();
            uitest::FireTimer(&d, CVelkaroDlg::kTickTimerId);
            const auto t2 = Clock::now();
            // Resuming draws what the tick asked for: one full redraw of the chart.
            chart.ResumeRedraw();
            const auto t3 = Clock::now();
            awaitFrame();
            const auto t4 = Clock::now();
            uitest::FireTimer(&d, CVelkaroDlg::kTickTimerId);
            const auto t5 = Clock::now();
            // The window's paint and the worker's replies, outside the measurement.
            state.PauseTiming();
            uitest::ProcessEvents();
            state.ResumeTiming();
            snap.push_back(Micros(t1 - t0));
            fill.push_back(Micros(t2 - t1));
            redraw.push_back(Micros(t3 - t2));
            tick.push_back(Micros(t5 - t4));
        }
        benchmark::DoNotOptimize(snapshot);
        Report(state, "snapshot", snap);
        Report(state, "tick_without_redraw", fill);
        Report(state, "redraw", redraw);
        Report(state, "on_timer", tick);
        state.counters["trail_generations"] = static_cast<double>(d.GetTrail(0).size());
    });
}
BENCHMARK_CAPTURE(BM_Tick, analog, Picture::Analog, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, analog_trail19, Picture::Analog, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, minmax, Picture::MinMax, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, minmax_trail19, Picture::MinMax, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, logic16, Picture::Logic, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, logic16_trail19, Picture::Logic, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, logic_bus, Picture::LogicBus, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, logic_bus_trail19, Picture::LogicBus, true)->Unit(benchmark::kMicrosecond);

// Resident memory with the trail on: the trail's generations and the log must not pile up.
void BM_ResidentMemory(benchmark::State& state)
{
    WithLiveWindow(state, Picture::Analog, [&](CVelkaroDlg& d) {
        d.trail_on = 1;
        for (auto _ : state) {
            state.counters["rss_start_kb"] = ResidentKb();
            for (int i = 1; i <= 10000; ++i) {
                uitest::FireTimer(&d, CVelkaroDlg::kTickTimerId);
                uitest::ProcessEvents();
                if (i == 1000) state.counters["rss_1000_ticks_kb"] = ResidentKb();
            }
            state.counters["rss_10000_ticks_kb"] = ResidentKb();
        }
        state.counters["trail_generations"] = static_cast<double>(d.GetTrail(0).size());
    });
}
BENCHMARK(BM_ResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
