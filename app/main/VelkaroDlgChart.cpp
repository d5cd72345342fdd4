// The main chart: its set-up, and how one tick's snapshot becomes its series and markers.

#include "app/main/MarkerWindowLink.h"
#include "app/main/VelkaroDlg.h"

#include "platform/gdi/GdiConstants.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartFastStandardAxis.h"
#include "widgets/chart/ChartGrid.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr COLORREF kScreenGreen = 0x00B400;
constexpr COLORREF kScreenBack = 0x003200;
constexpr COLORREF kGrid = 0x005A00;
constexpr COLORREF kBufferLimit = 0xC83232;
constexpr COLORREF kTrigger = 0x00FFFF;

// The screen: 300 points across, raw sample units up.
constexpr double kYBottom = -128;
constexpr double kYTop = 127;
constexpr double kXRight = 300;
// Points between the new frame and what is left of the old one.
constexpr int kSweepGap = 3;
// Height of a logic row, and the rows' pitch.
constexpr double kLogicHigh = 8;
constexpr double kLogicPitch = 10;
// A step in a logic line is drawn as two pairs this far apart, so it stays vertical.
constexpr double kStep = 0.01;

const char* const kChannelNames[3] = {"Канал A", "Канал B", "Канал математики"};
// [channel][new, old]
constexpr COLORREF kLineColour[3][2] = {{0x0000FF, 0x0000C8}, {0x00FF00, 0x00C800}, {0xFFFF00, 0xC8C800}};
constexpr COLORREF kBandBrush[3][2] = {{0x0000C8, 0x000096}, {0x00C800, 0x009600}, {0xC8C800, 0x969600}};
constexpr COLORREF kTrailColour[3] = {0x0000FF, 0x00FF00, 0xFFFF00};
constexpr std::uint32_t kTrailUnit[3] = {0x1, 0x100, 0x10100};

CChartPointsSerie* MakeArrow(CChartCtrl& chart)
{
    CChartPointsSerie* arrow = chart.CreatePointsSerie();
    arrow->SetColor(kTrigger);
    arrow->SetPointSize(12, 12);
    arrow->SetPointType(CChartPointsSerie::TriangleDown);
    arrow->NotifyClicks(true);
    return arrow;
}

void ClearMarker(ChartMarker& m)
{
    if (m.line != nullptr)
        m.line->RemoveAllPoints();
    if (m.mark != nullptr)
        m.mark->RemoveAllPoints();
}

void Clickable(ChartMarker& m)
{
    if (m.line != nullptr)
        m.line->NotifyClicks(true);
    if (m.mark != nullptr)
        m.mark->NotifyClicks(true);
}

int LogicValue(std::uint8_t v)
{
    return v > 2 ? 2 : v;
}

}  // namespace

void CVelkaroDlg::SetupChart()
{
    // The window owns every drag and paints its overlays after each full redraw.
    mouse_listener_ = std::make_unique<CCustomMouseListener>(this);
    chart_.SetMouseListener(mouse_listener_.get());
    chart_.SetPostDrawFunctor(CChartCtrl::PostDrawFunctor(this, &CVelkaroDlg::DrawChartOverlay));
    chart_.SetWindowPos(nullptr, 0, 0, kChartWidth, kChartHeight, SWP_NOMOVE | SWP_NOZORDER);
    chart_.SuspendRedraw();
    chart_.SetPanEnabled(false);
    chart_.SetZoomEnabled(false);
    chart_.SetEdgeType(0);
    chart_.SetBorderColor(kScreenGreen);
    chart_.SetBackColor(kScreenBack);
    chart_.SetGradientBackground(false);

    bottom_axis_ = new CChartFastStandardAxis();
    chart_.AttachAxis(CChartCtrl::BottomAxis, bottom_axis_);
    bottom_axis_->SetMinMax(0, SCREEN_POINTS - 1);
    bottom_axis_->SetAutomatic(false);
    left_axis_ = new CChartFastStandardAxis();
    chart_.AttachAxis(CChartCtrl::LeftAxis, left_axis_);
    left_axis_->SetMinMax(kYBottom, kYTop);
    left_axis_->SetAutomatic(false);
    for (CChartFastStandardAxis* axis : {bottom_axis_, left_axis_})
    {
        axis->SetAxisColor(kScreenGreen);
        axis->SetTextColor(kScreenGreen);
        axis->GetGrid()->SetColor(kGrid);
        axis->SetTickIncrement(false, 10);
        axis->PrepareMapping();
    }

    CreateSeries();
    CreateMarkers();
    // The marker window's lines are made after the window's own, so they are drawn on top.
    if (MarkerWindowLink* markers = GetMarkerLink())
        markers->AttachToChart(&chart_);

    CChartLegend* legend = chart_.GetLegend();
    legend->DockLegend(CChartLegend::DockRight);
    legend->HideEmptySeries(true);
    legend->SetVisible(show_legend != 0);
    chart_.ResumeRedraw();
    bottom_axis_->PrepareMapping();
    left_axis_->PrepareMapping();
}

void CVelkaroDlg::CreateSeries()
{
    for (int c = 0; c < 3; ++c)
    {
        for (int age = 0; age < 2; ++age)
        {
            auto* line = new CChartLineSerie(&chart_);
            chart_.AddSerie(line);
            line->SetColor(kLineColour[c][age]);
            line->SetName(age == 0 ? kChannelNames[c] : "");
            line_[c][age] = line;
        }
    }
    for (int c = 0; c < 3; ++c)
    {
        for (int age = 0; age < 2; ++age)
        {
            CChartBiLineSerie* band = chart_.CreateBiLineSerie();
            band->SetColor(kLineColour[c][age]);
            band->SetBrushColor(kBandBrush[c][age]);
            band->SetBrushStyle(0);
            band->SetIncremental(false);
            band->SetName(age == 0 ? kChannelNames[c] : "");
            band_[c][age] = band;
        }
    }
    for (int c = 0; c < 3; ++c)
    {
        for (int line = 7; line >= 0; --line)
        {
            for (int age = 0; age < 2; ++age)
            {
                CChartBiLineSerie* s = chart_.CreateBiLineSerie();
                s->SetColor(kLineColour[c][age]);
                s->SetBrushColor(kBandBrush[c][age]);
                s->SetBrushStyle(0);
                s->SetIncremental(false);
                if (age == 0)
                {
                    char name[64];
                    std::snprintf(name, sizeof name, "%s[%d]", kChannelNames[c], line);
                    s->SetName(name);
                }
                logic_[age][c][line] = s;
            }
        }
    }
}

void CVelkaroDlg::CreateMarkers()
{
    const DWORD dots[2] = {0, 5};
    const char* zeroNames[3] = {"'0' канала A", "'0' канала B", "'0' канала математики"};
    const int zeroShapes[3] = {67, 131, 131};
    for (int c = 0; c < 3; ++c)
    {
        zero_marker[c].Create(&chart_, 17, kLineColour[c][0], zeroShapes[c], PS_DOT, 0, nullptr, 0, kXRight);
        zero_marker[c].line->SetName(zeroNames[c]);
    }
    const char* limitNames[2] = {"Границы канала A", "Границы канала B"};
    for (int c = 0; c < 2; ++c)
    {
        for (int edge = 0; edge < 2; ++edge)
            limit_marker[c][edge].Create(&chart_, 16, kLineColour[c][0], 0, ChartMarker::kUserDashes, 2, dots, 0,
                                         kXRight);
        limit_marker[c][0].line->SetName(limitNames[c]);
    }
    buffer_limit_marker.Create(&chart_, 32, kBufferLimit, 0, PS_SOLID, 0, nullptr, kYBottom, kYTop);
    buffer_limit_marker.line->SetName("Граница буффера");
    trigger_level_marker.Create(&chart_, 16, kTrigger, 0, PS_DASHDOT, 0, nullptr, 0, kXRight);
    trigger_level_marker.line->SetName("Уровень триггера");
    trigger_level_arrow = MakeArrow(chart_);
    trigger_offset_marker.Create(&chart_, 32, kTrigger, 0, PS_DASHDOT, 0, nullptr, kYBottom, kYTop);
    trigger_offset_marker.line->SetName("Смещение триггера");
    trigger_offset_arrow = MakeArrow(chart_);
    for (ChartMarker& m : zero_marker)
        Clickable(m);
    Clickable(trigger_level_marker);
}

void CVelkaroDlg::BeginSeriesUpdate()
{
    chart_.SuspendRedraw();
    for (auto& byAge : line_)
        for (CChartLineSerie* s : byAge)
            if (s != nullptr)
                s->RemoveAllPoints();
    for (auto& byAge : band_)
        for (CChartBiLineSerie* s : byAge)
            if (s != nullptr)
                s->RemoveAllPoints();
    for (auto& byChannel : logic_)
        for (auto& byLine : byChannel)
            for (CChartBiLineSerie* s : byLine)
                if (s != nullptr)
                    s->RemoveAllPoints();
    if (trigger_level_arrow != nullptr)
        trigger_level_arrow->RemoveAllPoints();
    // The buffer limit is drawn again only while a frame is incomplete.
    ClearMarker(buffer_limit_marker);
}

double CVelkaroDlg::ToChart(int channel, double raw) const
{
    return (raw - snapshot_.zero[channel]) / snapshot_.gain[channel] + snapshot_.offset[channel];
}

void CVelkaroDlg::FillChannelSeries(int channel, bool newFrame)
{
    if (channel < 0 || channel >= SCREEN_TRACES)
        return;
    const int n = snapshot_.received;
    const bool stoppedView = snapshot_.trigger_source != 0 && (snapshot_.mode & MODE_WAIT_TRIGGER) != 0 &&
                             (snapshot_.mode & MODE_STOPPED) != 0;
    const double shift = stoppedView ? snapshot_.stopped_view_shift : 0;
    CChartLineSerie* trail =
        trail_on != 0 && newFrame && !trail_[channel].empty() ? trail_[channel].front() : nullptr;

    if (snapshot_.logic_mode[channel])
    {
        FillLogic(channel, 0, n, shift, 0);
        FillLogic(channel, n + kSweepGap, SCREEN_POINTS, shift, 1);
    }
    else
    {
        FillAnalog(channel, 0, n, shift, line_[channel][0], band_[channel][0], trail);
        FillAnalog(channel, n + kSweepGap, SCREEN_POINTS, shift, line_[channel][1], band_[channel][1], nullptr);
    }
    if (n < SCREEN_POINTS)
        buffer_limit_marker.SetPosition(n);
}

void CVelkaroDlg::FillAnalog(int channel, int from, int to, double shift, CChartLineSerie* line,
                             CChartBiLineSerie* band, CChartLineSerie* trail)
{
    const std::int32_t* raw = snapshot_.points[channel];
    for (int x = from; x < to; ++x)
    {
        if (snapshot_.min_max != 0)
        {
            const double lo = ToChart(channel, raw[2 * x]);
            const double hi = ToChart(channel, raw[2 * x + 1]);
            if (trail != nullptr)
                trail->AddPoint(x, (lo + hi) / 2);
            band->AddPointPair(x + shift, lo, hi);
        }
        else
        {
            const double y = ToChart(channel, raw[x]);
            if (trail != nullptr)
                trail->AddPoint(x, y);
            line->AddPoint(x + shift, y);
        }
    }
}

void CVelkaroDlg::FillLogic(int channel, int from, int to, double shift, int age)
{
    if (from >= to || channel > 1)
        return;
    const double offset = snapshot_.offset[channel];
    if (digital_bus[channel])
    {
        // The bus values themselves are written by the overlay painter.
        CChartBiLineSerie* s = logic_[age][channel][0];
        s->AddPointPair(from + shift + kStep, offset, offset + kLogicHigh);
        s->AddPointPair(to - 1 + shift, offset, offset + kLogicHigh);
        return;
    }
    int row = 0;
    for (int line = 0; line < 8; ++line)
    {
        if (la_net_display[channel * 8 + line] == 0)
            continue;
        const double r = offset + kLogicPitch * row++;
        CChartBiLineSerie* s = logic_[age][channel][line];
        auto pair = [&](double x, int v) {
            if (v == 1)
                s->AddPointPair(x, r, r + kLogicHigh);
            else
                s->AddPointPair(x, r + 4 * v, r + 4 * v);
        };
        int previous = LogicValue(snapshot_.logic[channel][from][line]);
        pair(from + shift + kStep, previous);
        for (int x = from + 1; x < to; ++x)
        {
            const int v = LogicValue(snapshot_.logic[channel][x][line]);
            if (v != previous)
            {
                pair(x + shift - 0.5, previous);
                pair(x + shift - 0.5 + kStep, v);
            }
            previous = v;
        }
        pair(to - 1 + shift, previous);
    }
}

void CVelkaroDlg::UpdateChannelMarkers()
{
    for (int c = 0; c < SCREEN_TRACES; ++c)
    {
        if (refresh_zero[c] != 0)
        {
            refresh_zero[c] = 0;
            ClearMarker(zero_marker[c]);
            if (snapshot_.enabled[c])
                zero_marker[c].SetPosition(snapshot_.offset[c]);
        }
        if (refresh_limits[c] != 0)
        {
            refresh_limits[c] = 0;
            if (c > 1)
                continue;
            ClearMarker(limit_marker[c][0]);
            ClearMarker(limit_marker[c][1]);
            if (snapshot_.enabled[c] && !snapshot_.logic_mode[c])
            {
                limit_marker[c][0].SetPosition(ToChart(c, 127));
                limit_marker[c][1].SetPosition(ToChart(c, -128));
            }
        }
    }
}

void CVelkaroDlg::UpdateTriggerLevelMarker()
{
    if (level_countdown == 0 && refresh_level == 0)
        return;
    refresh_level = 0;
    ClearMarker(trigger_level_marker);
    trigger_level_arrow->RemoveAllPoints();
    if (level_countdown > 0 && not_hide_trigger_level == 0)
        --level_countdown;
    const int source = snapshot_.trigger_source;
    if ((source != 1 && source != 2) || snapshot_.logic_mode[source - 1])
        return;
    const int c = source - 1;
    const double d = snapshot_.trigger_level[c] / snapshot_.gain[c] + snapshot_.offset[c];
    if (d < kYBottom)
    {
        trigger_level_arrow->SetPointType(CChartPointsSerie::TriangleDown);
        trigger_level_arrow->AddPoint(297, -125);
    }
    else if (d > kYTop)
    {
        trigger_level_arrow->SetPointType(CChartPointsSerie::TriangleUp);
        trigger_level_arrow->AddPoint(297, 124);
    }
    else
    {
        if (level_countdown != 0)
            trigger_level_marker.SetPosition(d);
        trigger_level_arrow->SetPointType(CChartPointsSerie::TriangleLeft);
        trigger_level_arrow->AddPoint(297, d);
    }
}

void CVelkaroDlg::UpdateTriggerOffsetMarker()
{
    if (offset_countdown != 0)
    {
        if (not_hide_trigger_offset == 0)
            --offset_countdown;
        refresh_offset = 1;
    }
    if (snapshot_.trigger_source == 0 || refresh_offset == 0)
        return;
    refresh_offset = 0;
    const std::int64_t out = static_cast<std::int64_t>(snapshot_.x_zoom_out_hw) * snapshot_.x_zoom_out_sw;
    if (out <= 0)
        return;
    const std::int64_t f = static_cast<std::int64_t>(snapshot_.trigger_offset_samples) * snapshot_.x_zoom_in / out +
                           SCREEN_POINTS / 2 + snapshot_.trigger_offset_extra;
    ClearMarker(trigger_offset_marker);
    trigger_offset_arrow->RemoveAllPoints();
    if (f >= 0 && f <= SCREEN_POINTS)
    {
        if (offset_countdown != 0)
            trigger_offset_marker.SetPosition(static_cast<double>(f));
        trigger_offset_arrow->SetPointType(CChartPointsSerie::TriangleDown);
        trigger_offset_arrow->AddPoint(static_cast<double>(f), 124);
    }
    else if (f < 0)
    {
        trigger_offset_arrow->SetPointType(CChartPointsSerie::TriangleLeft);
        trigger_offset_arrow->AddPoint(3, 124);
    }
    else
    {
        trigger_offset_arrow->SetPointType(CChartPointsSerie::TriangleRight);
        trigger_offset_arrow->AddPoint(297, 124);
    }
}

void CVelkaroDlg::StartTrailGeneration()
{
    for (int c = 0; c < SCREEN_TRACES; ++c)
    {
        auto* s = new CChartLineSerie(&chart_);
        chart_.AddSerie(s);
        s->SetColor(kTrailColour[c]);
        trail_[c].push_front(s);
    }
}

void CVelkaroDlg::AgeTrail()
{
    for (int c = 0; c < SCREEN_TRACES; ++c)
    {
        int age = 0;
        for (auto it = trail_[c].begin(); it != trail_[c].end(); ++age)
        {
            if (age < kTrailGenerations)
            {
                const std::uint32_t v = 255 - 10 * static_cast<std::uint32_t>(age);
                (*it)->SetColor(v * kTrailUnit[c]);
                ++it;
            }
            else
            {
                chart_.RemoveSerie((*it)->GetSerieId());
                it = trail_[c].erase(it);
            }
        }
    }
}

void CVelkaroDlg::ClearTrail(int channel)
{
    if (trail_on == 0)
        return;
    chart_.SuspendRedraw();
    for (int c = 0; c < SCREEN_TRACES; ++c)
    {
        if (channel != -1 && channel != c)
            continue;
        for (CChartLineSerie* s : trail_[c])
            chart_.RemoveSerie(s->GetSerieId());
        trail_[c].clear();
    }
    chart_.ResumeRedraw();
}

void CVelkaroDlg::SetMathSeriesNames(int operation)
{
    static const char* const names[4] = {"Канал математики", "Канал A+B", "Канал A-B", "Канал B-A"};
    if (operation < 0 || operation > 3 || line_[2][0] == nullptr)
        return;
    line_[2][0]->SetName(names[operation]);
    band_[2][0]->SetName(names[operation]);
    for (int line = 7; line >= 0; --line)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s [%d]", names[operation], line);
        logic_[0][2][line]->SetName(name);
    }
}
