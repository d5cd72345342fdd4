// A balloon on a screen of two pixels per logical pixel (this program runs with
// QT_SCALE_FACTOR=2): its body, text, border and shadow, faded or not, reach the window at the
// screen's pixels.

#include "tooltip_support.h"

#include "platform/ui/testing/DevicePixels.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>

namespace {

// Before any application object exists.
const bool kScaled = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

TEST(BalloonOnScaledScreen, IsDrawnAtTheScreensPixelsWhileFadingAndWhenShown)
{
    ASSERT_TRUE(kScaled);
    uitest::EnsureApplication();
    tiptest::Owner owner;
    CPPToolTip& tip = owner.tip;
    tip.SetShadow(4, 4, 50);
    tip.SetFadePeriods(30, 40);
    uitest::SetApplicationActive(true);
    tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "Необходимо сначало включить канал B!", owner.ScreenPointOf(1013));
    ASSERT_TRUE(tip.IsWindowVisible());
    ASSERT_EQ(uitest::DeviceRatio(&tip), 2.0);
    CRect window;
    tip.GetClientRect(&window);

    // Faded in part of the way: the tip is blended over what lay behind it.
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_IN));
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_IN));
    ASSERT_EQ(tip.GetTransparency(), 60);
    QImage shown = uitest::DevicePixels(&tip);
    ASSERT_EQ(shown.size(), QSize(2 * window.Width(), 2 * window.Height()));
    EXPECT_GT(uitest::MixedBlocks(shown), 50) << "text and edges while fading";

    while (tip.GetTransparency() > 0) ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_FADE_IN));
    shown = uitest::DevicePixels(&tip);
    EXPECT_GT(uitest::MixedBlocks(shown), 50) << "text and edges when shown";
    uitest::RenderToPng(&tip, uitest::OutputPath("widgets_tooltip/balloon_scaled_screen.png"));
}

}  // namespace
