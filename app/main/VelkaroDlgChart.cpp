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
#include <utility>

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

// Puts the arrow's one point at (x, y) with the shape; an arrow already there is left alone.
void PlaceArrow(CChartPointsSerie* arrow, int shape, double x, double y)
{
    if (arrow == nullptr)
        return;
    if (arrow->GetPointsCount() == 1 && arrow->GetPoint(0).X == x && arrow->GetPoint(0).Y == y &&
        arrow->GetPointType() == shape)
        return;
    arrow->RemoveAllPoints();
    if (arrow->GetPointType() != shape)
        arrow->SetPointType(shape);
    arrow->AddPoint(x, y);
}

void HideArrow(CChartPointsSerie* arrow)
{
    if (arrow != nullptr)
        arrow->RemoveAllPoints();
}

// The series holds as many points as the staged list gives it (`perEntry` values a point).
bool HoldsCount(const CChartSerie* s, const TraceFill::Points& staged, std::size_t perEntry, unsigned pointsPerEntry)
{
    return s == nullptr || s->GetPointsCount() == staged.size() / perEntry * pointsPerEntry;
}

void ShowLine(CChartLineSerie* s, const TraceFill::Points& points)
{
    if (s == nullptr)
        return;
    s->RemoveAllPoints();
    for (std::size_t i = 0; i + 1 < points.size(); i += 2)
        s->AddPoint(points[i], points[i + 1]);
}

void ShowBand(CChartBiLineSerie* s, const TraceFill::Points& points)
{
    if (s == nullptr)
        return;
    s->RemoveAllPoints();
    for (std::size_t i = 0; i + 2 < points.size(); i += 3)
        s->AddPointPair(points[i], points[i + 1], points[i + 2]);
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

void CVelkaroDlg::BeginChartUpdate()
{
    // Everything the tick changes on the chart ends in one redraw, when it ends.
    chart_.SuspendRedraw();
    trace_fill_.Clear();
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
    TraceFill::Points* trail = trail_on != 0 && newFrame ? &trace_fill_.trail[channel] : nullptr;

    if (snapshot_.logic_mode[channel])
    {
        FillLogic(channel, 0, n, shift, 0);
        FillLogic(channel, n + kSweepGap, SCREEN_POINTS, shift, 1);
    }
    else
    {
        FillAnalog(channel, 0, n, shift, trace_fill_.line[channel][0], trace_fill_.band[channel][0], trail);
        FillAnalog(channel, n + kSweepGap, SCREEN_POINTS, shift, trace_fill_.line[channel][1],
                   trace_fill_.band[channel][1], nullptr);
    }
    if (n < SCREEN_POINTS)
        trace_fill_.buffer_limit = n;
}

void CVelkaroDlg::FillAnalog(int channel, int from, int to, double shift, TraceFill::Points& line,
                             TraceFill::Points& band, TraceFill::Points* trail)
{
    const std::int32_t* raw = snapshot_.points[channel];
    for (int x = from; x < to; ++x)
    {
        if (snapshot_.min_max != 0)
        {
            const double lo = ToChart(channel, raw[2 * x]);
            const double hi = ToChart(channel, raw[2 * x + 1]);
            if (trail != nullptr)
                TraceFill::Add(*trail, x, (lo + hi) / 2);
            TraceFill::AddPair(band, x + shift, lo, hi);
        }
        else
        {
            const double y = ToChart(channel, raw[x]);
            if (trail != nullptr)
                TraceFill::Add(*trail, x, y);
            TraceFill::Add(line, x + shift, y);
        }
    }
}

void CVelkaroDlg::FillLogic(int channel, int from, int to, double shift, int age)
{
    if (from >= to || channel > 1)
        return;
    const double offset = snapshot_.offset[channel];
    auto& lists = trace_fill_.logic[static_cast<std::size_t>(age)][static_cast<std::size_t>(channel)];
    if (digital_bus[channel])
    {
        // The bus values themselves are written by the overlay painter.
        TraceFill::AddPair(lists[0], from + shift + kStep, offset, offset + kLogicHigh);
        TraceFill::AddPair(lists[0], to - 1 + shift, offset, offset + kLogicHigh);
        return;
    }
    int row = 0;
    for (int line = 0; line < 8; ++line)
    {
        if (la_net_display[channel * 8 + line] == 0)
            continue;
        const double r = offset + kLogicPitch * row++;
        TraceFill::Points& s = lists[static_cast<std::size_t>(line)];
        auto pair = [&](double x, int v) {
            if (v == 1)
                TraceFill::AddPair(s, x, r, r + kLogicHigh);
            else
                TraceFill::AddPair(s, x, r + 4 * v, r + 4 * v);
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

bool CVelkaroDlg::TracesStillShown() const
{
    // The series are filled only here, but a handler may have emptied some (a change of the
    // capture form does): then they no longer hold what was shown.
    for (int c = 0; c < SCREEN_TRACES; ++c)
        for (int age = 0; age < 2; ++age)
        {
            if (!HoldsCount(line_[c][age], shown_traces_.line[c][age], 2, 1) ||
                !HoldsCount(band_[c][age], shown_traces_.band[c][age], 3, 2))
                return false;
            for (int line = 0; line < 8; ++line)
                if (!HoldsCount(logic_[age][c][line], shown_traces_.logic[age][c][line], 3, 2))
                    return false;
        }
    return true;
}

void CVelkaroDlg::ShowTraces(bool generation)
{
    if (generation)
    {
        StartTrailGeneration();
        for (int c = 0; c < SCREEN_TRACES; ++c)
            if (!trail_[c].empty())
                ShowLine(trail_[c].front(), trace_fill_.trail[c]);
    }
    if (trace_fill_.SameTraces(shown_traces_) && TracesStillShown())
    {
        if (generation)
            AgeTrail();
        return;
    }
    for (int c = 0; c < SCREEN_TRACES; ++c)
        for (int age = 0; age < 2; ++age)
        {
            ShowLine(line_[c][age], trace_fill_.line[c][age]);
            ShowBand(band_[c][age], trace_fill_.band[c][age]);
            for (int line = 0; line < 8; ++line)
                ShowBand(logic_[age][c][line], trace_fill_.logic[age][c][line]);
        }
    if (trace_fill_.buffer_limit >= 0)
        buffer_limit_marker.SetPosition(trace_fill_.buffer_limit);
    else
        buffer_limit_marker.Hide();
    if (generation)
        AgeTrail();
    // The staged lists become the shown ones; the old ones keep their room for the next tick.
    std::swap(trace_fill_, shown_traces_);
}

void CVelkaroDlg::UpdateChannelMarkers()
{
    for (int c = 0; c < SCREEN_TRACES; ++c)
    {
        if (refresh_zero[c] != 0)
        {
            refresh_zero[c] = 0;
            if (snapshot_.enabled[c])
                zero_marker[c].SetPosition(snapshot_.offset[c]);
            else
                zero_marker[c].Hide();
        }
        if (refresh_limits[c] != 0)
        {
            refresh_limits[c] = 0;
            if (c > 1)
                continue;
            if (snapshot_.enabled[c] && !snapshot_.logic_mode[c])
            {
                limit_marker[c][0].SetPosition(ToChart(c, 127));
                limit_marker[c][1].SetPosition(ToChart(c, -128));
            }
            else
            {
                limit_marker[c][0].Hide();
                limit_marker[c][1].Hide();
            }
        }
    }
}

void CVelkaroDlg::UpdateTriggerLevelMarker()
{
    // The level's arrow shows while the level is being looked at (the line's countdown) or
    // was just changed.
    if (level_countdown == 0 && refresh_level == 0)
    {
        HideArrow(trigger_level_arrow);
        return;
    }
    refresh_level = 0;
    if (level_countdown > 0 && not_hide_trigger_level == 0)
        --level_countdown;
    const int source = snapshot_.trigger_source;
    if ((source != 1 && source != 2) || snapshot_.logic_mode[source - 1])
    {
        trigger_level_marker.Hide();
        HideArrow(trigger_level_arrow);
        return;
    }
    const int c = source - 1;
    const double d = snapshot_.trigger_level[c] / snapshot_.gain[c] + snapshot_.offset[c];
    const bool onScreen = d >= kYBottom && d <= kYTop;
    if (onScreen && level_countdown != 0)
        trigger_level_marker.SetPosition(d);
    else
        trigger_level_marker.Hide();
    if (d < kYBottom)
        PlaceArrow(trigger_level_arrow, CChartPointsSerie::TriangleDown, 297, -125);
    else if (d > kYTop)
        PlaceArrow(trigger_level_arrow, CChartPointsSerie::TriangleUp, 297, 124);
    else
        PlaceArrow(trigger_level_arrow, CChartPointsSerie::TriangleLeft, 297, d);
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
    if (f >= 0 && f <= SCREEN_POINTS && offset_countdown != 0)
        trigger_offset_marker.SetPosition(static_cast<double>(f));
    else
        trigger_offset_marker.Hide();
    if (f >= 0 && f <= SCREEN_POINTS)
        PlaceArrow(trigger_offset_arrow, CChartPointsSerie::TriangleDown, static_cast<double>(f), 124);
    else if (f < 0)
        PlaceArrow(trigger_offset_arrow, CChartPointsSerie::TriangleLeft, 3, 124);
    else
        PlaceArrow(trigger_offset_arrow, CChartPointsSerie::TriangleRight, 297, 124);
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
