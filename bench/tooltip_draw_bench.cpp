// The tooltip's drawing: measuring and drawing a real tip, the shadow, the background effects and
// the heaviest markup a tip may hold.

#include "widgets/tooltip/PPDrawManager.h"
#include "widgets/tooltip/PPHtmlDrawer.h"

#include "platform/ui/App.h"
#include "platform/ui/testing/UiTest.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// A memory DC on a 32-bit DIB section, as the tooltip composes in.
class Surface {
public:
    Surface(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
        dc.CreateCompatibleDC(nullptr);
        old_ = dc.SelectObject(static_cast<HGDIOBJ>(bitmap_));
        dc.FillSolidRect(0, 0, width, height, RGB(255, 255, 225));
    }
    ~Surface()
    {
        dc.SelectObject(old_);
        dc.DeleteDC();
        DeleteObject(bitmap_);
    }
    CDC dc;

private:
    HBITMAP bitmap_ = 0;
    HGDIOBJ old_ = 0;
};

std::string Tip1030()
{
    uitest::EnsureApplication();
    char handle[16];
    std::snprintf(handle, sizeof handle, "0x%X", LoadIcon(nullptr, IDI_INFORMATION));
    return std::string("<table><tr><td><icon handle=") + handle +
           "></td><td>Нормальный режим в стопе: изменение смещения по X\r\nТриггер: изменение пред/пост захвата\r\n"
           "Триггер в стопе: изменение смещения по X</td></tr></table>";
}

void BM_MeasureHtml1030(benchmark::State& state)
{
    const std::string html = Tip1030();
    CPPHtmlDrawer d;
    Surface s(400, 80);
    for (auto _ : state) benchmark::DoNotOptimize(d.MeasureHtml(s.dc.GetSafeHdc(), html));
}
BENCHMARK(BM_MeasureHtml1030)->Unit(benchmark::kMicrosecond);

void BM_DrawHtml1030(benchmark::State& state)
{
    const std::string html = Tip1030();
    CPPHtmlDrawer d;
    Surface s(400, 80);
    const CSize size = d.MeasureHtml(s.dc.GetSafeHdc(), html);
    const CRect r(0, 0, size.cx, size.cy);
    for (auto _ : state) d.DrawHtml(s.dc.GetSafeHdc(), &r);
}
BENCHMARK(BM_DrawHtml1030)->Unit(benchmark::kMicrosecond);

void BM_CastShadow400x150(benchmark::State& state)
{
    CPPDrawManager dm;
    Surface s(420, 170);
    Surface mask(400, 150);
    mask.dc.FillSolidRect(0, 0, 400, 150, RGB(128, 128, 128));
    const HBITMAP maskBitmap = mask.dc.GetCurrentBitmap()->m_hObject;
    const BOOL gradient = state.range(0) != 0;
    for (auto _ : state) dm.CastShadow(s.dc.GetSafeHdc(), 6, 6, 400, 150, maskBitmap, gradient, 7, 7);
    state.SetLabel(gradient ? "blurred 7 x 7" : "plain");
}
BENCHMARK(BM_CastShadow400x150)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_PaintBackground300x100(benchmark::State& state)
{
    CPPDrawManager dm;
    Surface s(300, 100);
    const CRect r(0, 0, 300, 100);
    const int effect = static_cast<int>(state.range(0));
    for (auto _ : state)
        dm.PaintBackground(s.dc.GetSafeHdc(), &r, effect, RGB(255, 255, 225), RGB(200, 200, 255), RGB(60, 90, 200), 5, 5);
}
BENCHMARK(BM_PaintBackground300x100)->DenseRange(0, 15)->Unit(benchmark::kMicrosecond);

// 64 KiB of markup that makes the most work per byte: styled text, breaks, cells and effects.
std::string WorstMarkup()
{
    std::string html;
    const std::string piece =
        "<table border=1 bgeffect=noise><tr><td colspan=2><b><i>Жж</i></b></td><td>x</td></tr></table>"
        "<font size=7 color=red>Сигнал</font><t><u>a b c</u><br>";
    while (html.size() + piece.size() <= CPPHtmlDrawer::kMaxTextBytes) html += piece;
    return html;
}

void BM_WorstMarkup64KiB(benchmark::State& state)
{
    const std::string html = WorstMarkup();
    CPPHtmlDrawer d;
    Surface s(600, 400);
    for (auto _ : state) {
        const CSize size = d.MeasureHtml(s.dc.GetSafeHdc(), html);
        const CRect r(0, 0, size.cx, size.cy);
        d.DrawHtml(s.dc.GetSafeHdc(), &r);
    }
    state.SetLabel(std::to_string(html.size()) + " bytes, measured and drawn");
}
BENCHMARK(BM_WorstMarkup64KiB)->Unit(benchmark::kMillisecond);

}  // namespace
