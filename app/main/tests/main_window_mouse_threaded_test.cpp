// The main chart under the mouse: drags of the trigger lines and zero lines, the measuring
// rectangle, the right-button zoom window, and what the overlay painter draws, with real
// button events through the window system's path at pixels taken from the chart's axes.

#include "app/main/testing/MainWindowFixture.h"

#include "app/main/SettingSteps.h"
#include "core/measure/OscFormat.h"
#include "platform/gdi/RecordingDC.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <boost/date_time/posix_time/posix_time.hpp>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

class ChartMouseTest : public MainWindowTest {
protected:
    // Both channels analog and unscaled, zero lines of A at -60 and of B at 60, no trigger,
    // running; the timer stopped so that only the test's ticks draw.
    static void Prepare(CVelkaroDlg& d, const std::function<void(OscData&)>& more = {})
    {
        d.KillTimer(CVelkaroDlg::kTickTimerId);
        WithData([&](OscData& data) {
            SetTriggerSource(data, 0);
            data.osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
            data.mode &= ~(MODE_STOPPED | MODE_WAIT_TRIGGER | MODE_RECORDER);
            data.status = 0;
            data.valid_points = SCREEN_POINTS;
            for (int c = 0; c < SCREEN_TRACES; ++c)
                data.gain_sel[c] = data.gain_ref[c] = 1;
            data.y_offset[0] = -60;
            data.y_offset[1] = 60;
            data.y_offset[2] = 0;
            data.trigger_level[0] = data.trigger_level[1] = 0;
            if (more)
                more(data);
        });
        d.refresh_zero = {1, 1, 1};
        Tick(d);
    }

    static CChartCtrl* Chart(CVelkaroDlg& d) { return &d.GetChart(); }
    static CPoint At(CVelkaroDlg& d, double x, double y)
    {
        return CPoint(d.GetChart().GetBottomAxis()->ValueToScreen(x), d.GetChart().GetLeftAxis()->ValueToScreen(y));
    }
    static double Vx(CVelkaroDlg& d, CPoint p) { return d.GetChart().GetBottomAxis()->ScreenToValue(p.x); }
    static double Vy(CVelkaroDlg& d, CPoint p) { return d.GetChart().GetLeftAxis()->ScreenToValue(p.y); }

    // Everything one tick draws on the chart's image, the overlay included.
    static std::vector<GdiRecord> RecordTick(CVelkaroDlg& d)
    {
        std::vector<GdiRecord> records;
        CDC* image = d.GetChart().GetMemoryDC();
        EXPECT_NE(image, nullptr);
        if (image == nullptr)
            return records;
        image->SetRecording(&records);
        Tick(d);
        image->SetRecording(nullptr);
        return records;
    }

    // Everything the chart shows after a tick, whether or not the tick had to redraw it: the
    // tick, then a full redraw recorded.
    static std::vector<GdiRecord> RecordShown(CVelkaroDlg& d)
    {
        Tick(d);
        std::vector<GdiRecord> records;
        CDC* image = d.GetChart().GetMemoryDC();
        EXPECT_NE(image, nullptr);
        if (image == nullptr)
            return records;
        image->SetRecording(&records);
        d.GetChart().Redraw();
        image->SetRecording(nullptr);
        return records;
    }

    static std::vector<GdiRecord> Lines(const std::vector<GdiRecord>& records, COLORREF pen)
    {
        std::vector<GdiRecord> out;
        for (const GdiRecord& r : records)
            if (r.op == "LineTo" && r.penColor == pen)
                out.push_back(r);
        return out;
    }

    static std::vector<GdiRecord> Texts(const std::vector<GdiRecord>& records, COLORREF colour)
    {
        std::vector<GdiRecord> out;
        for (const GdiRecord& r : records)
            if ((r.op == "TextOut" || r.op == "ExtTextOut") && r.textColor == colour)
                out.push_back(r);
        return out;
    }

    static void Drag(CVelkaroDlg& d, CPoint from, CPoint to)
    {
        uitest::MouseDown(Chart(d), from);
        uitest::MouseMove(Chart(d), to, true);
    }

    static bool Shown(const ChartMarker& m) { return m.line->GetPointsCount() > 0; }
};

constexpr COLORREF kOverlayText = 0xFFC8C8;

TEST_F(ChartMouseTest, ZeroLinesFollowTheLeftButton)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d);
        for (int channel = 0; channel < 2; ++channel)
        {
            const double from = channel == 0 ? -60 : 60;
            const CPoint to = At(d, 100, channel == 0 ? -20 : 90);
            Drag(d, At(d, 100, from), to);
            EXPECT_EQ(d.GetDragMode(), channel == 0 ? CVelkaroDlg::DRAG_ZERO_A : CVelkaroDlg::DRAG_ZERO_B);
            uitest::MouseUp(Chart(d), to);
            EXPECT_EQ(d.GetDragMode(), 0);
            WithData([&](OscData& data) {
                EXPECT_EQ(data.y_offset[channel], static_cast<int>(Vy(d, to))) << channel;
                EXPECT_EQ(data.y_offset[1 - channel], channel == 0 ? 60 : static_cast<int>(Vy(d, At(d, 100, -20))));
            });
            Tick(d);
        }

        // A switched-off channel's line is not there to be grabbed: the press starts a rectangle.
        WithData([](OscData& data) { data.osc_cr &= ~OSC_CR_CH_B_ON; });
        d.refresh_zero = {1, 1, 1};
        Tick(d);
        const CPoint press = At(d, 200, 90);
        uitest::MouseDown(Chart(d), press);
        EXPECT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_RECT);
        uitest::MouseUp(Chart(d), press);
    });
}

TEST_F(ChartMouseTest, TriggerLevelDragSetsTheLevelAndKeepsTheLineFiveSeconds)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d, [](OscData& data) {
            SetTriggerSource(data, 1);
            data.trigger_level[0] = 20;
            data.gain_sel[0] = 2;  // two raw units a screen unit
        });
        d.level_countdown = CVelkaroDlg::kMarkerShowTicks;
        Tick(d);
        // The arrow stands at the level in screen units: 20 / 2 - 60.
        ASSERT_EQ(d.trigger_level_arrow->GetPointsCount(), 1u);
        EXPECT_DOUBLE_EQ(d.trigger_level_arrow->GetPoint(0).Y, -50);

        const CPoint to = At(d, 150, -30);
        Drag(d, At(d, 297, -50), to);
        EXPECT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_LEVEL);
        WithData([&](OscData& data) {
            EXPECT_EQ(data.trigger_level[0], static_cast<int>((Vy(d, to) + 60) * 2));
            EXPECT_NE(data.status & STATUS_REDRAW, 0u);
        });
        uitest::MouseUp(Chart(d), to);
        EXPECT_EQ(d.GetDragMode(), 0);
        EXPECT_EQ(d.level_countdown, CVelkaroDlg::kMarkerShowTicks);
        for (int tick = 1; tick < CVelkaroDlg::kMarkerShowTicks; ++tick)
        {
            Tick(d);
            ASSERT_TRUE(Shown(d.trigger_level_marker)) << tick;
        }
        Tick(d);
        EXPECT_FALSE(Shown(d.trigger_level_marker));
    });
}

TEST_F(ChartMouseTest, TriggerPositionDragHidesItsLineAtTheNextTick)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d, [](OscData& data) {
            SetTriggerSource(data, 1);
            data.mode |= MODE_STOPPED;
            data.trigger_offset_samples = 0;
            data.trigger_offset_extra = 0;
        });
        d.refresh_offset = 1;
        Tick(d);
        // Stopped, the trigger point sits at the screen's centre.
        ASSERT_EQ(d.trigger_offset_arrow->GetPointsCount(), 1u);
        EXPECT_DOUBLE_EQ(d.trigger_offset_arrow->GetPoint(0).X, 150);

        const CPoint to = At(d, 100, 124);
        Drag(d, At(d, 150, 124), to);
        EXPECT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_OFFSET);
        int expected = 0;
        WithData([&](OscData& data) {
            // Dragged 50 points left: the view moves so that the trigger follows the pointer.
            expected = static_cast<int>(data.trigger_offset_extra);
            EXPECT_LT(expected, 0);
            EXPECT_NEAR(expected, Vx(d, to) - 150, 2);
        });
        Tick(d);
        EXPECT_TRUE(Shown(d.trigger_offset_marker));
        EXPECT_NEAR(d.trigger_offset_arrow->GetPoint(0).X, Vx(d, to), 2);

        uitest::MouseUp(Chart(d), to);
        EXPECT_EQ(d.offset_countdown, 1);
        Tick(d);
        EXPECT_FALSE(Shown(d.trigger_offset_marker));
        EXPECT_EQ(d.trigger_offset_arrow->GetPointsCount(), 1u);

        // Unless the user keeps it shown.
        d.not_hide_trigger_offset = 1;
        Drag(d, to, At(d, 120, 124));
        uitest::MouseUp(Chart(d), At(d, 120, 124));
        for (int tick = 0; tick < 3; ++tick)
            Tick(d);
        EXPECT_TRUE(Shown(d.trigger_offset_marker));
    });
}

TEST_F(ChartMouseTest, DoubleClickOnTheLevelArrowZeroesItOnlyWithTheTriggerOn)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d, [](OscData& data) {
            SetTriggerSource(data, 1);
            data.trigger_level[0] = 30;
        });
        d.level_countdown = CVelkaroDlg::kMarkerShowTicks;
        Tick(d);
        const CPoint arrow = At(d, 297, -30);

        // The arrow is still on the chart, but the model's trigger went off meanwhile.
        WithData([](OscData& data) { data.osc_cr &= ~OSC_CR_TRIGGER_ON; });
        uitest::DoubleClickAt(Chart(d), arrow);
        WithData([](OscData& data) { EXPECT_EQ(data.trigger_level[0], 30); });

        WithData([](OscData& data) {
            data.osc_cr |= OSC_CR_TRIGGER_ON;
            data.status = STATUS_FRAME_READY;
        });
        d.level_countdown = 3;
        uitest::DoubleClickAt(Chart(d), arrow);
        EXPECT_EQ(d.GetDragMode(), 0);
        EXPECT_EQ(d.level_countdown, CVelkaroDlg::kMarkerShowTicks);
        WithData([](OscData& data) {
            EXPECT_EQ(data.trigger_level[0], 0);
            EXPECT_EQ(data.status & (STATUS_REDRAW | STATUS_FRAME_READY), STATUS_REDRAW);
        });
    });
}

TEST_F(ChartMouseTest, MeasuringRectangleShowsTimeAndVoltsUntilReleased)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d);
        const CPoint from = At(d, 60, 0);
        const CPoint to = At(d, 140, 40);
        Drag(d, from, to);
        EXPECT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_RECT);

        const std::vector<GdiRecord> records = RecordTick(d);
        const std::vector<GdiRecord> sides = Lines(records, 0xFF4040);
        ASSERT_GE(sides.size(), 2u + 4u);
        // The corners are kept as values: back on screen they may land a pixel off the press.
        const CPoint a = At(d, Vx(d, from), Vy(d, from));
        const CPoint b = At(d, Vx(d, to), Vy(d, to));
        EXPECT_EQ(sides[0].points.front(), a);
        EXPECT_EQ(sides[0].points.back(), CPoint(b.x, a.y));
        EXPECT_EQ(sides[1].points.back(), b);
        // Clipped to the plot while painting, the clip removed afterwards.
        bool clipped = false;
        for (const GdiRecord& r : records)
            if (r.op == "IntersectClipRect" && r.rect == d.GetChart().GetPlottingRect())
                clipped = true;
        EXPECT_TRUE(clipped);

        std::string time;
        std::string volts[2];
        WithData([&](OscData& data) {
            time = FormatSampleTime(data, Vx(d, to) - Vx(d, from));
            volts[0] = "A:" + FormatVolts(data, 0, Vy(d, to) - Vy(d, from));
            volts[1] = "B:" + FormatVolts(data, 1, Vy(d, to) - Vy(d, from));
        });
        const std::vector<GdiRecord> texts = Texts(records, kOverlayText);
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0].text, time);
        EXPECT_EQ(texts[0].font.lfEscapement, 0);
        EXPECT_EQ(texts[1].text, volts[0]);
        EXPECT_EQ(texts[2].text, volts[1]);
        EXPECT_EQ(texts[1].font.lfEscapement, 900);
        EXPECT_EQ(texts[2].points.front().x - texts[1].points.front().x, 15);

        ASSERT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("main_window_measuring_rectangle.png")));

        uitest::MouseUp(Chart(d), to);
        EXPECT_EQ(d.GetDragMode(), 0);
        WithData([](OscData& data) { data.status |= STATUS_REDRAW; });
        EXPECT_TRUE(Lines(RecordTick(d), 0xFF4040).empty());

        // Released outside the plot, where the chart reports no release: the next move over
        // the plot without a button ends the drag.
        const CRect plot = d.GetChart().GetPlottingRect();
        const CPoint outside(plot.left - 10, plot.bottom + 10);
        Drag(d, from, to);
        uitest::MouseMove(Chart(d), outside, true);
        uitest::MouseUp(Chart(d), outside);
        EXPECT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_RECT);
        uitest::MouseMove(Chart(d), to);
        EXPECT_EQ(d.GetDragMode(), 0);
    });
}

TEST_F(ChartMouseTest, RightButtonOpensNoZoomWindowWhileRunningOrAtTheFinestTimeDiv)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d);
        const CPoint at = At(d, 150, 0);
        unsigned tDiv = 0;
        WithData([&](OscData& data) { tDiv = data.t_div; });
        uitest::MouseDown(Chart(d), at, true);
        EXPECT_EQ(d.GetDragMode(), 0);
        uitest::MouseUp(Chart(d), at, true);

        WithData([&](OscData& data) {
            data.mode |= MODE_STOPPED;
            data.t_div = data.ListTDivOptions().front().t_div;
            ASSERT_EQ(data.SolveTimebase(), 0);
            tDiv = data.t_div;
        });
        uitest::MouseDown(Chart(d), at, true);
        EXPECT_EQ(d.GetDragMode(), 0);
        uitest::MouseMove(Chart(d), At(d, 200, 0), false, true);
        uitest::MouseUp(Chart(d), At(d, 200, 0), true);
        WithData([&](OscData& data) { EXPECT_EQ(data.t_div, tDiv); });
    });
}

TEST_F(ChartMouseTest, ZoomWindowPicksTheSameStepEitherWayAndCentresOnItsMiddle)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d);
        // Variant 2 stopped at 500 ns/div (two samples a point). Its settings, finest first:
        //   t_div 5: hw 1, sw 1, in 5   -> 1 * 1 * 1 * 300 / 5 / 2 / 1 = 30
        //   t_div 6: hw 1, sw 2, in 5   -> 60
        //   t_div 7: hw 1, sw 4, in 5   -> 120
        //   t_div 8: hw 2, sw 1, in 1   -> 300 (the present one)
        //   t_div 9: hw 4, sw 1, in 1   -> 600
        //   t_div 10: hw 8, sw 1, in 1  -> 1200
        const std::uint8_t tDivs[6] = {5, 6, 7, 8, 9, 10};
        const std::int64_t widths[6] = {30, 60, 120, 300, 600, 1200};
        for (const int direction : {1, -1})
        {
            WithData([&](OscData& data) {
                data.mode |= MODE_STOPPED;
                data.t_div = 8;
                ASSERT_EQ(data.SolveTimebase(), 0);
                // A stopped capture of 2000 samples, viewed from point 200.
                data.last_num_catched_samples = 2000;
                data.x_offset = 200;
            });
            d.GetDlgItem(CVelkaroDlg::kStripId)->CheckDlgButton(CVelkaroDlg::kFullSweepId, BST_CHECKED);
            const CPoint press = At(d, 100, 0);
            uitest::MouseDown(Chart(d), press, true);
            ASSERT_EQ(d.GetDragMode(), CVelkaroDlg::DRAG_ZOOM);
            ASSERT_EQ(d.GetZoomSteps().size(), 6u);
            for (std::size_t i = 0; i < 6; ++i)
            {
                EXPECT_EQ(d.GetZoomSteps()[i].t_div, tDivs[i]) << i;
                EXPECT_EQ(d.GetZoomSteps()[i].width, widths[i]) << i;
            }
            const int anchor = d.GetZoomAnchor();
            EXPECT_EQ(anchor, static_cast<int>(Vx(d, press)));

            // 50 points away: nearer to 60 than to 30.
            const CPoint to = At(d, anchor + direction * 50, 0);
            uitest::MouseMove(Chart(d), to, false, true);
            const ZoomChoice choice = d.GetZoomChoice();
            EXPECT_EQ(choice.index, 1);
            EXPECT_EQ(choice.width, direction * 60);

            WithData([](OscData& data) { data.status |= STATUS_REDRAW; });
            const std::vector<GdiRecord> records = RecordTick(d);
            // Marks of the steps within the screen: anchor +-30, +-60, +120.
            EXPECT_EQ(Lines(records, 0x604020).size(), 5u);
            const std::vector<GdiRecord> window = Lines(records, 0xFF4020);
            ASSERT_EQ(window.size(), 2u);
            EXPECT_EQ(window[0].points.back().x, At(d, anchor, 0).x);
            EXPECT_EQ(window[1].points.back().x, At(d, anchor + direction * 60, 0).x);
            if (direction > 0)
            {
                ASSERT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("main_window_zoom_window.png")));
            }

            int centre = 0;
            WithData([&](OscData& data) { centre = data.PointsToSamples(data.x_offset + anchor + direction * 30); });
            uitest::MouseUp(Chart(d), to, true);
            EXPECT_EQ(d.GetDragMode(), 0);
            EXPECT_EQ(d.GetDlgItem(CVelkaroDlg::kStripId)->IsDlgButtonChecked(CVelkaroDlg::kFullSweepId),
                      static_cast<UINT>(BST_UNCHECKED));
            WithData([&](OscData& data) {
                EXPECT_EQ(data.t_div, 6u);
                EXPECT_NEAR(GetViewCenterSample(data), centre, 2) << direction;
            });
        }
    });
}

void SetBus(OscData& data, int channel, int from, int to, int value)
{
    for (int x = from; x < to; ++x)
        for (int k = 0; k < 8; ++k)
            data.logic_points[channel][x][k] = (value >> k & 1) != 0 ? 2 : 0;
}

// Channel A: runs of 4, 5, 6, 7, 16 and 17 points, one changing point, then 0x01 up to point
// 200 and 0x02 to the end. Channel B holds 0xC3 throughout.
void FillBuses(OscData& data)
{
    data.osc_cr |= OSC_CR_LOGIC_A | OSC_CR_LOGIC_B;
    const int lengths[6] = {4, 5, 6, 7, 16, 17};
    int x = 0;
    for (int i = 0; i < 6; ++i)
    {
        SetBus(data, 0, x, x + lengths[i], 0x11 * (i + 1));
        x += lengths[i];
    }
    SetBus(data, 0, x, x + 1, 0);
    data.logic_points[0][x][3] = 1;
    SetBus(data, 0, x + 1, 200, 0x01);
    SetBus(data, 0, 200, SCREEN_POINTS, 0x02);
    SetBus(data, 1, 0, SCREEN_POINTS, 0xC3);
}

TEST_F(ChartMouseTest, BusValuesAreLabelledInTheChosenRadixWhereTheyFit)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d, FillBuses);
        d.digital_bus = {true, true};
        auto labels = [&](int radix) {
            d.bus_radix = radix;
            WithData([](OscData& data) { data.status |= STATUS_REDRAW; });
            std::vector<std::string> texts;
            const std::vector<GdiRecord> records = RecordTick(d);
            for (const GdiRecord& r : Texts(records, kOverlayText))
            {
                EXPECT_STREQ(r.font.lfFaceName, "Courier New");
                texts.push_back(r.text);
            }
            return std::make_pair(texts, records);
        };
        const std::vector<std::string> expected[3] = {
            {"22", "33", "44", "55", "66", "01", "02", "C3"},
            {"068", "085", "102", "001", "002", "195"},
            {"01100110", "00000001", "00000010", "11000011"},
        };
        for (int radix = 0; radix < 3; ++radix)
            EXPECT_EQ(labels(radix).first, expected[radix]) << radix;

        // Separators: vertical strokes over channel A's band, at each change and around the
        // changing point.
        const int base = At(d, 0, -60).y;
        const int high = At(d, 0, -52).y;
        auto separators = [&](const std::vector<GdiRecord>& records, COLORREF pen) {
            std::vector<int> xs;
            for (const GdiRecord& r : Lines(records, pen))
                if (r.points.front().y == base && r.points.back().y == high && r.points.front().x == r.points.back().x)
                    xs.push_back(r.points.front().x);
            return xs;
        };
        const auto [texts, records] = labels(0);
        std::vector<int> expectedX;
        for (const double x : {4, 9, 15, 22, 38, 55, 56, 200})
            expectedX.push_back(At(d, x - 0.5, 0).x);
        EXPECT_EQ(separators(records, 0x0000FF), expectedX);
        // The label of the 5-point run stands centred over it, inside the band.
        for (const GdiRecord& r : Texts(records, kOverlayText))
        {
            if (r.text == "22")
            {
                EXPECT_EQ(r.points.front(), CPoint((At(d, 3.5, 0).x + At(d, 8.5, 0).x) / 2, base - 14));
                EXPECT_EQ(r.textAlign & TA_CENTER, static_cast<UINT>(TA_CENTER));
            }
        }

        ASSERT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("main_window_bus_values.png")));

        // Half a frame received: the run is cut where the old data begin, and what follows is
        // drawn in the old data's colour.
        WithData([](OscData& data) { data.valid_points = 150; });
        const auto [oldTexts, oldRecords] = labels(0);
        EXPECT_EQ(oldTexts,
                  (std::vector<std::string>{"22", "33", "44", "55", "66", "01", "01", "02", "C3", "C3"}));
        EXPECT_EQ(separators(oldRecords, 0x0000C8), std::vector<int>{At(d, 199.5, 0).x});
    });
}

TEST_F(ChartMouseTest, NetNamesStandBesideTheirShownLinesWhileTheLabelsAreOn)
{
    RunWindow([&](CVelkaroDlg& d) {
        Prepare(d, FillBuses);
        d.digital_bus = {false, false};
        d.la_net_display[3] = 0;  // A3 is not drawn
        d.SetNetName("MOSI", 1, 5);
        const CRect plot = d.GetChart().GetPlottingRect();
        auto names = [&](const std::vector<GdiRecord>& records, COLORREF colour) {
            std::vector<std::string> texts;
            for (const GdiRecord& r : Texts(records, colour))
                texts.push_back(r.text);
            return texts;
        };
        auto draw = [&] {
            WithData([](OscData& data) { data.status |= STATUS_REDRAW; });
            return RecordTick(d);
        };

        d.la_net_display_labels = true;
        std::vector<GdiRecord> records = draw();
        EXPECT_EQ(names(records, 0x0000FF), (std::vector<std::string>{"A0", "A1", "A2", "A4", "A5", "A6", "A7"}));
        EXPECT_EQ(names(records, 0x00FF00), (std::vector<std::string>{"B0", "B1", "B2", "B3", "B4", "MOSI", "B6", "B7"}));
        // Each name at its plot edge, inside the band of its own line (rows 10 units apart,
        // closing the gap of the hidden line).
        int row = 0;
        for (const GdiRecord& r : Texts(records, 0x0000FF))
        {
            SCOPED_TRACE(r.text);
            EXPECT_EQ(r.points.front().x, plot.left + 3);
            EXPECT_EQ(r.textAlign & (TA_LEFT | TA_RIGHT | TA_CENTER), static_cast<UINT>(TA_LEFT));
            EXPECT_LT(r.points.front().y, At(d, 0, -60 + 10 * row + 4).y);
            EXPECT_GT(r.points.front().y, At(d, 0, -60 + 10 * row + 10).y);
            ++row;
        }
        for (const GdiRecord& r : Texts(records, 0x00FF00))
        {
            EXPECT_EQ(r.points.front().x, plot.right - 3) << r.text;
            EXPECT_EQ(r.textAlign & (TA_LEFT | TA_RIGHT | TA_CENTER), static_cast<UINT>(TA_RIGHT)) << r.text;
        }
        ASSERT_TRUE(uitest::RenderToPng(&d, uitest::OutputPath("main_window_net_names.png")));

        // A channel shown as a bus has its value, not its lines' names.
        d.digital_bus = {true, false};
        records = draw();
        EXPECT_TRUE(names(records, 0x0000FF).empty());
        EXPECT_EQ(names(records, 0x00FF00).size(), 8u);

        d.la_net_display_labels = false;
        records = draw();
        EXPECT_TRUE(names(records, 0x00FF00).empty());
    });
}

TEST_F(ChartMouseTest, RecorderRulerGivesElapsedTimeOrTimeOfDay)
{
    RunWindow([&](CVelkaroDlg& d) {
        // A hundredth of a second a point: the screen shows 59.5 s to 62.5 s of the recording.
        Prepare(d, [](OscData& data) {
            data.mode |= MODE_RECORDER;
            data.x_zoom_out_hw = data.x_zoom_out_sw = data.x_zoom_in = 1;
            data.x_skip = data.GetSampleRateKHz() * 10 - 1;
            data.x_offset = 5950;
        });
        auto labels = [&]() {
            std::vector<std::string> texts;
            for (const GdiRecord& r : Texts(RecordShown(d), kOverlayText))
            {
                EXPECT_EQ(r.font.lfEscapement, 900);
                texts.push_back(r.text);
            }
            return texts;
        };
        EXPECT_EQ(labels(), (std::vector<std::string>{"01:00", "01:01", "01:02"}));

        // Time of day only once the recording's start is known.
        d.extra_tick_full_time = 1;
        EXPECT_EQ(labels(), (std::vector<std::string>{"01:00", "01:01", "01:02"}));
        WithData([](OscData& data) {
            data.recorder_start_time = boost::posix_time::ptime(boost::gregorian::date(2026, 1, 1),
                                                                boost::posix_time::time_duration(10, 20, 30));
        });
        EXPECT_EQ(labels(), (std::vector<std::string>{"10:21:30", "10:21:31", "10:21:32"}));
    });
}

}  // namespace
