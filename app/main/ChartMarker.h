#pragma once
// A straight marker line on a chart (a zero mark, a trigger line, the buffer limit, a user's
// marker): a two-point line series, optionally with a one-point series drawing a mark at one of
// its ends, moved by one call whenever its value changes. The chart owns both series.

#include "platform/gdi/GdiTypes.h"

#include <cstdint>

class CChartCtrl;
class CChartLineSerie;
class CChartPointsSerie;

class ChartMarker {
public:
    // Kind bits.
    static constexpr std::uint32_t kHorizontal = 0x10;  // constant Y; clear: constant X
    static constexpr std::uint32_t kMarkBits = 0x3;     // any set: an end mark is drawn
    static constexpr std::uint32_t kMarkAtFar = 0x2;    // the mark sits at the far end
    // The pen style that takes the dash pattern instead.
    static constexpr int kUserDashes = 7;

    // (Re)creates the series on `chart`; series of an earlier Create on that chart go first,
    // so a marker never leaves a stale line behind.
    void Create(CChartCtrl* chart, std::uint32_t flags, COLORREF colour, int markShape, int penStyle,
                unsigned dashCount, const DWORD* dashes, double from, double to);

    // Draws the line at `value` across [from, to], and its mark. A marker already there is
    // left alone, so a marker set again at every tick costs the chart no redraw.
    void SetPosition(double value);
    // Takes the line and its mark off the chart; nothing happens to a hidden marker.
    void Hide();

    std::uint32_t flags = 0;
    double from = 0;
    double to = 0;
    CChartLineSerie* line = nullptr;
    CChartPointsSerie* mark = nullptr;

private:
    CChartCtrl* chart_ = nullptr;
};
