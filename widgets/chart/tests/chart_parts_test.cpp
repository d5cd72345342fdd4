// The chart's companions: cross-hair, legend, title and axis scroll bars.

#include "support/ChartHost.h"

#include "platform/gdi/RecordingDC.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartLogarithmicAxis.h"
#include "widgets/chart/ChartScrollBar.h"
#include "widgets/chart/ChartTitle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ChartCrossHair, ValuesAreWrittenWithDecimalsFromTheTickStep)
{
    struct Case {
        double step;
        const char* text;
    };
    for (const Case c : {Case{0.5, "1.23"}, Case{10, "1"}, Case{100, "1"}, Case{0.001, "1.2346"}, Case{0, ""}, Case{-0.5, ""}}) {
        CChartStandardAxis axis;
        axis.SetTickIncrement(false, c.step);
        EXPECT_EQ(CChartCrossHairCursor::FormatValue(&axis, 1.23456), c.text) << c.step;
    }
    CChartLogarithmicAxis log;
    EXPECT_EQ(CChartCrossHairCursor::FormatValue(&log, 2500000), "2.5M");
    EXPECT_EQ(CChartCrossHairCursor::FormatValue(&log, 4200), "4.2k");
    EXPECT_EQ(CChartCrossHairCursor::FormatValue(&log, 0.0051), "0.005");
    EXPECT_EQ(CChartCrossHairCursor::FormatValue(&log, 42), "42.0");

    // The cursor follows the mouse inside the plot and reads the axes there.
    ChartHost h;
    CChartStandardAxis* bottom = h.Bottom(0, 100);
    CChartStandardAxis* left = h.Left(0, 10);
    CChartCrossHairCursor* cursor = h.chart.CreateCrossHairCursor();
    cursor->ShowValues(true);
    cursor->SetColor(RGB(255, 0, 0));
    h.chart.Redraw();
    const CRect plot = h.chart.GetPlottingRect();
    const CPoint p(plot.left + 77, plot.top + 33);
    uitest::MouseMove(&h.chart, p);
    EXPECT_EQ(cursor->GetPosition(), p);
    EXPECT_DOUBLE_EQ(cursor->GetXValue(), bottom->ScreenToValue(p.x));
    EXPECT_DOUBLE_EQ(cursor->GetYValue(), left->ScreenToValue(p.y));
    uitest::MouseMove(&h.chart, CPoint(1, 1));  // outside the plot: the cursor stays
    EXPECT_EQ(cursor->GetPosition(), p);
    ASSERT_TRUE(uitest::RenderToPng(&h.chart, uitest::OutputPath("widgets_chart/cross_hair.png")));
}

// A new cursor stands in the middle of the plot before the user has pointed at anything: it
// names the values there, as the axes have them when it is drawn, and never a made-up zero.
TEST(ChartCrossHair, NewCursorNamesTheValuesWhereItStands)
{
    ChartHost h;
    // Made as the spectrum window makes it: axes without ranges, the cursor at once.
    auto* vertical = new CChartStandardAxis();
    h.chart.AttachAxis(CChartCtrl::LeftAxis, vertical);
    auto* horizontal = new CChartLogarithmicAxis();
    h.chart.AttachAxis(CChartCtrl::BottomAxis, horizontal);
    CChartCrossHairCursor* cursor = h.chart.CreateCrossHairCursor();
    cursor->ShowValues(true);
    const auto written = [&] {
        CRecordingDC dc(600, 400);
        cursor->Draw(&dc);
        std::vector<std::string> texts;
        for (const GdiRecord& r : dc.RecordsOf("TextOut"))
            texts.push_back(r.text);
        return texts;
    };

    // Before the first data the axes have no range, so there is nothing to name.
    h.chart.Redraw();
    EXPECT_EQ(written(), std::vector<std::string>{});

    // The first data set the ranges, and the axes take room for their labels: the cursor stands
    // in the middle of the plot as it is now, and names the values there.
    horizontal->SetMinMax(10, 100000);
    vertical->SetMinMax(-80, 0);
    h.chart.Redraw();
    const CPoint at = cursor->GetPosition();
    const CRect now = h.chart.GetPlottingRect();
    EXPECT_EQ(at, CPoint(now.left + now.Width() / 2, now.top + now.Height() / 2));
    const double x = horizontal->ScreenToValue(at.x);
    const double y = vertical->ScreenToValue(at.y);
    EXPECT_GT(x, 10);
    EXPECT_LT(x, 100000);
    EXPECT_LT(y, 0);
    EXPECT_GT(y, -80);
    EXPECT_DOUBLE_EQ(cursor->GetXValue(), x);
    EXPECT_DOUBLE_EQ(cursor->GetYValue(), y);
    EXPECT_EQ(written(), (std::vector<std::string>{CChartCrossHairCursor::FormatValue(horizontal, x),
                                                   CChartCrossHairCursor::FormatValue(vertical, y)}));
    ASSERT_TRUE(uitest::RenderToPng(&h.chart, uitest::OutputPath("widgets_chart/cross_hair_new.png")));

    // Once the mouse has moved, the lines stay where it left them; when the axes change under
    // them (new data, a zoom), the values are those now under the lines.
    const CRect plot = h.chart.GetPlottingRect();
    const CPoint pointed(plot.left + 40, plot.top + 30);
    uitest::MouseMove(&h.chart, pointed);
    const std::vector<std::string> before = written();
    horizontal->SetMinMax(100, 1000);
    vertical->SetMinMax(-20, 0);
    h.chart.Redraw();
    EXPECT_EQ(cursor->GetPosition(), pointed);
    const double newX = horizontal->ScreenToValue(pointed.x);
    const double newY = vertical->ScreenToValue(pointed.y);
    EXPECT_DOUBLE_EQ(cursor->GetXValue(), newX);
    EXPECT_DOUBLE_EQ(cursor->GetYValue(), newY);
    const std::vector<std::string> after = written();
    EXPECT_EQ(after, (std::vector<std::string>{CChartCrossHairCursor::FormatValue(horizontal, newX),
                                               CChartCrossHairCursor::FormatValue(vertical, newY)}));
    EXPECT_NE(after, before);
}

TEST(ChartLegend, ListsNamedSeriesOnlyAndTakesNoRoomWithoutThem)
{
    ChartHost h;
    h.Bottom(0, 10);
    h.Left(0, 10);
    auto* unnamed = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(unnamed);
    unnamed->AddPoint(1, 1);
    h.chart.Redraw();
    const CRect without = h.chart.GetPlottingRect();
    h.chart.GetLegend()->SetVisible(true);
    EXPECT_TRUE(h.chart.GetLegend()->GetRect().IsRectEmpty());
    EXPECT_EQ(h.chart.GetPlottingRect(), without);

    auto* named = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(named);
    named->SetName("Канал A");
    const CRect one = h.chart.GetLegend()->GetRect();
    EXPECT_FALSE(one.IsRectEmpty());
    EXPECT_LT(h.chart.GetPlottingRect().right, without.right);
    EXPECT_LE(one.right, without.right + 3);

    // Hiding empty series drops the named one while it has no points.
    h.chart.GetLegend()->HideEmptySeries(true);
    EXPECT_TRUE(h.chart.GetLegend()->GetRect().IsRectEmpty());
    named->AddPoint(2, 2);
    h.chart.Redraw();
    EXPECT_EQ(h.chart.GetLegend()->GetRect().Height(), one.Height());

    // Undocked it sits where it is told and leaves the plot alone.
    h.chart.GetLegend()->UndockLegend(100, 50);
    EXPECT_EQ(h.chart.GetLegend()->GetRect().TopLeft(), CPoint(100, 50));
    EXPECT_EQ(h.chart.GetLegend()->GetRect().Height(), one.Height() + 2);
    EXPECT_EQ(h.chart.GetPlottingRect(), without);
}

TEST(ChartTitle, HeightIsFourPlusEachLineAndTwo)
{
    CChartTitle title(nullptr);
    CRecordingDC dc(400, 200);
    EXPECT_EQ(title.GetSize(&dc), CSize(0, 0));
    title.AddString("Осциллограф");
    title.AddString("Канал A, 1 В/дел");
    title.SetLineFont(1, 140, "Arial", true);
    CFont normal;
    normal.CreatePointFont(100, "Microsoft Sans Serif", &dc);
    CFont big;
    LOGFONT lf{};
    lf.lfHeight = 140;
    lf.lfWeight = FW_BOLD;
    SetLogFontFaceName(lf, "Arial");
    big.CreatePointFontIndirect(&lf, &dc);
    CFont* old = dc.SelectObject(&normal);
    const CSize first = dc.GetTextExtent("Осциллограф");
    dc.SelectObject(&big);
    const CSize second = dc.GetTextExtent("Канал A, 1 В/дел");
    dc.SelectObject(old);
    EXPECT_EQ(title.GetSize(&dc).cy, 4 + (first.cy + 2) + (second.cy + 2));
    EXPECT_GT(second.cy, first.cy);
    title.SetVisible(false);
    EXPECT_EQ(title.GetSize(&dc), CSize(0, 0));
}

namespace {

// A bottom axis showing 100 of data running from 0 to 1000: ten positions a screen.
struct Scrolled {
    Scrolled()
    {
        axis = h.Bottom(0, 1000);
        h.Left(0, 1);
        auto* s = new CChartLineSerie(&h.chart);
        h.chart.AddSerie(s);
        s->AddPoint(0, 0);
        s->AddPoint(1000, 1);
        axis->EnableScrollBar(true);
        h.chart.Redraw();
    }
    void At(int position)
    {
        axis->SetZoomRange(10.0 * position, 10.0 * position + 100);
        axis->RefreshScrollBar();
    }
    ChartHost h;
    CChartStandardAxis* axis = nullptr;
};

}  // namespace

TEST(ChartScrollBar, StepsFollowTheBarAndPagesNearTheEndStillMoveTheWholeStep)
{
    struct Case {
        int from;
        UINT code;
        int thumb;
        int to;
    };
    // The range is 0 .. 99 (hi); a page is 10.
    const Case cases[] = {{50, SB_LINEDOWN, 0, 51}, {90, SB_LINEDOWN, 0, 90}, {50, SB_LINEUP, 0, 49}, {0, SB_LINEUP, 0, 0},
                          {84, SB_PAGEDOWN, 0, 94}, {3, SB_PAGEUP, 0, 0},     {40, SB_PAGEUP, 0, 30}, {40, SB_THUMBTRACK, 25, 25},
                          {40, SB_TOP, 0, 0},       {40, SB_ENDSCROLL, 0, 40}};
    for (const Case& c : cases) {
        Scrolled s;
        s.At(c.from);
        SCROLLINFO info;
        s.axis->GetScrollBar()->GetScrollInfo(&info);
        ASSERT_EQ(info.nMax, 99);
        ASSERT_EQ(info.nPos, std::min(c.from, 90));
        s.axis->GetScrollBar()->OnScroll(c.code, static_cast<UINT>(c.thumb));
        EXPECT_NEAR(s.axis->GetMin(), 10.0 * c.to, 1e-9) << c.code << " from " << c.from;
        EXPECT_NEAR(s.axis->GetMax() - s.axis->GetMin(), 100, 1e-9);
    }
}

TEST(ChartScrollBar, AnAutoHidingBarShowsOnlyUnderTheMouse)
{
    Scrolled s;
    CChartScrollBar* bar = s.axis->GetScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->IsWindowVisible());
    CRect r;
    bar->GetWindowRect(&r);
    s.h.chart.ScreenToClient(&r);
    const CRect plot = s.h.chart.GetPlottingRect();
    EXPECT_EQ(r.bottom, plot.bottom);
    EXPECT_EQ(r.left, plot.left + 1);
    uitest::MouseMove(&s.h.chart, r.CenterPoint());
    EXPECT_TRUE(bar->IsWindowVisible());
    uitest::MouseMove(&s.h.chart, plot.CenterPoint());
    EXPECT_FALSE(bar->IsWindowVisible());

    // Not auto-hiding: shown while enabled; disabled: never.
    s.axis->SetAutoHideScrollBar(false);
    EXPECT_TRUE(bar->IsWindowVisible());
    uitest::MouseMove(&s.h.chart, plot.CenterPoint());
    EXPECT_TRUE(bar->IsWindowVisible());
    ASSERT_TRUE(uitest::RenderToPng(&s.h.chart, uitest::OutputPath("widgets_chart/scroll_bar.png")));
    // A click on the bar's right arrow scrolls the axis by one tenth of its span.
    s.At(40);
    CRect client;
    bar->GetClientRect(&client);
    uitest::ClickAt(bar, CPoint(client.right - 4, client.Height() / 2));
    EXPECT_NEAR(s.axis->GetMin(), 410, 1e-9);
    s.axis->EnableScrollBar(false);
    EXPECT_FALSE(bar->IsWindowVisible());
}
