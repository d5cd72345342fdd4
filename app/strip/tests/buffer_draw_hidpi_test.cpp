// The overview strip on a screen of two pixels per logical pixel (this program runs with
// QT_SCALE_FACTOR=2): its picture is made with the screen's pixels and reaches the window one
// to one.

#include "app/strip/BufferDraw.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/testing/DevicePixels.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Before any application object exists.
const bool kScaled = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

constexpr int WIDTH = 300;
constexpr int HEIGHT = 14;
constexpr int LEFT = CBufferDraw::MARGIN;

constexpr const char* MAIN_TEMPLATE = R"(DIALOG 9202
CAPTION "Main"
STYLE WS_POPUP | WS_CAPTION
SIZE 260 40
FONT 8 "MS Shell Dlg"
)";

TEST(BufferDrawOnScaledScreen, ThePictureHoldsTheScreensPixelsAndTheWindowShowsThem)
{
    ASSERT_TRUE(kScaled);
    uitest::EnsureApplication();
    ASSERT_TRUE(RegisterDialogTemplateText(MAIN_TEMPLATE));
    CDialog main;
    ASSERT_TRUE(main.Create(9202));
    main.ShowWindow(SW_SHOW);
    CBufferDraw strip;
    ASSERT_TRUE(strip.Create(CBufferDraw::CLASS_NAME, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, LEFT + WIDTH + 1, HEIGHT),
                             &main, 1056));
    DeleteOscData();
    ASSERT_TRUE(SelectOscDataVersion(2, 1));
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        d.x_zoom_out_hw = d.x_zoom_out_sw = d.x_zoom_in = 1;
        d.osc_cr |= OSC_CR_TRIGGER_ON;
        d.osc_sr = OSC_SR_TROK;
        d.mode &= ~MODE_STOPPED;
        d.last_num_catched_samples = 1200;
        d.trigger_offset_samples = 400;
    }
    strip.Redraw();
    uitest::ProcessEvents();
    ASSERT_EQ(uitest::DeviceRatio(&strip), 2.0);
    EXPECT_EQ(strip.GetPicturePixelRatio(), 2) << "the picture is made as fine as the window's screen";

    const QImage shown = uitest::DevicePixels(&strip);
    ASSERT_EQ(shown.size(), QSize(2 * (LEFT + WIDTH + 1), 2 * HEIGHT));
    // Right of the check box the window shows the picture: the filled part, the view and the
    // trigger marker (three lines) where the picture has them.
    int differing = 0;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = LEFT; x < LEFT + WIDTH; ++x) {
            const COLORREF c = strip.GetShownPixel(x, y);
            const QRgb want = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
            for (int k = 0; k < 4; ++k)
                if (shown.pixel(2 * x + k % 2, 2 * y + k / 2) != want) ++differing;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(strip.GetShownPixel(strip.GetTriggerMarkerX(), HEIGHT - 1), strip.GetShownPixel(LEFT + WIDTH - 2, HEIGHT - 1));

    strip.DestroyWindow();
    main.DestroyWindow();
    DeleteOscData();
}

}  // namespace
