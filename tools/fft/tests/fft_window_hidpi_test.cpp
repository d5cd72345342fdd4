// The spectrum window on a screen of two pixels per logical pixel (this program runs with
// QT_SCALE_FACTOR=2): its chart and cross-hair reach the window at the screen's pixels.

#include "tools/fft/CDialogFFT.h"

#include "platform/ui/testing/DevicePixels.h"
#include "resources/Resources.h"
#include "widgets/chart/ChartCrossHairCursor.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// Before any application object exists.
const bool kScaled = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

TEST(SpectrumWindowOnScaledScreen, ChartAndCrossHairAreDrawnAtTheScreensPixels)
{
    ASSERT_TRUE(kScaled);
    uitest::EnsureApplication();
    ASSERT_TRUE(RegisterVelkaroResources());
    CRect rect(20, 20, 380, 280);
    CDialogFFT w(&rect);
    // A spectrum of 512 bins with a slope down from a line at bin 75, so the trace has slants.
    const int points = 1024;
    std::vector<double> f, a;
    for (int k = 0; k <= points / 2; ++k) {
        f.push_back(k * 1e6 / points);
        a.push_back(k == 0 ? 5.0 : 0.8 / (1.0 + std::abs(k - 75) / 4.0));
    }
    w.ShowSpectrum(f, a, points);
    uitest::ProcessEvents();
    ASSERT_TRUE(w.IsWindowVisible());
    ASSERT_NE(w.GetCursor(), nullptr);
    CChartCtrl& chart = w.GetChart();
    ASSERT_EQ(uitest::DeviceRatio(&chart), 2.0);

    const QImage shown = uitest::DevicePixels(&chart);
    CRect client;
    chart.GetClientRect(&client);
    ASSERT_EQ(shown.size(), QSize(2 * client.Width(), 2 * client.Height()));
    const CRect plot = chart.GetPlottingRect();
    EXPECT_GT(uitest::MixedBlocks(shown, QRect(plot.left + 2, plot.top + 2, plot.Width() - 4, plot.Height() - 4)), 50)
        << "the trace and the cross-hair's labels";
    EXPECT_GT(uitest::MixedBlocks(shown, QRect(0, plot.bottom + 1, client.Width(), client.bottom - plot.bottom - 1)), 20)
        << "the frequency axis' labels";
    // The cross-hair, drawn straight on the window, is as wide as a logical pixel there.
    const CPoint at = w.GetCursor()->GetPosition();
    const COLORREF c = w.GetCursor()->GetColor();
    const QRgb line = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    const int y = 2 * (plot.top + 3);
    EXPECT_EQ(shown.pixel(2 * at.x - 1, y) == line, false);
    EXPECT_EQ(shown.pixel(2 * at.x, y), line);
    EXPECT_EQ(shown.pixel(2 * at.x + 1, y), line);
    EXPECT_EQ(shown.pixel(2 * at.x + 2, y) == line, false);
}

}  // namespace
