// Point fonts are made for the DC they will draw on: on a scaled (printer) mapping their height
// is in that mapping's logical units, so text keeps its point size on paper.

#include "GdiTestUtil.h"

#include <gtest/gtest.h>

TEST(PointFont, HeightFollowsTheResolutionAndTheMapping)
{
    CDC screen;
    screen.CreateCompatibleDC(nullptr);
    CFont plain;
    ASSERT_TRUE(plain.CreatePointFont(100, "Arial", &screen));
    LOGFONT lf{};
    plain.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -13);  // 10 pt at 96 dpi

    // A page of 2400 device pixels shown as 800 logical units: a unit is three pixels.
    screen.SetMapMode(MM_ANISOTROPIC);
    screen.SetWindowExt(800, 800);
    screen.SetViewportExt(2400, 2400);
    CFont mapped;
    ASSERT_TRUE(mapped.CreatePointFont(120, "Arial", &screen));
    mapped.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -5);  // 16 px at 96 dpi, a third of it in units, rounded

    // Without a DC: the screen.
    CFont none;
    ASSERT_TRUE(none.CreatePointFont(80, "Arial"));
    none.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -11);
}
