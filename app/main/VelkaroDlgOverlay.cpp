// What the main window paints over the chart after each full redraw: the zoom window, the
// measuring rectangle, the logic buses' values and the recorder's time ruler. Everything is
// clipped to the plot, so nothing spills over the axes or the legend.

#include "app/main/LogicAnalyzerLink.h"
#include "app/main/OverlayText.h"
#include "app/main/VelkaroDlg.h"

#include "core/measure/OscFormat.h"
#include "platform/gdi/GdiConstants.h"
#include "widgets/chart/ChartAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

constexpr COLORREF kZoomStepPen = 0x604020;
constexpr COLORREF kZoomPen = 0xFF4020;
constexpr COLORREF kRectPen = 0xFF4040;
constexpr COLORREF kOverlayText = 0xFFC8C8;
// [channel][new, old data]
constexpr COLORREF kBusPen[2][2] = {{0x0000FF, 0x0000C8}, {0x00FF00, 0x00C800}};
constexpr double kScreenRight = 300;
// The bus band is this high above its offset; its value sits this many pixels above the offset.
constexpr double kBusHigh = 8;
constexpr int kBusLabelRise = 14;
// Net names keep this many pixels from the plot's edge.
constexpr int kNetLabelInset = 3;
constexpr int kLogicLines = 8;
// The new frame and what is left of the old one are this many points apart.
constexpr int kSweepGap = 2;
// Half the size of a corner cross, and the room between the rectangle and its texts.
constexpr int kCross = 2;
constexpr int kTextGap = 3;
// The second voltage text of the rectangle stands this far beside the first.
constexpr int kVoltsPitch = 15;
// Ruler ticks, in chart values from the bottom of the screen.
constexpr double kRulerBottom = -128;
constexpr double kMajorTop = -120;
constexpr double kMinorTop = -125;
constexpr int kMinorPerMajor = 10;
// A window never shows more ticks than this (ten majors with their minors, and some slack).
constexpr int kMaxRulerTicks = 200;
constexpr std::int64_t kMillisPerDay = 24LL * 3600 * 1000;

// An 8-bit bus value of one screen point (line 7 the most significant, high = 1), or -1 when
// any line is changing within the point.
int BusValue(const std::uint8_t (&lines)[8])
{
    int value = 0;
    for (int k = 0; k < 8; ++k)
    {
        if (lines[k] == 2)
            value |= 1 << k;
        else if (lines[k] != 0)
            return -1;
    }
    return value;
}

void VerticalLine(CDC& dc, int x, int top, int bottom)
{
    dc.MoveTo(x, top);
    dc.LineTo(x, bottom);
}

void Cross(CDC& dc, int x, int y)
{
    dc.MoveTo(x - kCross, y - kCross);
    dc.LineTo(x + kCross + 1, y + kCross + 1);
    dc.MoveTo(x + kCross, y - kCross);
    dc.LineTo(x - kCross - 1, y + kCross + 1);
}

}  // namespace

void CVelkaroDlg::DrawChartOverlay(CDC& dc, CWnd*)
{
    if (chart_.GetBottomAxis() == nullptr || chart_.GetLeftAxis() == nullptr)
        return;
    const CRect plot = chart_.GetPlottingRect();
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(&plot);

    if ((drag_mode & DRAG_ZOOM) != 0)
        DrawZoomWindow(dc, plot);
    if ((drag_mode & DRAG_RECT) != 0)
        DrawMeasuringRect(dc);
    for (int c = 0; c < 2; ++c)
        if (snapshot_.enabled[c] && snapshot_.logic_mode[c] && digital_bus[static_cast<std::size_t>(c)])
            DrawBusValues(dc, c);
    if (la_net_display_labels)
        for (int c = 0; c < 2; ++c)
            if (snapshot_.enabled[c] && snapshot_.logic_mode[c] && !digital_bus[static_cast<std::size_t>(c)])
                DrawNetLabels(dc, c, plot);
    if (snapshot_.recorder)
        DrawRecorderRuler(dc, plot);
    DrawDecoderOverlays(dc);

    dc.SelectClipRgn(nullptr);
    dc.RestoreDC(saved);
}

void CVelkaroDlg::DrawDecoderOverlays(CDC& dc)
{
    if (LogicAnalyzerLink* analyzer = GetLogicAnalyzerLink())
        analyzer->DrawDecoderOverlays(dc, chart_);
}

void CVelkaroDlg::DrawZoomWindow(CDC& dc, const CRect& plot)
{
    const CChartAxis* bottom = chart_.GetBottomAxis();
    CPen stepPen(PS_SOLID, 1, kZoomStepPen);
    CPen windowPen(PS_SOLID, 1, kZoomPen);
    const int saved = dc.SaveDC();
    dc.SelectObject(&stepPen);
    for (const ZoomStep& step : zoom_steps_)
    {
        for (const std::int64_t x : {zoom_anchor_ + step.width, zoom_anchor_ - step.width})
            if (x >= 1 && x <= 299)
                VerticalLine(dc, bottom->ValueToScreen(static_cast<double>(x)), plot.top, plot.bottom);
    }
    dc.SelectObject(&windowPen);
    const std::int64_t b = std::clamp<std::int64_t>(zoom_anchor_ + zoom_choice_.width, 0, 300);
    const int xa = bottom->ValueToScreen(zoom_anchor_);
    const int xb = bottom->ValueToScreen(static_cast<double>(b));
    VerticalLine(dc, xa, plot.top, plot.bottom);
    VerticalLine(dc, xb, plot.top, plot.bottom);
    // The band between the two lines, the lines themselves left bright.
    const CRect band(std::min(xa, xb) + 1, plot.top, std::max(xa, xb), plot.bottom);
    if (band.Width() > 0)
        dc.InvertRect(&band);
    dc.RestoreDC(saved);
}

void CVelkaroDlg::DrawMeasuringRect(CDC& dc)
{
    const CChartAxis* bottom = chart_.GetBottomAxis();
    const CChartAxis* left = chart_.GetLeftAxis();
    const int x0 = bottom->ValueToScreen(rect_start_[0]);
    const int y0 = left->ValueToScreen(rect_start_[1]);
    const int x1 = bottom->ValueToScreen(rect_end_[0]);
    const int y1 = left->ValueToScreen(rect_end_[1]);

    std::string time;
    std::string volts[2];
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData* d = GetOscData();
        time = FormatSampleTime(*d, rect_end_[0] - rect_start_[0]);
        const std::uint16_t on[2] = {OSC_CR_CH_A_ON, OSC_CR_CH_B_ON};
        const char* names[2] = {"A:", "B:"};
        for (int c = 0; c < 2; ++c)
            if ((d->osc_cr & on[c]) != 0)
                volts[c] = names[c] + FormatVolts(*d, c, rect_end_[1] - rect_start_[1]);
    }

    CPen pen(PS_SOLID, 1, kRectPen);
    const int saved = dc.SaveDC();
    dc.SelectObject(&pen);
    // Two sides: along the start's row to the shared corner, then up or down to the pointer.
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y0);
    dc.LineTo(x1, y1);
    Cross(dc, x0, y0);
    Cross(dc, x1, y1);

    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kOverlayText);
    dc.SelectObject(&font_);
    dc.SetTextAlign(TA_CENTER | TA_TOP);
    dc.TextOut((x0 + x1) / 2, std::max(y0, y1) + kTextGap, time);
    // Turned text with its top toward the vertical side reads upward beside it.
    dc.SelectObject(&font_rotated_);
    int x = x1 + kTextGap;
    for (const std::string& text : volts)
    {
        if (text.empty())
            continue;
        dc.TextOut(x, (y0 + y1) / 2, text);
        x += kVoltsPitch;
    }
    dc.RestoreDC(saved);
}

// Each shown line of a logic channel carries its net's name, in the channel's colour: A's at the
// plot's left edge, B's at its right, so that two channels drawn over each other keep their
// names apart.
void CVelkaroDlg::DrawNetLabels(CDC& dc, int channel, const CRect& plot)
{
    const CChartAxis* left = chart_.GetLeftAxis();
    if (bus_font_.GetSafeHandle() == 0)
        bus_font_.CreatePointFont(80, "Courier New", &dc);
    const int saved = dc.SaveDC();
    dc.SelectObject(&bus_font_);
    dc.SetTextColor(kBusPen[channel][0]);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign((channel == 0 ? TA_LEFT : TA_RIGHT) | TA_TOP);
    const int x = channel == 0 ? plot.left + kNetLabelInset : plot.right - kNetLabelInset;
    const int height = dc.GetTextExtent(std::string("A")).cy;
    for (int line = 0; line < kLogicLines; ++line)
    {
        if (la_net_display[static_cast<std::size_t>(channel * kLogicLines + line)] == 0)
            continue;
        const double low = snapshot_.offset[channel] + GetNetRowOffset(channel, line);
        const int middle = left->ValueToScreen(low + kBusHigh / 2);
        dc.TextOut(x, middle - height / 2, GetNetName(channel, line));
    }
    dc.RestoreDC(saved);
}

void CVelkaroDlg::DrawBusValues(CDC& dc, int channel)
{
    const CChartAxis* bottom = chart_.GetBottomAxis();
    const CChartAxis* left = chart_.GetLeftAxis();
    if (bus_font_.GetSafeHandle() == 0)
        bus_font_.CreatePointFont(80, "Courier New", &dc);
    CPen fresh(PS_SOLID, 1, kBusPen[channel][0]);
    CPen old(PS_SOLID, 1, kBusPen[channel][1]);
    const int saved = dc.SaveDC();
    dc.SelectObject(&bus_font_);
    dc.SetTextColor(kOverlayText);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_CENTER | TA_TOP);
    dc.SelectObject(&fresh);

    const double offset = snapshot_.offset[channel];
    const int base = left->ValueToScreen(offset);
    const int high = left->ValueToScreen(offset + kBusHigh);
    const int labelY = base - kBusLabelRise;
    const auto& points = snapshot_.logic[channel];

    // A run of one value ends: it gets its value centred over it when the value fits.
    auto endRun = [&](int start, int end, int value) {
        if (value < 0 || end <= start)
            return;
        const std::string label = BusRunLabel(static_cast<unsigned>(value), bus_radix, end - start);
        if (label.empty())
            return;
        const int xs = bottom->ValueToScreen(start - 0.5);
        const int xe = bottom->ValueToScreen(end - 0.5);
        dc.TextOut((xs + xe) / 2, labelY, label);
    };

    const int received = snapshot_.received;
    int runStart = 0;
    int previous = 0;
    bool inRun = false;
    for (int x = 0; x < SCREEN_POINTS;)
    {
        if (x == received)
        {
            if (inRun)
                endRun(runStart, x, previous);
            dc.SelectObject(&old);
            x += kSweepGap;
            inRun = false;
            continue;
        }
        const int value = BusValue(points[x]);
        if (!inRun)
        {
            inRun = true;
            runStart = x;
        }
        else if (value != previous || value < 0)
        {
            VerticalLine(dc, bottom->ValueToScreen(x - 0.5), base, high);
            endRun(runStart, x, previous);
            runStart = x;
        }
        previous = value;
        ++x;
    }
    if (inRun)
        endRun(runStart, SCREEN_POINTS, previous);
    dc.RestoreDC(saved);
}

void CVelkaroDlg::DrawRecorderRuler(CDC& dc, const CRect&)
{
    double secondsPerPoint = 0;
    double first = 0;
    bool timeOfDay = false;
    std::int64_t startOfDayMs = 0;
    std::int32_t xOffset = 0;
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData* d = GetOscData();
        const double out = static_cast<double>(d->x_zoom_out_hw) * d->x_zoom_out_sw;
        const unsigned rate = d->GetSampleRateKHz();
        if (out <= 0 || d->x_zoom_in <= 0 || rate == 0)
            return;
        secondsPerPoint = out / d->x_zoom_in * (static_cast<double>(d->x_skip) + 1) / (rate * 1000.0);
        xOffset = d->x_offset;
        first = xOffset * secondsPerPoint;
        if (extra_tick_full_time != 0 && !d->recorder_start_time.is_special())
        {
            timeOfDay = true;
            startOfDayMs = d->recorder_start_time.time_of_day().total_milliseconds();
        }
    }
    const double last = first + kScreenRight * secondsPerPoint;
    const double step = ChooseRulerStep(last - first);
    const double minor = step / kMinorPerMajor;
    const bool withMillis = step < 1.0;

    const CChartAxis* bottom = chart_.GetBottomAxis();
    const CChartAxis* left = chart_.GetLeftAxis();
    const int yBottom = left->ValueToScreen(kRulerBottom);
    const int yMajor = left->ValueToScreen(kMajorTop);
    const int yMinor = left->ValueToScreen(kMinorTop);

    CPen pen(PS_SOLID, 1, kOverlayText);
    const int saved = dc.SaveDC();
    dc.SelectObject(&pen);
    dc.SelectObject(&font_rotated_);
    dc.SetTextColor(kOverlayText);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    const double k0 = std::ceil(first / minor - 1e-9);
    for (int i = 0; i < kMaxRulerTicks; ++i)
    {
        const double k = k0 + i;
        const double t = k * minor;
        if (t > last + 1e-12)
            break;
        const int x = bottom->ValueToScreen(t / secondsPerPoint - xOffset);
        const bool major = std::fmod(k, kMinorPerMajor) == 0;
        VerticalLine(dc, x, yBottom, major ? yMajor : yMinor);
        if (!major)
            continue;
        std::int64_t ms = std::llround(t * 1000);
        if (timeOfDay)
            ms = (startOfDayMs + ms) % kMillisPerDay;
        dc.TextOut(x, yMajor - kTextGap, FormatRulerLabel(ms, withMillis, timeOfDay));
    }
    dc.RestoreDC(saved);
}
