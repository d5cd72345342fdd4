// The synchronous decoder's overlay over the main chart: the time of one DrawOverlay per chart
// redraw, with a result over the whole memory (variant 4, 3000 samples, both channels logic,
// a clock every four samples, four data nets, every clock edge ticked and every value written).

#include "bench/support/ProgramWindowBench.h"
#include "core/data/OscData.h"
#include "logic/sync/SyncAnalyzer.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/testing/UiTest.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SyncOverlay(benchmark::State& state)
{
    bench::RunProgramWindow(state, "velkaro_sync_overlay_bench", [&](CVelkaroDlg& d) {
        {
            CSingleLock lock(&DataLock, TRUE);
            SelectOscDataVersion(4, 0);
            OscData& data = *GetOscData();
            data.osc_cr |= OSC_CR_LOGIC_A | OSC_CR_LOGIC_B;
            data.mode |= MODE_STOPPED;
            data.read_state = 3;
            data.x_offset = 0;
            data.x_zoom_out_hw = data.x_zoom_out_sw = data.x_zoom_in = 1;
            // Clock on B1, data B2, B4..B6 from a counter that moves every clock.
            for (unsigned n = 0; n < data.GetMemoryDepth(); ++n) {
                const unsigned bit = n / 4;
                const unsigned clock = (n % 4) >= 2 ? 0x2u : 0u;
                const unsigned lines = ((bit * 37u) & 0x1u) << 2 | ((bit * 11u) & 0x7u) << 4;
                data.sample_buffer[1][n] = static_cast<std::int32_t>(clock | lines);
            }
        }
        d.la_net_display.fill(1);
        CSyncAnalyzer analyser(&d);
        analyser.ShowWindow(SW_SHOW);
        analyser.OnShowTool(true);
        uitest::ProcessEvents();
        analyser.GetClockPage().clk_net->SetCurSel(14);   // B1
        const int data[] = {13, 11, 10, 9};                // B2, B4, B5, B6
        for (int i = 0; i < 4; ++i) analyser.GetDataPage().data_net[static_cast<std::size_t>(i)]->SetCurSel(data[i]);
        analyser.GetDataPage().num_data_nets = 4;
        analyser.GetDataPage().Fill();
        analyser.GetDisplayPage().display_clk = CTabSyncDisplay::CLK_ALL;
        analyser.GetDisplayPage().Fill();
        uitest::Click(analyser.GetDlgItem(CSyncAnalyzer::kProcessId));
        uitest::FireTimer(&analyser, CSyncAnalyzer::kPollTimer);
        if (analyser.GetResult().clock_edges.empty()) {
            state.SkipWithError("nothing decoded");
        } else {
            CDC screen;
            screen.CreateCompatibleDC(nullptr);
            CBitmap bitmap;
            bitmap.CreateBitmap(916, 525, 1, 32, nullptr);
            CBitmap* old = screen.SelectObject(&bitmap);
            for (auto _ : state) analyser.DrawOverlay(&screen, &d.GetChart());
            screen.SelectObject(old);
            state.counters["clock_edges"] = static_cast<double>(analyser.GetResult().clock_edges.size());
        }
        analyser.DestroyWindow();
    });
}

BENCHMARK(BM_SyncOverlay)->Unit(benchmark::kMicrosecond);

}  // namespace
