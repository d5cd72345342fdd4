// Axes on their own and inside a chart: ticks, labels, fitting, mapping and its limits.

#include "support/ChartHost.h"

#include "widgets/chart/ChartFastLogarithmicAxis.h"
#include "widgets/chart/ChartFastStandardAxis.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartLogarithmicAxis.h"
#include "widgets/chart/ChartStandardAxis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ChartAxis, AutomaticStepGivesAboutOneTickPer30Pixels)
{
    struct Case {
        double max;
        double step;
        int decimals;
    };
    for (const Case c : {Case{3, 0.5, 1}, Case{700, 100, 0}, Case{0.35, 0.05, 2}, Case{7, 1.0, 0}}) {
        CChartStandardAxis axis;
        axis.SetPixelSpan(0, 300);
        axis.SetMinMax(0, c.max);
        axis.RefreshTickIncrement();
        EXPECT_DOUBLE_EQ(axis.GetTickIncrement(), c.step) << c.max;
        EXPECT_EQ(axis.GetDecimals(), c.decimals) << c.max;
    }
    // A vertical axis counts one tick per 20 pixels; a degenerate range has no step.
    CChartStandardAxis vertical;
    vertical.SetHorizontal(false);
    vertical.SetPixelSpan(200, 0);
    vertical.SetMinMax(0, 10);
    vertical.RefreshTickIncrement();
    EXPECT_DOUBLE_EQ(vertical.GetTickIncrement(), 1.0);
    vertical.SetMinMax(4, 4);
    vertical.RefreshTickIncrement();
    EXPECT_DOUBLE_EQ(vertical.GetTickIncrement(), 0);
    // Too short for a single tick: the step stays as it was.
    CChartStandardAxis tiny;
    tiny.SetPixelSpan(0, 25);
    tiny.SetMinMax(0, 1000);
    tiny.RefreshTickIncrement();
    EXPECT_DOUBLE_EQ(tiny.GetTickIncrement(), 1.0);
}

TEST(ChartAxis, FirstTickIsTheSmallestMultipleOfTheStepNotBelowMin)
{
    struct Case {
        double min;
        double step;
        double first;
    };
    for (const Case c : {Case{-25, 10, -20}, Case{20, 10, 20}, Case{0.05, 0.1, 0.1}, Case{-30, 10, -30}, Case{0, 5, 0},
                         Case{7, 0, 7}}) {
        CChartStandardAxis axis;
        axis.SetMinMax(c.min, c.min + 100);
        axis.SetTickIncrement(false, c.step);
        axis.RefreshFirstTick();
        EXPECT_DOUBLE_EQ(axis.GetFirstTick(), c.first) << c.min << " step " << c.step;
    }
}

TEST(ChartAxis, TickLabels)
{
    CChartLogarithmicAxis log;
    EXPECT_EQ(log.GetTickLabel(1e6), "1000k");
    EXPECT_EQ(log.GetTickLabel(1e7), "10M");
    EXPECT_EQ(log.GetTickLabel(100), "100");
    EXPECT_EQ(log.GetTickLabel(0.01), "0.01");
    CChartStandardAxis standard;
    standard.SetDecimals(2);
    EXPECT_EQ(standard.GetTickLabel(1.5), "1.50");
    // A tick reached by adding steps that lands a hair below zero reads as zero.
    EXPECT_EQ(standard.GetTickLabel(-1e-17), "0.00");
}

TEST(ChartAxis, MappingRunsFromStartToEndAndTurnsWhenInverted)
{
    CChartStandardAxis axis;
    axis.SetHorizontal(false);
    axis.SetPixelSpan(400, 100);
    axis.SetMinMax(-10, 10);
    EXPECT_EQ(axis.ValueToScreen(-10), 400);
    EXPECT_EQ(axis.ValueToScreen(10), 100);
    EXPECT_DOUBLE_EQ(axis.ScreenToValue(250), 0);
    axis.SetInverted(true);
    EXPECT_EQ(axis.ValueToScreen(-10), 100);
    EXPECT_EQ(axis.ValueToScreen(10), 400);
    EXPECT_DOUBLE_EQ(axis.ScreenToValue(100), -10);

    // Far-off values stay within 16-bit coordinates; not-a-number lands on the start.
    axis.SetInverted(false);
    EXPECT_EQ(axis.ValueToScreen(1e300), -32768);
    EXPECT_EQ(axis.ValueToScreen(-1e300), 32767);
    EXPECT_EQ(axis.ValueToScreen(std::numeric_limits<double>::quiet_NaN()), 400);
    // A degenerate range maps everything to the centre; a zero-length axis answers min.
    axis.SetMinMax(3, 3);
    EXPECT_EQ(axis.ValueToScreen(99), 250);
    CChartStandardAxis flat;
    flat.SetPixelSpan(10, 10);
    flat.SetMinMax(1, 2);
    EXPECT_DOUBLE_EQ(flat.ScreenToValue(10), 1);
}

TEST(ChartAxis, AutomaticFitIncludesZeroWhenTheFirstSeriesIsHidden)
{
    CChartStandardAxis axis;
    axis.SetHorizontal(false);
    CChartLineSerie hidden(nullptr);
    CChartLineSerie shown(nullptr);
    hidden.AddPoint(0, 50);
    shown.AddPoint(0, 10);
    shown.AddPoint(1, 20);
    axis.RegisterSerie(&hidden);
    axis.RegisterSerie(&shown);
    axis.RegisterSerie(&shown);  // once only
    EXPECT_EQ(axis.GetRelatedSeries().size(), 2u);
    axis.SetAutomatic(true);
    EXPECT_DOUBLE_EQ(axis.GetMin(), 10);
    EXPECT_DOUBLE_EQ(axis.GetMax(), 50);
    hidden.SetVisible(false);
    axis.UpdateAutoRange();
    EXPECT_DOUBLE_EQ(axis.GetMin(), 0);
    EXPECT_DOUBLE_EQ(axis.GetMax(), 20);
    axis.UnregisterSerie(&hidden);
    axis.UnregisterSerie(&shown);
}

TEST(ChartAxis, LogarithmicAxisFitsPositiveValuesAndRefusesARangeThatIsNot)
{
    CChartLogarithmicAxis axis;
    CChartLineSerie serie(nullptr);
    for (double x : {0.0, -5.0, 10.0, 1000.0}) serie.AddPoint(x, 1);
    axis.RegisterSerie(&serie);
    axis.SetAutomatic(true);
    EXPECT_DOUBLE_EQ(axis.GetMin(), 10);
    EXPECT_DOUBLE_EQ(axis.GetMax(), 1000);
    axis.SetPixelSpan(0, 200);
    EXPECT_EQ(axis.ValueToScreen(100), 100);
    EXPECT_EQ(axis.ValueToScreen(0), -32768);

    axis.SetAutomatic(false);
    axis.SetMinMax(-1, 100);
    EXPECT_TRUE(axis.IsDegenerate());
    axis.SetZoomRange(1, 10);
    axis.PanPixels(10, 50);
    axis.ScrollSteps(0, 3, false);
    EXPECT_DOUBLE_EQ(axis.GetMin(), -1);
    EXPECT_DOUBLE_EQ(axis.GetMax(), 100);
    int count = 0;
    int position = 0;
    axis.GetScrollRange(count, position);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(position, 1);
    axis.UnregisterSerie(&serie);
}

TEST(ChartAxis, ScrollCountsAreCapped)
{
    CChartStandardAxis axis;
    CChartLineSerie serie(nullptr);
    serie.AddPoint(0, 0);
    serie.AddPoint(1e12, 0);
    axis.RegisterSerie(&serie);
    axis.SetMinMax(0, 1);
    int count = 0;
    int position = 0;
    axis.GetScrollRange(count, position);
    EXPECT_EQ(count, 1000000);
    EXPECT_EQ(position, 0);
    axis.UnregisterSerie(&serie);
}

TEST(ChartAxis, FastAxesMapLikeTheStandardOnesAfterZoomAndResize)
{
    ChartHost h;
    auto* bottom = new CChartFastStandardAxis();
    h.chart.AttachAxis(CChartCtrl::BottomAxis, bottom);
    bottom->SetMinMax(0, 299);
    auto* left = new CChartFastStandardAxis();
    h.chart.AttachAxis(CChartCtrl::LeftAxis, left);
    left->SetMinMax(-128, 127);
    // Unprepared, a fast axis answers 0.
    EXPECT_EQ(bottom->ValueToScreen(150), 0);
    bottom->PrepareMapping();
    left->PrepareMapping();
    auto check = [&](const char* when) {
        for (double v = -130; v <= 300; v += 0.37) {
            EXPECT_NEAR(bottom->ValueToScreen(v), bottom->ValueToScreenLinear(v), 1) << when << " x " << v;
            EXPECT_NEAR(left->ValueToScreen(v), left->ValueToScreenLinear(v), 1) << when << " y " << v;
        }
    };
    h.chart.Redraw();
    check("drawn");
    const CRect plot = h.chart.GetPlottingRect();
    uitest::MouseDown(&h.chart, CPoint(plot.left + 50, plot.top + 40));
    uitest::MouseMove(&h.chart, CPoint(plot.left + 150, plot.top + 140), true);
    uitest::MouseUp(&h.chart, CPoint(plot.left + 150, plot.top + 140));
    EXPECT_LT(bottom->GetMax() - bottom->GetMin(), 299);
    check("zoomed");
    h.chart.MoveWindow(0, 0, 450, 250);
    check("resized");

    auto* logAxis = new CChartFastLogarithmicAxis();
    h.chart.AttachAxis(CChartCtrl::BottomAxis, logAxis);
    logAxis->SetMinMax(10, 100000);
    logAxis->PrepareMapping();
    h.chart.Redraw();
    for (double f = 10; f <= 100000; f *= 1.37) EXPECT_NEAR(logAxis->ValueToScreen(f), logAxis->ValueToScreenLinear(f), 1) << f;
}

TEST(ChartAxis, HugeValuesWithTinyRangesStillFinishDrawing)
{
    ChartHost h;
    CChartStandardAxis* bottom = h.Bottom(1e15, 1e15 + 1);
    auto* left = new CChartLogarithmicAxis();
    h.chart.AttachAxis(CChartCtrl::LeftAxis, left);
    left->SetMinMax(1e15, 1e15 + 1);
    auto* serie = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(serie);
    serie->AddPoint(1e15, 1e15);
    serie->AddPoint(1e15 + 1, 1e15 + 1);
    h.chart.Redraw();
    EXPECT_GT(bottom->GetTickIncrement(), 0);
    // A step far below the range cannot walk it: the axis stops instead of looping.
    bottom->SetTickIncrement(false, 1e-9);
    bottom->SetMinMax(0, 1e12);
    h.chart.Redraw();
    ASSERT_TRUE(uitest::RenderToPng(&h.chart, uitest::OutputPath("widgets_chart/huge_values.png")));
}
