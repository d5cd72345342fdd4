// A balloon on a screen of two pixels per logical pixel (this program runs with
// QT_SCALE_FACTOR=2): its body, text, border and shadow, faded or not, reach the window at the
// screen's pixels.

#include "DrawTestUtil.h"
#include "tooltip_support.h"

#include "platform/ui/testing/DevicePixels.h"

#include <gtest/gtest.h>

#include <QImage>

#include <memory>

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

// A white picture made for the screen with a slanted line across it: detail inside the
// blocks of 2x2 pixels of each logical pixel.
struct LinedPicture {
    CDC dc;
    CBitmap bitmap;
    LinedPicture()
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, 40, 20);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, 40, 20, RGB(255, 255, 255));
        dc.MoveTo(0, 0);
        dc.LineTo(40, 19);
    }
    int Mixed() const { return uitest::MixedBlocks(*dc.GetSurfaceImage()); }
};

TEST(DrawManagerOnScaledScreen, BlendsAndShadowsKeepThePicturesFinePixels)
{
    ASSERT_TRUE(kScaled);
    uitest::EnsureApplication();
    CPPDrawManager dm;
    LinedPicture p;
    ASSERT_EQ(p.dc.GetPixelRatio(), 2);
    const int mixed = p.Mixed();
    ASSERT_GT(mixed, 20);

    const HBITMAP mask = drawtest::SolidBitmap(40, 20, RGB(128, 128, 128));
    dm.CastShadow(p.dc.GetSafeHdc(), 0, 0, 40, 20, mask, FALSE, 0, 0);
    DeleteObject(mask);
    EXPECT_EQ(p.dc.GetPixel(39, 0), RGB(128, 128, 128));
    EXPECT_EQ(p.Mixed(), mixed) << "the shadow darkens the picture without coarsening it";

    LinedPicture over;
    dm.BlendBitmap(over.dc.GetSafeHdc(), p.dc.GetSafeHdc(), 0, 0, 40, 20, 50);
    EXPECT_EQ(p.dc.GetPixel(39, 0), RGB(191, 191, 191));
    EXPECT_EQ(p.Mixed(), mixed) << "the blend keeps the fine pixels of both pictures";
}

}  // namespace
