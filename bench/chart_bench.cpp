// The chart at the rates the main window drives it: one 100 ms tick on the oscilloscope screen
// (empty every series, refill them, one redraw), a cross-hair repaint, the 65 536-point
// spectrum redraw, and saving the screen in each image format.
// Per-iteration times are reported as median and 99th percentile (microseconds).

#include "bench/support/BenchStats.h"
#include "platform/gdi/Image.h"
#include "platform/ui/App.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/testing/UiTest.h"
#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/chartshot/ChartScenes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using bench::Clock;
using bench::Micros;
using bench::Report;

// A chart window of the scene's size showing the scene.
struct Stage {
    explicit Stage(const std::string& name)
    {
        if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        AfxEnsureApplication();
        scene = ChartScene::Make(name);
        const CSize size = scene->Size();
        host.CreateEx(0, AfxRegisterWndClass(0), "bench", WS_POPUP, 0, 0, size.cx, size.cy, nullptr, nullptr);
        chart.Create("ChartCtrl", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, size.cx, size.cy), &host, 1000);
        scene->Setup(chart);
        // Shown (off screen when there is no display), so paints really happen.
        host.ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
    }
    ~Stage()
    {
        chart.DestroyWindow();
        host.DestroyWindow();
    }
    CWnd host;
    CChartCtrl chart;
    std::unique_ptr<ChartScene> scene;
};

void BM_Tick(benchmark::State& state, const char* name)
{
    Stage stage(name);
    std::vector<double> empty, refill, redraw;
    for (auto _ : state) {
        stage.chart.SuspendRedraw();
        const auto t0 = Clock::now();
        stage.scene->Empty();
        const auto t1 = Clock::now();
        stage.scene->Fill();
        const auto t2 = Clock::now();
        stage.chart.ResumeRedraw();
        const auto t3 = Clock::now();
        empty.push_back(Micros(t1 - t0));
        refill.push_back(Micros(t2 - t1));
        redraw.push_back(Micros(t3 - t2));
    }
    Report(state, "empty", empty);
    Report(state, "refill", refill);
    Report(state, "redraw", redraw);
}
BENCHMARK_CAPTURE(BM_Tick, scope, "scope")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Tick, logic, "logic")->Unit(benchmark::kMicrosecond);

// The mouse moves over the scope screen: only the image copy and the cursor are painted.
void BM_CrossHairRepaint(benchmark::State& state)
{
    Stage stage("scope");
    CChartCrossHairCursor* cursor = stage.chart.CreateCrossHairCursor();
    cursor->ShowValues(true);
    cursor->SetColor(RGB(255, 255, 255));
    const CRect plot = stage.chart.GetPlottingRect();
    if (!stage.chart.IsWindowVisible()) state.SkipWithError("the chart is not shown");
    std::vector<double> samples;
    int x = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        cursor->OnMouseMove(plot.left + x % plot.Width(), plot.top + (3 * x) % plot.Height());
        stage.chart.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        samples.push_back(Micros(Clock::now() - t0));
        ++x;
    }
    Report(state, "repaint", samples);
}
BENCHMARK(BM_CrossHairRepaint)->Unit(benchmark::kMicrosecond);

void BM_SpectrumRedraw(benchmark::State& state)
{
    Stage stage("spectrum");
    std::vector<double> samples;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        stage.chart.Redraw();
        samples.push_back(Micros(Clock::now() - t0));
    }
    Report(state, "redraw", samples);
}
BENCHMARK(BM_SpectrumRedraw)->Unit(benchmark::kMicrosecond);

void BM_SaveImage(benchmark::State& state, const char* extension)
{
    Stage stage("scope");
    const std::string path = std::string("/tmp/velkaro_chart_bench.") + extension;
    std::vector<double> samples;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (!stage.chart.SaveImage(path)) state.SkipWithError("not written");
        samples.push_back(Micros(Clock::now() - t0));
    }
    Report(state, "save", samples);
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) state.counters["bytes"] = static_cast<double>(st.st_size);
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(BM_SaveImage, bmp, "bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveImage, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveImage, jpg, "jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveImage, gif, "gif")->Unit(benchmark::kMillisecond);

}  // namespace
