// Drawing costs on a chart-sized memory DC: a 300-point trace, a dashed grid, a label, a full
// fill and copy, and one whole oscilloscope-screen frame.
//
// Built like the other benchmarks (Google Benchmark, Release); it needs platform_gdi among the
// benchmark link libraries, which bench/ does not link yet, so it waits here until it does.
#include "platform/gdi/DC.h"
#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

struct Canvas {
    CDC dc; CBitmap bmp;
    Canvas(int w, int h) { dc.CreateCompatibleDC(nullptr); bmp.CreateCompatibleBitmap(&dc, w, h); dc.SelectObject(&bmp); }
};

void BM_Polyline300(benchmark::State& state) {
    Canvas c(800, 500);
    std::vector<POINT> pts(300);
    for (int i = 0; i < 300; ++i) pts[i] = POINT{10 + i * 2 + 40, static_cast<LONG>(250 + 200 * std::sin(i * 0.1))};
    CPen pen(PS_SOLID, 0, RGB(255, 0, 0));
    c.dc.SelectObject(&pen);
    for (auto _ : state) c.dc.Polyline(pts.data(), 300);
}
BENCHMARK(BM_Polyline300);

void BM_DashedGrid(benchmark::State& state) {
    Canvas c(800, 500);
    LOGBRUSH lb{BS_SOLID, RGB(128, 128, 128), 0};
    const DWORD dash[] = {2, 3};
    CPen pen; pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 0, &lb, 2, dash);
    c.dc.SelectObject(&pen);
    for (auto _ : state) {
        for (int x = 0; x < 800; x += 80) { c.dc.MoveTo(x, 0); c.dc.LineTo(x, 500); }
        for (int y = 0; y < 500; y += 50) { c.dc.MoveTo(0, y); c.dc.LineTo(800, y); }
    }
}
BENCHMARK(BM_DashedGrid);

void BM_TextOut(benchmark::State& state) {
    Canvas c(800, 500);
    CFont f; f.CreatePointFont(80, "Microsoft Sans Serif", &c.dc);
    c.dc.SelectObject(&f);
    c.dc.SetBkMode(TRANSPARENT);
    for (auto _ : state) c.dc.TextOut(100, 100, "1.25 ms");
}
BENCHMARK(BM_TextOut);

void BM_FillAndBlit(benchmark::State& state) {
    Canvas a(800, 500), b(800, 500);
    for (auto _ : state) {
        a.dc.FillSolidRect(0, 0, 800, 500, RGB(240, 240, 240));
        b.dc.BitBlt(0, 0, 800, 500, &a.dc, 0, 0, SRCCOPY);
    }
}
BENCHMARK(BM_FillAndBlit);

void BM_ChartFrame(benchmark::State& state) {
    // Background, grid, four traces, twenty labels: roughly one redraw of the oscilloscope screen.
    Canvas c(800, 500);
    std::vector<POINT> pts(300);
    CFont f; f.CreatePointFont(80, "Microsoft Sans Serif", &c.dc);
    c.dc.SelectObject(&f);
    LOGBRUSH lb{BS_SOLID, RGB(128, 128, 128), 0};
    const DWORD dash[] = {2, 3};
    CPen grid; grid.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 0, &lb, 2, dash);
    CPen trace(PS_SOLID, 0, RGB(255, 0, 0));
    for (auto _ : state) {
        c.dc.FillSolidRect(0, 0, 800, 500, RGB(0, 0, 0));
        c.dc.SelectObject(&grid);
        for (int x = 40; x < 800; x += 76) { c.dc.MoveTo(x, 10); c.dc.LineTo(x, 480); }
        for (int y = 10; y < 480; y += 47) { c.dc.MoveTo(40, y); c.dc.LineTo(790, y); }
        c.dc.SelectObject(&trace);
        for (int t = 0; t < 4; ++t) {
            for (int i = 0; i < 300; ++i) pts[i] = POINT{40 + i * 5 / 2, static_cast<LONG>(250 + 150 * std::sin(i * 0.07 + t))};
            c.dc.Polyline(pts.data(), 300);
        }
        c.dc.SetBkMode(TRANSPARENT);
        for (int i = 0; i < 20; ++i) c.dc.TextOut(5, 10 + i * 23, "-1.25");
    }
}
BENCHMARK(BM_ChartFrame);
}
