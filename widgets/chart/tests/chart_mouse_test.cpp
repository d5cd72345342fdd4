// The chart driven by the mouse as a user drives it: zoom, undo, pan, and what the host hears.

#include "support/ChartHost.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCrossHairCursor.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

namespace {

void Drag(CWnd* wnd, CPoint from, CPoint to)
{
    uitest::MouseDown(wnd, from);
    uitest::MouseMove(wnd, CPoint((from.x + to.x) / 2, (from.y + to.y) / 2), true);
    uitest::MouseMove(wnd, to, true);
    uitest::MouseUp(wnd, to);
}

struct Recorder : CChartMouseListener {
    std::vector<std::string> events;
    void OnMouseEventPlotArea(ChartMouseEvent e, int, int) override { events.push_back("plot " + std::to_string(e)); }
    void OnMouseEventSerie(ChartMouseEvent e, int, int, CChartSerie* s, int index) override
    {
        events.push_back("serie " + std::to_string(e) + " " + std::to_string(s->GetSerieId()) + " " + std::to_string(index));
    }
    void OnMouseEventAxis(ChartMouseEvent e, int, int, CChartAxis*) override { events.push_back("axis " + std::to_string(e)); }
};

std::vector<std::string> Only(const std::vector<std::string>& all, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const auto& e : all)
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

}  // namespace

TEST(ChartMouse, BoxZoomTakesTheValuesUnderTheBoxAndABackwardDragUndoesIt)
{
    ChartHost h;
    CChartStandardAxis* bottom = h.Bottom(0, 100);
    CChartStandardAxis* left = h.Left(-50, 50);
    h.chart.Redraw();
    const CRect plot = h.chart.GetPlottingRect();
    const CPoint a(plot.left + 40, plot.top + 30);
    const CPoint b(plot.left + 200, plot.top + 150);
    const double x0 = bottom->ScreenToValue(a.x), x1 = bottom->ScreenToValue(b.x);
    const double yTop = left->ScreenToValue(a.y), yBottom = left->ScreenToValue(b.y);

    Drag(&h.chart, a, b);
    EXPECT_DOUBLE_EQ(bottom->GetMin(), x0);
    EXPECT_DOUBLE_EQ(bottom->GetMax(), x1);
    EXPECT_DOUBLE_EQ(left->GetMin(), yBottom);
    EXPECT_DOUBLE_EQ(left->GetMax(), yTop);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // A click without moving changes nothing.
    uitest::ClickAt(&h.chart, CPoint(plot.left + 60, plot.top + 60));
    EXPECT_DOUBLE_EQ(bottom->GetMin(), x0);
    EXPECT_DOUBLE_EQ(bottom->GetMax(), x1);

    // Dragging right to left (or upward) restores every axis.
    Drag(&h.chart, CPoint(plot.left + 200, plot.top + 40), CPoint(plot.left + 50, plot.top + 80));
    EXPECT_DOUBLE_EQ(bottom->GetMin(), 0);
    EXPECT_DOUBLE_EQ(bottom->GetMax(), 100);
    EXPECT_DOUBLE_EQ(left->GetMin(), -50);
    EXPECT_DOUBLE_EQ(left->GetMax(), 50);
    Drag(&h.chart, a, b);
    Drag(&h.chart, CPoint(plot.left + 50, plot.top + 100), CPoint(plot.left + 80, plot.top + 20));
    EXPECT_DOUBLE_EQ(bottom->GetMax(), 100);
}

TEST(ChartMouse, ZoomLeavesADegenerateAxisAndKeepsTheMinimumSpan)
{
    ChartHost h;
    CChartStandardAxis* bottom = h.Bottom(0, 0.1);
    CChartStandardAxis* left = h.Left(5, 5);
    h.chart.Redraw();
    const CRect plot = h.chart.GetPlottingRect();
    const double from = bottom->ScreenToValue(plot.left + 100);
    Drag(&h.chart, CPoint(plot.left + 100, plot.top + 10), CPoint(plot.left + 102, plot.top + 200));
    EXPECT_DOUBLE_EQ(left->GetMin(), 5);
    EXPECT_DOUBLE_EQ(left->GetMax(), 5);
    EXPECT_DOUBLE_EQ(bottom->GetMin(), from);
    EXPECT_DOUBLE_EQ(bottom->GetMax(), from + 0.001);
}

TEST(ChartMouse, RightDragKeepsTheValueUnderThePointer)
{
    ChartHost h;
    CChartStandardAxis* bottom = h.Bottom(0, 100);
    CChartStandardAxis* left = h.Left(0, 100);
    h.chart.Redraw();
    const CRect plot = h.chart.GetPlottingRect();
    const CPoint start(plot.left + 100, plot.top + 100);
    const double vx = bottom->ScreenToValue(start.x);
    const double vy = left->ScreenToValue(start.y);
    const double pixelX = 100.0 / plot.Width();
    const double pixelY = 100.0 / plot.Height();

    uitest::MouseDown(&h.chart, start, true);
    uitest::MouseMove(&h.chart, CPoint(start.x + 30, start.y - 10));
    const CPoint end(start.x + 70, start.y + 40);
    uitest::MouseMove(&h.chart, end);
    uitest::MouseUp(&h.chart, end, true);
    EXPECT_NEAR(bottom->ScreenToValue(end.x), vx, pixelX);
    EXPECT_NEAR(left->ScreenToValue(end.y), vy, pixelY);
    EXPECT_NEAR(bottom->GetMax() - bottom->GetMin(), 100, 1e-9);

    // With panning off the drag moves nothing.
    h.chart.SetPanEnabled(false);
    const double min = bottom->GetMin();
    uitest::MouseDown(&h.chart, start, true);
    uitest::MouseMove(&h.chart, end);
    uitest::MouseUp(&h.chart, end, true);
    EXPECT_DOUBLE_EQ(bottom->GetMin(), min);
}

TEST(ChartMouse, EventsReachTheListenerWithTheirCodes)
{
    ChartHost h;
    h.Bottom(0, 100);
    h.Left(0, 100);
    Recorder listener;
    h.chart.SetMouseListener(&listener);
    h.chart.Redraw();
    const CRect plot = h.chart.GetPlottingRect();
    const CPoint p(plot.left + 20, plot.top + 20);
    uitest::MouseMove(&h.chart, p);
    uitest::ClickAt(&h.chart, p);
    uitest::RightClickAt(&h.chart, p);
    uitest::DoubleClickAt(&h.chart, p);
    const std::vector<std::string> expected = {"plot 0", "plot 2", "plot 1", "plot 5", "plot 4",
                                               "plot 2", "plot 1", "plot 3", "plot 1"};
    EXPECT_EQ(Only(listener.events, "plot"), expected);

    // Below the plot lies the bottom axis.
    listener.events.clear();
    uitest::ClickAt(&h.chart, CPoint(plot.left + 20, plot.bottom + 5));
    // The pointer moves onto the axis before the button goes down there.
    EXPECT_EQ(Only(listener.events, "axis"), (std::vector<std::string>{"axis 0", "axis 2", "axis 1"}));
    EXPECT_TRUE(Only(listener.events, "plot").empty());
}

TEST(ChartMouse, OnlySeriesAskingForEventsAreReportedTheNewestFirst)
{
    ChartHost h;
    h.Bottom(0, 100);
    h.Left(0, 100);
    Recorder listener;
    h.chart.SetMouseListener(&listener);
    auto* silent = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(silent);
    auto* older = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(older);
    auto* newer = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(newer);
    for (CChartLineSerie* s : {silent, older, newer}) {
        s->AddPoint(0, 50);
        s->AddPoint(100, 50);
    }
    older->NotifyClicks(true);
    newer->NotifyClicks(true);
    h.chart.Redraw();
    const CRect plot = h.chart.GetPlottingRect();
    const CPoint onLine(plot.left + plot.Width() / 2, h.chart.GetLeftAxis()->ValueToScreen(50));

    uitest::ClickAt(&h.chart, onLine);
    const std::string id = std::to_string(newer->GetSerieId());
    EXPECT_EQ(Only(listener.events, "serie"), (std::vector<std::string>{"serie 2 " + id + " -1", "serie 1 " + id + " -1"}));

    // Moves need the move flag, clicks the click flag.
    listener.events.clear();
    uitest::MouseMove(&h.chart, onLine);
    EXPECT_TRUE(Only(listener.events, "serie").empty());
    silent->NotifyMoves(true);
    uitest::MouseMove(&h.chart, CPoint(onLine.x + 1, onLine.y));
    EXPECT_EQ(Only(listener.events, "serie"), (std::vector<std::string>{"serie 0 " + std::to_string(silent->GetSerieId()) + " -1"}));

    // Removing the reporting series leaves the older one to answer.
    listener.events.clear();
    h.chart.RemoveSerie(newer->GetSerieId());
    h.chart.RemoveSerie(123456);  // unknown: nothing happens
    uitest::ClickAt(&h.chart, onLine);
    // The pointer first moves back onto the line (reported by the moving series), then clicks.
    const std::vector<std::string> after = Only(listener.events, "serie");
    ASSERT_GE(after.size(), 2u);
    const std::string older_id = " " + std::to_string(older->GetSerieId()) + " ";
    EXPECT_EQ(after[after.size() - 2].rfind("serie 2" + older_id, 0), 0u);
    EXPECT_EQ(after.back().rfind("serie 1" + older_id, 0), 0u);
}

TEST(ChartCtrl, TheEleventhSeriesTakesTheFirstColour)
{
    ChartHost h;
    h.Bottom(0, 1);
    h.Left(0, 1);
    std::vector<CChartSerie*> series;
    for (int i = 0; i < 11; ++i) {
        auto* s = new CChartLineSerie(&h.chart);
        h.chart.AddSerie(s);
        series.push_back(s);
    }
    EXPECT_EQ(series[0]->GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(series[1]->GetColor(), RGB(0, 150, 0));
    EXPECT_EQ(series[9]->GetColor(), RGB(64, 128, 128));
    EXPECT_EQ(series[10]->GetColor(), series[0]->GetColor());
}

TEST(ChartCtrl, NestedSuspensionsDrawOnceAndExtraResumesDoNotLiftTheCounter)
{
    ChartHost h;
    h.Bottom(0, 1);
    h.Left(0, 1);
    h.chart.Redraw();
    const int base = h.redraws;
    h.chart.SuspendRedraw();
    h.chart.SuspendRedraw();
    h.chart.SetBackColor(RGB(1, 2, 3));
    h.chart.SetBorderColor(RGB(4, 5, 6));
    h.chart.ResumeRedraw();
    EXPECT_EQ(h.redraws, base);
    h.chart.ResumeRedraw();
    EXPECT_EQ(h.redraws, base + 1);
    // Nothing requested meanwhile: no redraw.
    h.chart.SuspendRedraw();
    h.chart.ResumeRedraw();
    EXPECT_EQ(h.redraws, base + 1);

    // Resuming without a suspension must not make the next suspension ineffective.
    h.chart.ResumeRedraw();
    h.chart.ResumeRedraw();
    h.chart.SuspendRedraw();
    h.chart.SetBackColor(RGB(7, 8, 9));
    EXPECT_EQ(h.redraws, base + 1);
    h.chart.ResumeRedraw();
    EXPECT_EQ(h.redraws, base + 2);
}

TEST(ChartCtrl, APaintWhileSuspendedShowsTheBackgroundAndDrawsLater)
{
    ChartHost h(200, 120, true);
    h.chart.SetBackColor(RGB(10, 200, 30));
    const std::string path = uitest::OutputPath("widgets_chart/suspended_paint.png");
    ASSERT_TRUE(uitest::RenderToPng(&h.chart, path));
    EXPECT_EQ(h.redraws, 0);
    EXPECT_EQ(QImage(QString::fromStdString(path)).pixelColor(100, 60), QColor(10, 200, 30));
    h.chart.ResumeRedraw();
    EXPECT_EQ(h.redraws, 1);
}

TEST(ChartCtrl, SeriesBeforeAxesAndReplacedAxesAreSafe)
{
    ChartHost h;
    auto* early = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(early);
    early->AddPoint(1, 2);
    early->AddPoint(3, 4);
    CChartPointsSerie* points = h.chart.CreatePointsSerie();
    points->AddPoint(2, 3);
    h.chart.Redraw();
    Recorder listener;
    h.chart.SetMouseListener(&listener);
    early->NotifyClicks(true);
    uitest::ClickAt(&h.chart, CPoint(100, 100));
    ASSERT_TRUE(uitest::RenderToPng(&h.chart, uitest::OutputPath("widgets_chart/no_axes.png")));

    // Axes attached later take the series that had none, and fit them.
    auto* bottom = new CChartStandardAxis();
    h.chart.AttachAxis(CChartCtrl::BottomAxis, bottom);
    bottom->SetAutomatic(true);
    auto* left = new CChartStandardAxis();
    h.chart.AttachAxis(CChartCtrl::LeftAxis, left);
    left->SetAutomatic(true);
    EXPECT_EQ(early->GetHorizontalAxis(), bottom);
    EXPECT_EQ(points->GetVerticalAxis(), left);
    EXPECT_DOUBLE_EQ(bottom->GetMin(), 1);
    EXPECT_DOUBLE_EQ(bottom->GetMax(), 3);

    // Replacing an axis moves its series and cursors to the new one; the old one is gone.
    CChartCrossHairCursor* cursor = h.chart.CreateCrossHairCursor();
    auto* replacement = new CChartStandardAxis();
    h.chart.AttachAxis(CChartCtrl::BottomAxis, replacement);
    replacement->SetAutomatic(true);
    EXPECT_EQ(early->GetHorizontalAxis(), replacement);
    EXPECT_EQ(points->GetHorizontalAxis(), replacement);
    EXPECT_DOUBLE_EQ(replacement->GetMax(), 3);
    const CRect plot = h.chart.GetPlottingRect();
    Drag(&h.chart, CPoint(plot.left + 10, plot.top + 10), CPoint(plot.left + 90, plot.top + 90));
    uitest::MouseMove(&h.chart, CPoint(plot.left + 30, plot.top + 30));
    ASSERT_TRUE(uitest::RenderToPng(&h.chart, uitest::OutputPath("widgets_chart/replaced_axis.png")));
    h.chart.RemoveCursor(cursor->GetCursorId());
    h.chart.AttachAxis(CChartCtrl::LeftAxis, nullptr);
    h.chart.Redraw();
    uitest::ClickAt(&h.chart, CPoint(plot.left + 30, plot.top + 30));
}
