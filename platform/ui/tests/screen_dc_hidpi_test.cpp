// What the screen shows, read on a screen of two pixels per logical pixel (this program runs
// with QT_SCALE_FACTOR=2): at the screen's pixels, so that a balloon laying it behind itself
// shows it as sharp as it was.

#include "platform/ui/Dialog.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/ScreenDC.h"
#include "platform/ui/testing/DevicePixels.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Before any application object exists.
const bool kScaled = setenv("QT_SCALE_FACTOR", "2", 1) == 0;

constexpr const char* TEXT_TEMPLATE = R"(DIALOG 9203
CAPTION "Text"
STYLE WS_POPUP
SIZE 120 30
FONT 8 "MS Shell Dlg"
CONTROL Static   IDC_STATIC "Необходимо подключиться!"      SS_LEFT                    4 4 110 12
)";

TEST(ScreenDCOnScaledScreen, HoldsTheScreensPixels)
{
    ASSERT_TRUE(kScaled);
    uitest::EnsureApplication();
    ASSERT_TRUE(RegisterDialogTemplateText(TEXT_TEMPLATE));
    CDialog text;
    ASSERT_TRUE(text.Create(9203));
    text.SetWindowPos(nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    text.ShowWindow(SW_SHOW);
    uitest::ProcessEvents();
    CRect place;
    text.GetWindowRect(&place);

    CScreenDC screen(place);
    EXPECT_EQ(screen.GetPixelRatio(), 2);
    const QImage* fine = screen.GetSurfaceImage();
    ASSERT_NE(fine, nullptr);
    EXPECT_EQ(fine->size(), QSize(2 * place.Width(), 2 * place.Height()));
    EXPECT_GT(uitest::MixedBlocks(*fine), 20) << "the text's edges";
    CRect box;
    screen.GetClipBox(&box);
    EXPECT_EQ(box.Size(), place.Size()) << "callers address it in logical pixels";
    text.DestroyWindow();
}

}  // namespace
