// The chart on a screen of two pixels per logical pixel (this program runs with
// QT_SCALE_FACTOR=2): traces, grid, labels and legend reach the window at the screen's pixels,
// while the picture saved to a file keeps the chart's logical size.

#include "support/ChartHost.h"

#include "platform/testing/RunFolder.h"
#include "platform/ui/testing/DevicePixels.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartLineSerie.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdlib>

namespace {

// Before any application object exists.
const bool kScaled = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

TEST(ChartOnScaledScreen, DrawsAtTheScreensPixelsAndSavesAtItsOwnSize)
{
    ASSERT_TRUE(kScaled);
    ChartHost h(300, 200);
    h.Bottom(0, 100);
    h.Left(-1, 1);
    auto* s = new CChartLineSerie(&h.chart);
    h.chart.AddSerie(s);
    s->SetName("Канал A");
    for (int i = 0; i <= 100; ++i) s->AddPoint(i, std::sin(i / 8.0));
    h.chart.GetLegend()->SetVisible(true);
    h.Paint();
    ASSERT_EQ(uitest::DeviceRatio(&h.chart), 2.0);

    const QImage shown = uitest::DevicePixels(&h.chart);
    ASSERT_EQ(shown.size(), QSize(600, 400));
    // A picture drawn at logical pixels and enlarged has every 2x2 block of one colour; the
    // sine's slopes, the labels' and the legend's text have edges inside the blocks.
    const CRect plot = h.chart.GetPlottingRect();
    EXPECT_GT(uitest::MixedBlocks(shown, QRect(plot.left + 2, plot.top + 2, plot.Width() - 4, plot.Height() - 4)), 100)
        << "the trace";
    EXPECT_GT(uitest::MixedBlocks(shown, QRect(0, 0, plot.left, 200)), 20) << "the left axis' labels";

    // The file holds the chart at the size of its window, as on any screen.
    const RunFolder run("widgets_chart_hidpi");
    const std::string file = run.PathOf("chart.png");
    ASSERT_TRUE(h.chart.SaveImage(file));
    const QImage saved(QString::fromStdString(file));
    EXPECT_EQ(saved.size(), QSize(300, 200));
    EXPECT_EQ(saved.devicePixelRatio(), 1.0);
}

}  // namespace
