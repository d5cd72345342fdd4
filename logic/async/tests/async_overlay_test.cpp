// The decoded frames over the chart, held against a recording DC: ticks, boxes and values at
// the screen points the samples map to, ends off the screen drawn to the plot's edges, and
// nothing where the net or the mode shows nothing.

#include "logic/async/AsyncAnalyzer.h"
#include "logic/async/AsyncOverlay.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "platform/gdi/RecordingDC.h"
#include "support/UartCapture.h"
#include "widgets/chart/ChartAxis.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// x = 10 + 2 * point: the plot runs from 10 to 610.
AsyncOverlayGeometry Geometry(double pointsPerSample, double offset)
{
    AsyncOverlayGeometry g;
    g.points_per_sample = pointsPerSample;
    g.x_offset = offset;
    g.x_of = [](double p) { return 10 + static_cast<int>(2 * p); };
    g.top = 100;
    g.bottom = 140;
    return g;
}

std::vector<AsyncPacket> OnePacket(std::vector<AsyncFrame> frames) { return {std::move(frames)}; }

std::vector<std::vector<CPoint>> Lines(const CRecordingDC& dc)
{
    std::vector<std::vector<CPoint>> lines;
    for (const GdiRecord& r : dc.RecordsOf("LineTo"))
        lines.push_back(r.points);
    return lines;
}

}  // namespace

TEST(AsyncOverlay, ModesDrawTicksBoxesAndValues)
{
    // Frame 0 wholly on screen (points 20.5 and 120.5), frame 1 a narrow one.
    const auto packets = OnePacket({{21, 121, 0x4F, 0}, {200, 204, 0x0A, 1}});
    const AsyncOverlayGeometry g = Geometry(1.0, 0);

    CRecordingDC ticks;
    DrawAsyncFrames(ticks, packets, 1, 8, g);
    const std::vector<std::vector<CPoint>> expectTicks = {
        {CPoint(51, 100), CPoint(51, 141)}, {CPoint(251, 100), CPoint(251, 141)},
        {CPoint(409, 100), CPoint(409, 141)}, {CPoint(417, 100), CPoint(417, 141)}};
    EXPECT_EQ(Lines(ticks), expectTicks);
    EXPECT_TRUE(ticks.RecordsOf("TextOut").empty());

    CRecordingDC boxes;
    DrawAsyncFrames(boxes, packets, 2, 8, g);
    const std::vector<std::vector<CPoint>> expectBoxes = {
        {CPoint(51, 100), CPoint(51, 140)},   {CPoint(51, 140), CPoint(251, 140)},
        {CPoint(251, 140), CPoint(251, 100)}, {CPoint(251, 100), CPoint(51, 100)},
        {CPoint(409, 100), CPoint(409, 140)}, {CPoint(409, 140), CPoint(417, 140)},
        {CPoint(417, 140), CPoint(417, 100)}, {CPoint(417, 100), CPoint(409, 100)}};
    EXPECT_EQ(Lines(boxes), expectBoxes);
    EXPECT_TRUE(boxes.RecordsOf("TextOut").empty());

    // Values only in boxes wider than 10 pixels, centred on the bottom line; "!" when bad.
    CRecordingDC values;
    DrawAsyncFrames(values, packets, 3, 8, g);
    const auto texts = values.RecordsOf("TextOut");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "4F");
    EXPECT_EQ(texts[0].points.at(0), CPoint(151, 140));
    CRecordingDC bad;
    DrawAsyncFrames(bad, OnePacket({{21, 121, 0x5, 1}}), 3, 4, g);
    ASSERT_EQ(bad.RecordsOf("TextOut").size(), 1u);
    EXPECT_EQ(bad.RecordsOf("TextOut")[0].text, "5!");

    CRecordingDC none;
    DrawAsyncFrames(none, packets, 0, 8, g);
    EXPECT_TRUE(none.Records().empty());
}

TEST(AsyncOverlay, EndsOffScreenRunToThePlotEdges)
{
    // 4 samples per point, view from point 100: frame A starts before the view, frame B ends
    // beyond it, frame C lies wholly outside.
    const auto packets = OnePacket({{300, 600, 1, 0}, {1500, 1700, 2, 0}, {2000, 2400, 3, 0}});
    const AsyncOverlayGeometry g = Geometry(0.25, 100);
    CRecordingDC dc;
    DrawAsyncFrames(dc, packets, 3, 8, g);
    // A: 300 -> -25.5 off, 600 -> 49.5 at x 109. B: 1500 -> 274.5 at x 559, 1700 -> 324.5 off.
    const std::vector<std::vector<CPoint>> expected = {
        {CPoint(10, 140), CPoint(109, 140)},  {CPoint(109, 140), CPoint(109, 100)},
        {CPoint(109, 100), CPoint(10, 100)},  {CPoint(559, 100), CPoint(559, 140)},
        {CPoint(559, 140), CPoint(610, 140)}, {CPoint(610, 100), CPoint(559, 100)}};
    EXPECT_EQ(Lines(dc), expected);
    const auto moves = dc.RecordsOf("MoveTo");
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].points.at(0), CPoint(10, 140)) << "no left edge for a start off screen";
    EXPECT_EQ(moves[2].points.at(0), CPoint(610, 100)) << "no right edge for an end off screen";
    const auto texts = dc.RecordsOf("TextOut");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].points.at(0), CPoint(59, 140));
    EXPECT_EQ(texts[1].points.at(0), CPoint(584, 140));
}

namespace {

class AsyncOverlayWindowTest : public MainWindowTest {};

}  // namespace

TEST_F(AsyncOverlayWindowTest, MemberDrawsShownNetsWithItsPenAndFont)
{
    RunWindow([&](CVelkaroDlg& d) {
        {
            CSingleLock lock(&DataLock, TRUE);
            ASSERT_TRUE(SelectOscDataVersion(4, 0));
        }
        UartCapture c(UartFormat{});
        c.Idle(30);
        c.Frame('V');
        c.Frame('k');
        c.Idle(400);
        const std::vector<std::int32_t> words = c.Plain(0);
        WithData([&](OscData& data) {
            for (std::size_t i = 0; i < data.GetMemoryDepth(); ++i)
                data.sample_buffer[1][i] = i < words.size() ? words[i] : 1;
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_LOGIC_B) & ~OSC_CR_MIN_MAX);
            data.mode |= MODE_STOPPED;
            data.read_state = 3;
            data.x_zoom_in = data.x_zoom_out_hw = data.x_zoom_out_sw = 1;
            data.x_offset = 0;
            data.y_offset[1] = -40;
        });
        d.la_net_display.fill(1);
        d.digital_bus = {false, false};

        CAsyncAnalyzer a;
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        CRecordingDC empty;
        a.DrawOverlay(&empty, &d.GetChart());
        EXPECT_TRUE(empty.Records().empty()) << "nothing without packets";

        a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        uitest::SelectComboItem(&a.DataPage().Net(0), 15);
        uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
        ASSERT_TRUE(uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId));
        ASSERT_EQ(a.Packets(0).size(), 1u);

        CChartAxis* x = d.GetChart().GetBottomAxis();
        CChartAxis* y = d.GetChart().GetLeftAxis();
        CRecordingDC dc;
        dc.SetTextColor(0x123456);
        dc.SetTextAlign(TA_LEFT | TA_TOP);
        a.DrawOverlay(&dc, &d.GetChart());
        const auto lines = Lines(dc);
        ASSERT_EQ(lines.size(), 8u);
        // B0 is the lowest row of channel B: from y_offset up 8 chart units.
        const int bottom = y->ValueToScreen(-40), top = y->ValueToScreen(-32);
        const int x0 = x->ValueToScreen(30 - 0.5), x1 = x->ValueToScreen(130 - 0.5);
        EXPECT_EQ(lines[0], (std::vector<CPoint>{CPoint(x0, top), CPoint(x0, bottom)}));
        EXPECT_EQ(lines[1], (std::vector<CPoint>{CPoint(x0, bottom), CPoint(x1, bottom)}));
        const GdiRecord r = dc.RecordsOf("LineTo")[0];
        EXPECT_TRUE(r.penGeometric);
        EXPECT_EQ(r.penStyle, PS_USERSTYLE);
        EXPECT_EQ(r.penColor, 0xFFC8C8u);
        EXPECT_EQ(r.penDashes, (std::vector<DWORD>{1, 4}));
        const auto texts = dc.RecordsOf("TextOut");
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].text, "56");
        EXPECT_EQ(texts[1].text, "6B");
        EXPECT_EQ(texts[0].textColor, 0xFFC8C8u);
        EXPECT_EQ(texts[0].textAlign, static_cast<UINT>(TA_BOTTOM | TA_CENTER));
        EXPECT_STREQ(texts[0].font.lfFaceName, "Courier New");
        // What the chart's painter had is given back.
        EXPECT_EQ(dc.GetTextColor(), 0x123456u);
        EXPECT_EQ(dc.GetTextAlign(), static_cast<UINT>(TA_LEFT | TA_TOP));

        // Start/stop ticks use a plain solid pen.
        a.DisplayPage().SetMode(CTabAsyncDisplay::START_STOP);
        uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
        ASSERT_TRUE(uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId));
        CRecordingDC ticks;
        a.DrawOverlay(&ticks, &d.GetChart());
        ASSERT_EQ(Lines(ticks).size(), 4u);
        EXPECT_FALSE(ticks.RecordsOf("LineTo")[0].penGeometric);
        EXPECT_EQ(ticks.RecordsOf("LineTo")[0].penStyle, PS_SOLID);

        // Nothing for a hidden net, a bus display, a channel out of logic mode or display 0.
        struct Off {
            const char* name;
            std::function<void()> apply;
            std::function<void()> undo;
        };
        const Off offs[] = {
            {"hidden net", [&] { d.la_net_display[8] = 0; }, [&] { d.la_net_display[8] = 1; }},
            {"bus", [&] { d.digital_bus[1] = true; }, [&] { d.digital_bus[1] = false; }},
            {"not logic", [] { WithData([](OscData& data) { data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_LOGIC_B); }); },
             [] { WithData([](OscData& data) { data.osc_cr |= OSC_CR_LOGIC_B; }); }},
        };
        for (const Off& off : offs) {
            off.apply();
            CRecordingDC dcOff;
            a.DrawOverlay(&dcOff, &d.GetChart());
            EXPECT_TRUE(dcOff.RecordsOf("LineTo").empty()) << off.name;
            off.undo();
        }
        a.DisplayPage().SetMode(CTabAsyncDisplay::NONE);
        uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
        ASSERT_TRUE(uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId));
        CRecordingDC dcNone;
        a.DrawOverlay(&dcNone, &d.GetChart());
        EXPECT_TRUE(dcNone.Records().empty());
    });
}
