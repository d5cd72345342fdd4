// The tooltip's costs as a user meets them: showing a tip (measuring, placing, shaping, painting
// the body, reading what lies behind, and the first paint), redrawing it (a hovered link, an
// animation frame), and the memory the largest tip the drawer allows takes.

#include "widgets/tooltip/PPToolTip.h"

#include "platform/kernel/CString.h"
#include "platform/ui/App.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>
#include <string>

namespace {

const char* const kText1030 =
    "Нормальный режим в стопе: изменение смещения по X\r\nТриггер: изменение пред/пост захвата\r\n"
    "Триггер в стопе: изменение смещения по X";

class Owner : public CDialog {
public:
    Owner()
    {
        for (const char* name : {"ChartCtrl", "BufferDraw", "DigitalBusCtrl"}) {
            WNDCLASS wc;
            wc.lpszClassName = name;
            AfxRegisterClass(&wc);
        }
        RegisterVelkaroResources();
        Create(102);
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(SW_SHOW);
        tip.Create(this);
        uitest::ProcessEvents();
    }
    CPPToolTip tip;
};

Owner& TheOwner()
{
    static Owner* owner = [] {
        uitest::EnsureApplication();
        return new Owner();
    }();
    return *owner;
}

// The whole composition the window's paint does; off screen Qt would paint only later, when the
// window is exposed, so the paint message is sent directly (its DC then draws off screen).
void Paint(CPPToolTip& tip)
{
    tip.SendMessage(WM_PAINT);
}

void BM_TipShowAndFirstPaint(benchmark::State& state)
{
    Owner& owner = TheOwner();
    const HICON icon = LoadIcon(nullptr, IDI_INFORMATION);
    for (auto _ : state) {
        owner.tip.ShowIconTip(icon, kText1030, CPoint(300, 300));
        Paint(owner.tip);
        state.PauseTiming();
        owner.tip.DestroyWindow();  // hides; a fresh window each time, as at the first show
        owner.tip.Create(&owner);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TipShowAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_TipPrepareOnly(benchmark::State& state)
{
    Owner& owner = TheOwner();
    const HICON icon = LoadIcon(nullptr, IDI_INFORMATION);
    for (auto _ : state) {
        owner.tip.ShowIconTip(icon, kText1030, CPoint(300, 300));
        state.PauseTiming();
        uitest::Key(owner.GetDlgItem(1002), 'A');
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TipPrepareOnly)->Unit(benchmark::kMillisecond);

void BM_TipRedraw(benchmark::State& state)
{
    Owner& owner = TheOwner();
    owner.tip.ShowIconTip(LoadIcon(nullptr, IDI_INFORMATION), kText1030, CPoint(300, 300));
    Paint(owner.tip);
    for (auto _ : state) Paint(owner.tip);
    uitest::Key(owner.GetDlgItem(1002), 'A');
}
BENCHMARK(BM_TipRedraw)->Unit(benchmark::kMillisecond);

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The largest content the drawer allows (2048 x 2048), shown and painted once.
void BM_LargestTipMemory(benchmark::State& state)
{
    Owner& owner = TheOwner();
    const std::string text = "<table><tr><td width=2048 height=2048>x</td></tr></table>";
    const long before = PeakKiB();
    for (auto _ : state) {
        owner.tip.ShowTipAt(CPoint(300, 300), TipToolInfo{0, {0, 0, 0, 0}, text});
        Paint(owner.tip);
        state.PauseTiming();
        uitest::Key(owner.GetDlgItem(1002), 'A');
        state.ResumeTiming();
    }
    owner.tip.ShowTipAt(CPoint(300, 300), TipToolInfo{0, {0, 0, 0, 0}, text});
    const CSize size = owner.tip.GetTipSize();
    // Kept while shown: the body (window less the shadow) and the background (whole window).
    const double kept = 4.0 * ((size.cx - 6.0) * (size.cy - 6.0) + double(size.cx) * size.cy);
    state.counters["window_w"] = size.cx;
    state.counters["window_h"] = size.cy;
    state.counters["kept_MiB"] = kept / (1024.0 * 1024.0);
    state.counters["peak_rss_growth_MiB"] = double(PeakKiB() - before) / 1024.0;
    uitest::Key(owner.GetDlgItem(1002), 'A');
}
BENCHMARK(BM_LargestTipMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
