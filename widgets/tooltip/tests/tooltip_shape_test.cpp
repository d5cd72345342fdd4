// Where a tip goes and what shape it has: placement away from the screen's edges (rectangles
// worked out by hand), the region with its anchor, and pictures of tips for a reviewer.

#include "tooltip_support.h"

#include <gtest/gtest.h>

namespace {

using tiptest::Owner;

// A 200 x 100 body on an 800 x 600 screen, anchor offset 16 and height 16: the window is
// 200 x 116 for tips above or below the point.
const CRect kScreen(0, 0, 800, 600);
const CSize kBody(200, 100);

struct PlacementCase {
    CPoint point;
    DWORD direction;
    DWORD placed;
    CPoint anchor;  // inside the window
};

TEST(TipPlacement, CentreAndCornersOfTheScreen)
{
    const PlacementCase cases[] = {
        // Centre: every direction stays as asked.
        {{400, 300}, 0x10, 0x10, {16, 116}},
        {{400, 300}, 0x11, 0x11, {184, 116}},
        {{400, 300}, 0x00, 0x00, {16, 0}},
        {{400, 300}, 0x01, 0x01, {184, 0}},
        // Top-left: below the point, anchor from the left, pulled to the screen's edge.
        {{5, 5}, 0x10, 0x00, {5, 0}},
        {{5, 5}, 0x11, 0x00, {5, 0}},
        {{5, 5}, 0x00, 0x00, {5, 0}},
        {{5, 5}, 0x01, 0x00, {5, 0}},
        // Top-right: below, anchor from the right end; the window ends at the screen's edge.
        {{795, 5}, 0x10, 0x01, {195, 0}},
        {{795, 5}, 0x11, 0x01, {195, 0}},
        {{795, 5}, 0x00, 0x01, {195, 0}},
        {{795, 5}, 0x01, 0x01, {195, 0}},
        // Bottom-left and bottom-right: above the point.
        {{5, 595}, 0x10, 0x10, {5, 116}},
        {{5, 595}, 0x11, 0x10, {5, 116}},
        {{5, 595}, 0x00, 0x10, {5, 116}},
        {{5, 595}, 0x01, 0x10, {5, 116}},
        {{795, 595}, 0x10, 0x11, {195, 116}},
        {{795, 595}, 0x11, 0x11, {195, 116}},
        {{795, 595}, 0x00, 0x11, {195, 116}},
        {{795, 595}, 0x01, 0x11, {195, 116}},
        // Beside the point: the side flips at the edges, the anchor runs along it.
        {{795, 300}, 0x20, 0x30, {216, 16}},
        {{5, 300}, 0x30, 0x20, {0, 16}},
        {{400, 590}, 0x20, 0x21, {0, 90}},
        {{400, 5}, 0x22, 0x20, {0, 5}},
        // Centred on a point too near the left edge for it: anchor from the left end.
        {{10, 300}, 0x12, 0x10, {10, 116}},
        // Centred with room on both sides.
        {{400, 300}, 0x02, 0x02, {100, 0}},
    };
    for (const PlacementCase& c : cases) {
        const TipPlacement place = PlaceTip(kScreen, c.point, kBody, c.direction, 16, 16);
        EXPECT_EQ(place.direction, c.placed) << c.point.x << "," << c.point.y << " dir " << c.direction;
        EXPECT_EQ(place.anchor, c.anchor) << c.point.x << "," << c.point.y << " dir " << c.direction;
        // The window lies on the screen whatever was asked.
        const bool horizontal = (place.direction & 0x20) == 0;
        const CSize window(kBody.cx + (horizontal ? 0 : 16), kBody.cy + (horizontal ? 16 : 0));
        const CRect onScreen(CPoint(c.point.x - place.anchor.x, c.point.y - place.anchor.y), window);
        CRect inside;
        inside.IntersectRect(&onScreen, &kScreen);
        EXPECT_EQ(inside, onScreen) << c.point.x << "," << c.point.y << " dir " << c.direction;
    }
}

TEST(TipPlacement, BodyLeavesRoomForTheAnchor)
{
    EXPECT_EQ(PlaceTip(kScreen, {400, 300}, kBody, 0x00, 16, 16).body, CRect(0, 16, 200, 116));
    EXPECT_EQ(PlaceTip(kScreen, {400, 300}, kBody, 0x10, 16, 16).body, CRect(0, 0, 200, 100));
    EXPECT_EQ(PlaceTip(kScreen, {400, 300}, kBody, 0x20, 16, 16).body, CRect(16, 0, 216, 100));
    EXPECT_EQ(PlaceTip(kScreen, {400, 300}, kBody, 0x30, 16, 16).body, CRect(0, 0, 200, 100));
}

class TipShapeTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
};

TEST_F(TipShapeTest, RegionHoldsTheAnchorButNotTheCornersOutsideTheEllipse)
{
    Owner owner;
    CPPToolTip& tip = owner.tip;
    tip.ShowTipAt(CPoint(400, 300), TipToolInfo{0, {0, 0, 0, 0}, "Фронт триггера"});
    ASSERT_TRUE(tip.IsWindowVisible());
    ASSERT_EQ(tip.GetTipDirection(), 0x10u);
    const CPoint apex = tip.GetTipAnchor();
    const int bodyBottom = apex.y - 16;
    const int width = tip.GetTipSize().cx - 6;
    // The anchor: from the apex up to the body, beside the anchor offset.
    EXPECT_TRUE(tip.TipRegionContains(CPoint(apex.x + 1, apex.y - 6)));
    EXPECT_TRUE(tip.TipRegionContains(CPoint(apex.x + 3, bodyBottom + 1)));
    EXPECT_FALSE(tip.TipRegionContains(CPoint(apex.x + 20, apex.y - 6)));
    // The body's rounded corners.
    EXPECT_TRUE(tip.TipRegionContains(CPoint(width / 2, bodyBottom / 2)));
    EXPECT_FALSE(tip.TipRegionContains(CPoint(0, 0)));
    EXPECT_FALSE(tip.TipRegionContains(CPoint(1, 1)));
    EXPECT_FALSE(tip.TipRegionContains(CPoint(width - 1, 0)));
    EXPECT_FALSE(tip.TipRegionContains(CPoint(width - 1, bodyBottom - 1)));
    EXPECT_TRUE(tip.TipRegionContains(CPoint(10, 1)));
}

// Pictures for a reviewer: the tips as the user sees them.
TEST_F(TipShapeTest, PicturesOfTips)
{
    Owner owner(CPoint(0, 0));
    CPPToolTip& tip = owner.tip;

    // The position control's three lines with the information icon, over the main window.
    uitest::MouseMove(&owner, CPoint(1, 1));
    uitest::MouseMove(owner.GetDlgItem(1030), CPoint(6, 6));
    ASSERT_TRUE(uitest::FireTimer(&tip, CPPToolTip::TIMER_SHOW));
    ASSERT_TRUE(tip.IsWindowVisible());
    uitest::ProcessEvents();
    EXPECT_TRUE(uitest::RenderToPng(&tip, uitest::OutputPath("tooltip/tip_1030.png")));

    tip.ShowIconTip(LoadIcon(nullptr, IDI_ERROR), "Необходимо сначало включить канал B!", owner.ScreenPointOf(1013));
    uitest::ProcessEvents();
    EXPECT_TRUE(uitest::RenderToPng(&tip, uitest::OutputPath("tooltip/balloon_channel_b.png")));

    // Each direction the tip takes at the screen's corners and edges.
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        CPoint point;
        DWORD direction;
        DWORD placed;
    } corners[] = {
        {{4, 4}, 0x10, 0x00},           {{cx - 4, 4}, 0x10, 0x01},      {{4, cy - 4}, 0x10, 0x10},
        {{cx - 4, cy - 4}, 0x10, 0x11}, {{cx - 4, cy / 2}, 0x20, 0x30}, {{4, cy / 2}, 0x30, 0x20},
        {{cx / 2, 4}, 0x02, 0x02},      {{4, cy - 4}, 0x21, 0x21},      {{cx - 4, 4}, 0x30, 0x30},
    };
    for (const auto& c : corners) {
        tip.SetDefaultDirection(c.direction);
        tip.ShowIconTip(LoadIcon(nullptr, IDI_INFORMATION), "Фронт триггера", c.point);
        ASSERT_TRUE(tip.IsWindowVisible());
        EXPECT_EQ(tip.GetTipDirection(), c.placed) << c.point.x << "," << c.point.y;
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&tip, uitest::OutputPath(StringFormat("tooltip/anchor_%02X.png", c.placed))));
    }
}

}  // namespace
