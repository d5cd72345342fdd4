// The main chart read back from its series after ticks on a known model.

#include "app/main/testing/MainWindowFixture.h"

#include "core/data/OscData.h"
#include "widgets/chart/ChartBiLineSerie.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <vector>

namespace {

std::vector<SeriePoint> PointsOf(const CChartSerie* s)
{
    std::vector<SeriePoint> points;
    for (unsigned i = 0; i < s->GetPointsCount(); ++i)
        points.push_back(s->GetPoint(i));
    return points;
}

class MainChartTest : public MainWindowTest {
protected:
    // Channel A alone, analog, unscaled and centred, no trigger, the timer stopped so that
    // only the test's ticks draw.
    static void Prepare(CVelkaroDlg& d, const std::function<void(OscData&)>& more = {})
    {
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        WithData([&](OscData& data) {
            data.osc_cr = OSC_CR_CH_A_ON;
            data.mode &= ~(MODE_STOPPED | MODE_WAIT_TRIGGER | MODE_RECORDER);
            data.status = 0;
            for (int c = 0; c < SCREEN_TRACES; ++c)
            {
                data.gain_sel[c] = data.gain_ref[c] = 1;
                data.y_offset[c] = 0;
            }
            if (more)
                more(data);
        });
    }
};

TEST_F(MainChartTest, SeriesAreMadeInDrawingOrderWithNamesAndColours)
{
    RunWindow([&](CVelkaroDlg& d) {
        struct Row {
            const char* name;
            COLORREF colour;
        };
        const Row rows[12] = {{"Канал A", 0x0000FF},          {"", 0x0000C8}, {"Канал B", 0x00FF00}, {"", 0x00C800},
                              {"Канал математики", 0xFFFF00}, {"", 0xC8C800}, {"Канал A", 0x0000FF}, {"", 0x0000C8},
                              {"Канал B", 0x00FF00},          {"", 0x00C800}, {"Канал математики", 0xFFFF00},
                              {"", 0xC8C800}};
        const CChartCtrl::SerieMap& series = d.GetChart().GetSeries();
        // 12 traces, 48 logic lines, 15 marker series.
        ASSERT_EQ(series.size(), 75u);
        auto it = series.begin();
        for (int i = 0; i < 12; ++i, ++it)
        {
            EXPECT_EQ(it->second->GetName(), rows[i].name) << i;
            EXPECT_EQ(it->second->GetColor(), rows[i].colour) << i;
            EXPECT_EQ(it->second == d.GetLineSerie(i / 2 % 3, i % 2), i < 6) << i;
        }
        EXPECT_EQ(static_cast<CChartBiLineSerie*>(series.at(d.GetBandSerie(0, 1)->GetSerieId()))->GetBrushColor(),
                  0x000096u);
        // Logic lines: A, B, math; line 7 down to 0; new then old.
        EXPECT_EQ(it->second->GetName(), "Канал A[7]");
        EXPECT_EQ(it->second, d.GetLogicSerie(0, 0, 7));
        ++it;
        EXPECT_EQ(it->second->GetName(), "");
        EXPECT_EQ(it->second, d.GetLogicSerie(0, 1, 7));
        EXPECT_EQ(d.GetLogicSerie(2, 0, 0)->GetName(), "Канал математики[0]");
        EXPECT_EQ(d.zero_marker[0].line->GetName(), "'0' канала A");
        EXPECT_EQ(d.buffer_limit_marker.line->GetColor(), 0xC83232u);
        EXPECT_TRUE(d.trigger_level_marker.line->NotifiesClicks());
        EXPECT_FALSE(d.trigger_offset_marker.line->NotifiesClicks());

        d.SetMathSeriesNames(2);
        EXPECT_EQ(d.GetLineSerie(2, 0)->GetName(), "Канал A-B");
        EXPECT_EQ(d.GetBandSerie(2, 0)->GetName(), "Канал A-B");
        EXPECT_EQ(d.GetLogicSerie(2, 0, 3)->GetName(), "Канал A-B [3]");
    });
}

TEST_F(MainChartTest, PartFrameSweepsOverTheOldOne)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d, [](OscData& data) {
            data.valid_points = 120;
            for (int x = 0; x < SCREEN_POINTS; ++x)
                data.screen_points[0][x] = x % 100 - 50;
        });
        Tick(d);
        const int zero = d.GetSnapshot().zero[0];
        const auto fresh = PointsOf(d.GetLineSerie(0, 0));
        ASSERT_EQ(fresh.size(), 120u);
        for (int x = 0; x < 120; ++x)
        {
            EXPECT_DOUBLE_EQ(fresh[x].X, x);
            EXPECT_DOUBLE_EQ(fresh[x].Y, x % 100 - 50 - zero);
        }
        const auto old = PointsOf(d.GetLineSerie(0, 1));
        ASSERT_EQ(old.size(), 177u);
        EXPECT_DOUBLE_EQ(old.front().X, 123);
        EXPECT_DOUBLE_EQ(old.back().X, 299);
        const auto limit = PointsOf(d.buffer_limit_marker.line);
        ASSERT_EQ(limit.size(), 2u);
        EXPECT_DOUBLE_EQ(limit[0].X, 120);
        EXPECT_DOUBLE_EQ(limit[1].X, 120);
        // Channel B is off: nothing of it.
        EXPECT_EQ(d.GetLineSerie(1, 0)->GetPointsCount(), 0u);

        // A complete frame: no old data and no limit line.
        WithData([](OscData& data) { data.valid_points = 300; });
        Tick(d);
        EXPECT_EQ(d.GetLineSerie(0, 0)->GetPointsCount(), 300u);
        EXPECT_EQ(d.GetLineSerie(0, 1)->GetPointsCount(), 0u);
        EXPECT_EQ(d.buffer_limit_marker.line->GetPointsCount(), 0u);
    });
}

TEST_F(MainChartTest, MinMaxBandWithTrailOnItsMiddle)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.trail_on = 1;
        Prepare(d, [](OscData& data) {
            data.osc_cr |= OSC_CR_MIN_MAX;
            data.valid_points = 300;
            data.status |= STATUS_FRAME_READY;
            for (int x = 0; x < SCREEN_POINTS; ++x)
            {
                data.screen_points[0][2 * x] = x % 20 - 30;
                data.screen_points[0][2 * x + 1] = x % 20;
            }
        });
        Tick(d);
        const int zero = d.GetSnapshot().zero[0];
        const auto band = PointsOf(d.GetBandSerie(0, 0));
        ASSERT_EQ(band.size(), 600u);
        ASSERT_EQ(d.GetTrail(0).size(), 1u);
        const auto trail = PointsOf(d.GetTrail(0).front());
        ASSERT_EQ(trail.size(), 300u);
        for (int x = 0; x < SCREEN_POINTS; ++x)
        {
            EXPECT_DOUBLE_EQ(band[2 * x].X, x);
            EXPECT_DOUBLE_EQ(band[2 * x].Y, x % 20 - 30 - zero);
            EXPECT_DOUBLE_EQ(band[2 * x + 1].Y, x % 20 - zero);
            EXPECT_DOUBLE_EQ(trail[x].Y, x % 20 - 15 - zero);
        }
        EXPECT_EQ(d.GetLineSerie(0, 0)->GetPointsCount(), 0u);
    });
}

TEST_F(MainChartTest, LogicRowsCountDisplayedLinesOnly)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.la_net_display.fill(0);
        d.la_net_display[2] = 1;
        d.la_net_display[5] = 1;
        Prepare(d, [](OscData& data) {
            data.osc_cr |= OSC_CR_LOGIC_A;
            data.y_offset[0] = -100;
            data.valid_points = 300;
            for (int x = 0; x < SCREEN_POINTS; ++x)
            {
                data.logic_points[0][x][2] = x < 150 ? 0 : 2;
                data.logic_points[0][x][5] = 1;
            }
        });
        Tick(d);
        const auto low = PointsOf(d.GetLogicSerie(0, 0, 2));
        const std::vector<SeriePoint> expectedLow = {
            {0.01, -100, 0}, {0.01, -100, 0}, {149.5, -100, 0}, {149.5, -100, 0},
            {149.51, -92, 0}, {149.51, -92, 0}, {299, -92, 0}, {299, -92, 0}};
        ASSERT_EQ(low.size(), expectedLow.size());
        for (std::size_t i = 0; i < low.size(); ++i)
        {
            EXPECT_DOUBLE_EQ(low[i].X, expectedLow[i].X) << i;
            EXPECT_DOUBLE_EQ(low[i].Y, expectedLow[i].Y) << i;
        }
        // The second displayed line is one row up, and changing throughout: a band.
        const auto busy = PointsOf(d.GetLogicSerie(0, 0, 5));
        ASSERT_EQ(busy.size(), 4u);
        EXPECT_DOUBLE_EQ(busy[0].Y, -90);
        EXPECT_DOUBLE_EQ(busy[1].Y, -82);
        for (int line : {0, 1, 3, 4, 6, 7})
            EXPECT_EQ(d.GetLogicSerie(0, 0, line)->GetPointsCount(), 0u) << line;
        EXPECT_EQ(d.GetLineSerie(0, 0)->GetPointsCount(), 0u);
    });
}

TEST_F(MainChartTest, TriggerLevelOffScreenShowsOnlyAnArrow)
{
    struct Case {
        int level;
        bool line;
        double arrowY;
        int shape;
    };
    const Case cases[] = {
        {200, false, 124, CChartPointsSerie::TriangleUp},
        {-300, false, -125, CChartPointsSerie::TriangleDown},
        {40, true, 40, CChartPointsSerie::TriangleLeft},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases)
        {
            Prepare(d, [&](OscData& data) {
                data.osc_cr |= OSC_CR_TRIGGER_ON;
                data.trigger_level[0] = c.level;
            });
            d.level_countdown = CVelkaroDlg::kMarkerShowTicks;
            Tick(d);
            EXPECT_EQ(d.trigger_level_marker.line->GetPointsCount(), c.line ? 2u : 0u) << c.level;
            const auto arrow = PointsOf(d.trigger_level_arrow);
            ASSERT_EQ(arrow.size(), 1u) << c.level;
            EXPECT_DOUBLE_EQ(arrow[0].X, 297);
            EXPECT_DOUBLE_EQ(arrow[0].Y, c.arrowY);
            EXPECT_EQ(d.trigger_level_arrow->GetPointType(), c.shape) << c.level;
        }
    });
}

TEST_F(MainChartTest, TriggerOffsetArrowMarksThePositionOrTheSideItIsOn)
{
    struct Case {
        int samples;
        int extra;
        int zoomOutHw;
        bool line;
        double arrowX;
        int shape;
    };
    const Case cases[] = {
        {0, 0, 1, true, 150, CChartPointsSerie::TriangleDown},
        {-200, 10, 2, true, 60, CChartPointsSerie::TriangleDown},
        {-400, 0, 1, false, 3, CChartPointsSerie::TriangleLeft},
        {0, 151, 1, false, 297, CChartPointsSerie::TriangleRight},
        {150, 0, 1, true, 300, CChartPointsSerie::TriangleDown},
    };
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases)
        {
            Prepare(d, [&](OscData& data) {
                data.osc_cr |= OSC_CR_TRIGGER_ON;
                data.trigger_offset_samples = c.samples;
                data.trigger_offset_extra = c.extra;
                data.x_zoom_out_hw = c.zoomOutHw;
                data.x_zoom_out_sw = 1;
                data.x_zoom_in = 1;
            });
            d.offset_countdown = CVelkaroDlg::kMarkerShowTicks;
            Tick(d);
            const auto line = PointsOf(d.trigger_offset_marker.line);
            ASSERT_EQ(line.size(), c.line ? 2u : 0u) << c.samples;
            if (c.line)
            {
                EXPECT_DOUBLE_EQ(line[0].X, c.arrowX);
            }
            const auto arrow = PointsOf(d.trigger_offset_arrow);
            ASSERT_EQ(arrow.size(), 1u);
            EXPECT_DOUBLE_EQ(arrow[0].X, c.arrowX) << c.samples;
            EXPECT_DOUBLE_EQ(arrow[0].Y, 124);
            EXPECT_EQ(d.trigger_offset_arrow->GetPointType(), c.shape) << c.samples;
        }
        // Once the countdown has run out only the arrow stays.
        d.offset_countdown = 1;
        Tick(d);
        Tick(d);
        EXPECT_EQ(d.trigger_offset_marker.line->GetPointsCount(), 0u);
        EXPECT_EQ(d.trigger_offset_arrow->GetPointsCount(), 1u);
    });
}

TEST_F(MainChartTest, ATickRepaintsTheChartOnlyWhenWhatItShowsChanged)
{
    RunWindow([&](CVelkaroDlg& d) {
        // A still picture with markers that are set again at every tick: the trigger line and
        // its arrow kept shown, and the offset arrow.
        d.not_hide_trigger_level = d.not_hide_trigger_offset = 1;
        d.level_countdown = d.offset_countdown = CVelkaroDlg::kMarkerShowTicks;
        Prepare(d, [](OscData& data) {
            data.osc_cr |= OSC_CR_TRIGGER_ON;
            data.valid_points = 200;
            for (int x = 0; x < SCREEN_POINTS; ++x)
                data.screen_points[0][x] = x % 50 - 25;
        });
        PaintCounter paints(uitest::WidgetOf(&d.GetChart()));
        Tick(d);
        paints.Take();
        ASSERT_EQ(d.GetSnapshot().trigger_source, 1);
        ASSERT_GT(d.trigger_level_marker.line->GetPointsCount(), 0u);
        ASSERT_GT(d.trigger_offset_arrow->GetPointsCount(), 0u);

        for (int i = 0; i < 5; ++i)
            Tick(d);
        EXPECT_EQ(paints.Take(), 0) << "ticks with nothing new";

        // A sample of the trace.
        WithData([](OscData& data) { data.screen_points[0][10] += 20; });
        Tick(d);
        EXPECT_GE(paints.Take(), 1) << "a changed sample";
        Tick(d);
        EXPECT_EQ(paints.Take(), 0);

        // The overlay alone: the measuring rectangle dragged out with the left button.
        const CRect plot = d.GetChart().GetPlottingRect();
        uitest::MouseDown(&d.GetChart(), CPoint(plot.left + 40, plot.top + 40));
        uitest::MouseMove(&d.GetChart(), CPoint(plot.left + 120, plot.top + 90), true);
        ASSERT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_RECT);
        paints.Take();
        Tick(d);
        EXPECT_GE(paints.Take(), 1) << "the rectangle being dragged";
        Tick(d);
        EXPECT_EQ(paints.Take(), 0);

        // The trail: every new frame is a generation of it.
        uitest::MouseUp(&d.GetChart(), CPoint(plot.left + 120, plot.top + 90));
        d.trail_on = 1;
        paints.Take();
        WithData([](OscData& data) {
            data.valid_points = SCREEN_POINTS;
            data.status |= STATUS_FRAME_READY | STATUS_TRIGGERED;
        });
        Tick(d);
        EXPECT_GE(paints.Take(), 1) << "a frame with the trail on";
        ASSERT_EQ(d.GetTrail(0).size(), 1u);
    });
}

TEST_F(MainChartTest, TrailKeepsNineteenGenerations)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.trail_on = 1;
        Prepare(d, [](OscData& data) { data.valid_points = 300; });
        const std::size_t base = d.GetChart().GetSeriesCount();
        for (int generation = 1; generation <= 21; ++generation)
        {
            WithData([](OscData& data) { data.status |= STATUS_FRAME_READY; });
            Tick(d);
            const std::size_t kept = std::min(generation, CVelkaroDlg::kTrailGenerations);
            ASSERT_EQ(d.GetTrail(0).size(), kept) << generation;
            // A, B and math each keep a list, drawn or not.
            EXPECT_EQ(d.GetChart().GetSeriesCount(), base + 3 * kept) << generation;
        }
        EXPECT_EQ(d.GetTrail(0).front()->GetColor(), 0x0000FFu);
        EXPECT_EQ(d.GetTrail(0).back()->GetColor(), 255u - 180u);
        EXPECT_EQ(d.GetTrail(1).back()->GetColor(), (255u - 180u) * 0x100u);
        d.ClearTrail(-1);
        EXPECT_TRUE(d.GetTrail(0).empty());
        EXPECT_EQ(d.GetChart().GetSeriesCount(), base);
    });
}

}  // namespace
