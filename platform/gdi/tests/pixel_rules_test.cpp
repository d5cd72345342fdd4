// Pixel conventions of lines, shapes, fills and clipping on a memory DC.

#include "GdiTestUtil.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(PixelRules, LineToLeavesOutTheLastPixel)
{
    TestCanvas c(20, 20);
    c.dc.MoveTo(2, 3);
    c.dc.LineTo(10, 3);
    EXPECT_EQ(c.Row(3), "..########..........");
    c.dc.MoveTo(15, 2);
    c.dc.LineTo(15, 6);
    for (int y = 2; y < 6; ++y) EXPECT_EQ(c.At(15, y), kBlack) << y;
    EXPECT_EQ(c.At(15, 6), kWhite);
    // Right to left and diagonal: the end point stays empty, the start is drawn.
    c.dc.MoveTo(10, 10);
    c.dc.LineTo(4, 10);
    EXPECT_EQ(c.At(10, 10), kBlack);
    EXPECT_EQ(c.At(5, 10), kBlack);
    EXPECT_EQ(c.At(4, 10), kWhite);
    c.dc.MoveTo(2, 12);
    c.dc.LineTo(7, 17);
    EXPECT_EQ(c.At(2, 12), kBlack);
    EXPECT_EQ(c.At(6, 16), kBlack);
    EXPECT_EQ(c.At(7, 17), kWhite);
    EXPECT_EQ(c.dc.GetCurrentPosition(), CPoint(7, 17));
}

TEST(PixelRules, LinesReachingFarOffTheSurfaceDrawTheirVisiblePart)
{
    TestCanvas c(20, 20);
    c.dc.MoveTo(-1000000000, 4);
    c.dc.LineTo(1000000000, 4);
    EXPECT_EQ(c.Row(4), std::string(20, '#'));
    c.dc.MoveTo(-2000000, -2000000);
    c.dc.LineTo(2000000, 2000000);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(c.At(i, i), kBlack) << i;
    // A dotted line keeps its phase however far away it starts.
    TestCanvas d(20, 4);
    CPen dot(PS_DOT, 1, kBlack);
    d.dc.SelectObject(&dot);
    d.dc.SetBkMode(TRANSPARENT);
    d.dc.MoveTo(-600, 1);
    d.dc.LineTo(20, 1);
    EXPECT_EQ(d.Row(1), "###...###...###...##");
}

TEST(PixelRules, PolylineDrawsEveryVertexButTheLast)
{
    TestCanvas c(20, 20);
    const POINT pts[] = {{2, 2}, {8, 2}, {8, 8}, {3, 8}};
    ASSERT_TRUE(c.dc.Polyline(pts, 4));
    EXPECT_EQ(c.At(2, 2), kBlack);
    EXPECT_EQ(c.At(8, 2), kBlack);
    EXPECT_EQ(c.At(8, 8), kBlack);
    EXPECT_EQ(c.At(4, 8), kBlack);
    EXPECT_EQ(c.At(3, 8), kWhite);
    EXPECT_FALSE(c.dc.Polyline(pts, 1));
    EXPECT_FALSE(c.dc.Polyline(nullptr, 4));
}

TEST(PixelRules, WidthZeroAndOnePensDrawOnePixel)
{
    for (int width : {0, 1}) {
        TestCanvas c(30, 30);
        CPen pen(PS_SOLID, width, kRed);
        CPen* old = c.dc.SelectObject(&pen);
        ASSERT_NE(old, nullptr);
        c.dc.MoveTo(3, 10);
        c.dc.LineTo(25, 10);
        c.dc.MoveTo(5, 15);
        c.dc.LineTo(5, 28);
        EXPECT_EQ(c.Ink(), CRect(3, 10, 25, 28)) << width;
        EXPECT_EQ(c.Count(kRed), 22 + 13) << width;
        c.dc.SelectObject(old);
    }
}

TEST(PixelRules, WidePensAreWiderThanOnePixel)
{
    TestCanvas c(30, 30);
    CPen pen(PS_SOLID, 5, kBlack);
    c.dc.SelectObject(&pen);
    c.dc.MoveTo(5, 15);
    c.dc.LineTo(25, 15);
    const CRect ink = c.Ink();
    EXPECT_GE(ink.Height(), 4);
    EXPECT_LE(ink.Height(), 6);
}

TEST(PixelRules, ZeroLengthUserDashDrawsADot)
{
    TestCanvas c(24, 20);
    LOGBRUSH lb{BS_SOLID, kBlack, 0};
    const DWORD dots[] = {0, 2};
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &lb, 2, dots));
    c.dc.SelectObject(&pen);
    c.dc.MoveTo(0, 5);
    c.dc.LineTo(20, 5);
    EXPECT_EQ(c.Row(5), "#.#.#.#.#.#.#.#.#.#.....");

    // Far-reaching wide dotted lines are cut into dots only where they show.
    TestCanvas far(40, 10);
    const DWORD wideDots[] = {0, 8};
    CPen farPen;
    ASSERT_TRUE(farPen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 3, &lb, 2, wideDots));
    far.dc.SelectObject(&farPen);
    far.dc.MoveTo(-100000000, 5);
    far.dc.LineTo(100000000, 5);
    int dotsSeen = 0;
    for (int x = 1; x < 40; ++x) dotsSeen += far.At(x, 5) == kBlack && far.At(x - 1, 5) != kBlack;
    EXPECT_GE(dotsSeen, 4);
    EXPECT_LE(dotsSeen, 6);

    // A wide pen with round caps draws round dots where the dash is empty.
    TestCanvas w(60, 20);
    const DWORD sparse[] = {0, 12};
    CPen widePen;
    ASSERT_TRUE(widePen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_ROUND, 4, &lb, 2, sparse));
    w.dc.SelectObject(&widePen);
    w.dc.MoveTo(10, 10);
    w.dc.LineTo(50, 10);
    EXPECT_EQ(w.At(10, 10), kBlack);
    EXPECT_EQ(w.At(22, 10), kBlack);
    EXPECT_EQ(w.At(16, 10), kWhite);
    EXPECT_GE(w.Ink().Height(), 3);
}

TEST(PixelRules, UserDashPatternsRepeat)
{
    TestCanvas c(24, 4);
    LOGBRUSH lb{BS_SOLID, kBlack, 0};
    const DWORD dashes[] = {2, 3};
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &lb, 2, dashes));
    c.dc.SelectObject(&pen);
    c.dc.MoveTo(0, 1);
    c.dc.LineTo(20, 1);
    // Round caps lengthen each dash by a pixel taken from the gap.
    EXPECT_EQ(c.Row(1), "###..###..###..###......");
    // Too many or no entries are refused.
    const DWORD many[17] = {};
    CPen bad;
    EXPECT_FALSE(bad.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &lb, 17, many));
    EXPECT_FALSE(bad.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &lb, 0, nullptr));
}

TEST(PixelRules, CosmeticDotsFillGapsOnlyWhenOpaque)
{
    TestCanvas c(20, 6);
    CPen pen(PS_DOT, 1, kBlack);
    c.dc.SelectObject(&pen);
    c.dc.SetBkColor(kRed);
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.MoveTo(0, 1);
    c.dc.LineTo(12, 1);
    EXPECT_EQ(c.Row(1), "###...###...........");
    c.dc.SetBkMode(OPAQUE);
    c.dc.MoveTo(0, 3);
    c.dc.LineTo(12, 3);
    EXPECT_EQ(c.At(4, 3), kRed);
    EXPECT_EQ(c.At(1, 3), kBlack);
}

TEST(PixelRules, RectangleEllipseAndFillRectExcludeRightAndBottom)
{
    {
        TestCanvas c(20, 20);
        c.dc.Rectangle(2, 3, 9, 12);
        EXPECT_EQ(c.Ink(), CRect(2, 3, 9, 12));
        EXPECT_EQ(c.At(8, 5), kBlack);   // right edge of the outline
        EXPECT_EQ(c.At(5, 11), kBlack);  // bottom edge
        EXPECT_EQ(c.At(5, 5), kWhite);   // white brush inside
    }
    {
        TestCanvas c(20, 20);
        c.dc.SelectStockObject(NULL_PEN);
        c.dc.SelectStockObject(BLACK_BRUSH);
        c.dc.Rectangle(2, 3, 9, 12);
        // Without a pen the fill stops one pixel short.
        EXPECT_EQ(c.Ink(), CRect(2, 3, 8, 11));
    }
    {
        TestCanvas c(30, 30);
        c.dc.Ellipse(3, 4, 21, 16);
        EXPECT_EQ(c.Ink(), CRect(3, 4, 21, 16));
        EXPECT_EQ(c.At(12, 10), kWhite);
        EXPECT_EQ(c.At(3, 4), kWhite);  // corners stay outside
    }
    {
        TestCanvas c(20, 20);
        CBrush brush(kBlue);
        CRect r(4, 5, 10, 9);
        c.dc.FillRect(&r, &brush);
        EXPECT_EQ(c.Ink(), r);
        EXPECT_EQ(c.Count(kBlue), 6 * 4);
    }
}

TEST(PixelRules, ClippingExcludesRightAndBottom)
{
    TestCanvas c(20, 20);
    EXPECT_EQ(c.dc.IntersectClipRect(3, 4, 9, 11), SIMPLEREGION);
    CRect box;
    EXPECT_EQ(c.dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(3, 4, 9, 11));
    c.dc.FillSolidRect(0, 0, 20, 20, kRed);
    c.dc.MoveTo(0, 6);
    c.dc.LineTo(20, 6);
    // Pixels outside the clip region cannot be read through the DC.
    EXPECT_EQ(c.dc.GetPixel(9, 6), CLR_INVALID);
    EXPECT_EQ(c.At(8, 6), kBlack);
    // Clipping narrows further, and a null region removes it.
    c.dc.IntersectClipRect(5, 0, 20, 20);
    c.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(5, 4, 9, 11));
    c.dc.SelectClipRgn(nullptr);
    EXPECT_EQ(c.Ink(), CRect(3, 4, 9, 11));
    EXPECT_EQ(c.At(9, 6), kWhite);
    c.dc.FillSolidRect(0, 0, 20, 20, kBlue);
    EXPECT_EQ(c.Count(kBlue), 400);
}

TEST(PixelRules, ClipRegionsAndSaveRestore)
{
    TestCanvas c(20, 20);
    CRgn a, b;
    a.CreateRectRgn(0, 0, 5, 5);
    b.CreateRectRgn(10, 10, 15, 15);
    CRgn both;
    both.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(both.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    const int level = c.dc.SaveDC();
    EXPECT_EQ(level, 1);
    c.dc.SelectClipRgn(&both);
    c.dc.FillSolidRect(0, 0, 20, 20, kRed);
    EXPECT_EQ(c.Count(kRed), 50);
    EXPECT_TRUE(c.dc.RestoreDC(-1));
    c.dc.FillSolidRect(0, 0, 20, 20, kBlue);
    EXPECT_EQ(c.Count(kBlue), 400);
    EXPECT_FALSE(c.dc.RestoreDC(-1));
    EXPECT_FALSE(c.dc.RestoreDC(5));
}

TEST(PixelRules, HatchGapsTakeTheBackground)
{
    TestCanvas c(16, 16);
    CBrush hatch(HS_HORIZONTAL, kBlue);
    CRect r(0, 0, 16, 16);
    c.dc.SetBkColor(kRed);
    c.dc.SetBkMode(OPAQUE);
    c.dc.FillRect(&r, &hatch);
    EXPECT_EQ(c.Count(kBlue), 2 * 16);
    EXPECT_EQ(c.Count(kRed), 14 * 16);
    // Transparent: the gaps keep what was there.
    TestCanvas t(16, 16);
    t.dc.SetBkColor(kRed);
    t.dc.SetBkMode(TRANSPARENT);
    t.dc.FillRect(&r, &hatch);
    EXPECT_EQ(t.Count(kBlue), 2 * 16);
    EXPECT_EQ(t.Count(kWhite), 14 * 16);
    // Every hatch draws something and leaves gaps; unknown hatches are refused.
    for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
        TestCanvas k(8, 8);
        CBrush b(h, kBlack);
        CRect all(0, 0, 8, 8);
        k.dc.FillRect(&all, &b);
        EXPECT_GT(k.Count(kBlack), 0) << h;
        EXPECT_GT(k.Count(kWhite), 0) << h;
    }
    CBrush bad;
    EXPECT_FALSE(bad.CreateHatchBrush(6, kBlack));
}

TEST(PixelRules, BitBltCombinesSourceAndDestination)
{
    TestCanvas src(4, 1);
    src.dc.SetPixel(0, 0, RGB(0xF0, 0x0F, 0xFF));
    src.dc.SetPixel(1, 0, RGB(0x00, 0x00, 0x00));
    src.dc.SetPixel(2, 0, RGB(0x12, 0x34, 0x56));
    TestCanvas dst(4, 2, RGB(0x3C, 0xC3, 0x00));
    EXPECT_TRUE(dst.dc.BitBlt(0, 0, 3, 1, &src.dc, 0, 0, SRCAND));
    EXPECT_EQ(dst.At(0, 0), RGB(0x30, 0x03, 0x00));
    EXPECT_EQ(dst.At(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(dst.At(2, 0), RGB(0x10, 0x00, 0x00));
    EXPECT_EQ(dst.At(3, 0), RGB(0x3C, 0xC3, 0x00));
    EXPECT_TRUE(dst.dc.BitBlt(0, 1, 3, 1, &src.dc, 0, 0, SRCPAINT));
    EXPECT_EQ(dst.At(0, 1), RGB(0xFC, 0xCF, 0xFF));
    EXPECT_EQ(dst.At(1, 1), RGB(0x3C, 0xC3, 0x00));
    EXPECT_EQ(dst.At(2, 1), RGB(0x3E, 0xF7, 0x56));
    // Copy, with a source partly outside its bitmap: only the pixels that exist arrive.
    TestCanvas copy(4, 1);
    EXPECT_TRUE(copy.dc.BitBlt(0, 0, 4, 1, &src.dc, 2, 0, SRCCOPY));
    EXPECT_EQ(copy.At(0, 0), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(copy.At(2, 0), kWhite);
    EXPECT_FALSE(copy.dc.BitBlt(0, 0, 4, 1, nullptr, 0, 0, SRCCOPY));
}

TEST(PixelRules, StretchBltScalesAndMirrors)
{
    TestCanvas src(2, 1);
    src.dc.SetPixel(0, 0, kRed);
    src.dc.SetPixel(1, 0, kBlue);
    TestCanvas dst(8, 2);
    EXPECT_TRUE(dst.dc.StretchBlt(0, 0, 8, 1, &src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.Row(0, kRed), "####....");
    EXPECT_EQ(dst.Row(0, kBlue), "....####");
    // A negative destination width mirrors.
    EXPECT_TRUE(dst.dc.StretchBlt(8, 1, -8, 1, &src.dc, 0, 0, 2, 1, SRCCOPY));
    EXPECT_EQ(dst.Row(1, kBlue), "####....");
}

TEST(PixelRules, InvertAndPatBlt)
{
    TestCanvas c(10, 10, RGB(0x10, 0x20, 0x30));
    CRect r(2, 2, 5, 5);
    c.dc.InvertRect(&r);
    EXPECT_EQ(c.At(2, 2), RGB(0xEF, 0xDF, 0xCF));
    EXPECT_EQ(c.At(5, 5), RGB(0x10, 0x20, 0x30));
    c.dc.InvertRect(&r);
    EXPECT_EQ(c.At(2, 2), RGB(0x10, 0x20, 0x30));
    c.dc.SelectStockObject(BLACK_BRUSH);
    EXPECT_TRUE(c.dc.PatBlt(0, 0, 3, 3, PATCOPY));
    EXPECT_EQ(c.At(2, 2), kBlack);
    EXPECT_EQ(c.At(3, 3), RGB(0x10, 0x20, 0x30));
}

TEST(PixelRules, GradientFillRunsFromFirstToSecondVertex)
{
    TestCanvas c(64, 16);
    TRIVERTEX v[2] = {{0, 0, 0x0000, 0x0000, 0xFF00, 0}, {64, 16, 0xFF00, 0x0000, 0x0000, 0}};
    GRADIENT_RECT g{0, 1};
    ASSERT_TRUE(c.dc.GradientFill(v, 2, &g, 1, GRADIENT_FILL_RECT_H));
    EXPECT_EQ(c.At(0, 5), RGB(0, 0, 255));
    EXPECT_EQ(c.At(32, 5), RGB(127, 0, 127));
    EXPECT_EQ(GetRValue(c.At(63, 5)), 251);
    EXPECT_EQ(c.At(10, 0), c.At(10, 15));
    ASSERT_TRUE(c.dc.GradientFill(v, 2, &g, 1, GRADIENT_FILL_RECT_V));
    EXPECT_EQ(c.At(5, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(0, 8), c.At(63, 8));
    // A mesh naming a vertex that does not exist is refused.
    GRADIENT_RECT bad{0, 2};
    EXPECT_FALSE(c.dc.GradientFill(v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
}

TEST(PixelRules, DrawEdgeRaisedUsesLightAndShadowColours)
{
    TestCanvas c(10, 10);
    CRect r(0, 0, 10, 10);
    ASSERT_TRUE(c.dc.DrawEdge(&r, EDGE_RAISED, BF_RECT | BF_ADJUST));
    EXPECT_EQ(r, CRect(2, 2, 8, 8));
    EXPECT_EQ(c.At(3, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(3, 9), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(3, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(8, 3), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(5, 5), kWhite);
}

TEST(PixelRules, PolygonFillsAlternateAndOutlines)
{
    TestCanvas c(20, 20);
    c.dc.SelectStockObject(BLACK_BRUSH);
    c.dc.SelectStockObject(NULL_PEN);
    const POINT tri[] = {{2, 2}, {18, 2}, {2, 18}};
    ASSERT_TRUE(c.dc.Polygon(tri, 3));
    EXPECT_EQ(c.At(4, 4), kBlack);
    EXPECT_EQ(c.At(16, 16), kWhite);
    // A self-overlapping star leaves its centre empty with alternate filling.
    TestCanvas s(40, 40);
    s.dc.SelectStockObject(BLACK_BRUSH);
    s.dc.SelectStockObject(NULL_PEN);
    const POINT star[] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
    s.dc.Polygon(star, 5);
    EXPECT_EQ(s.At(20, 20), kWhite);
    EXPECT_EQ(s.At(20, 8), kBlack);
    s.dc.SetPolyFillMode(WINDING);
    s.dc.Polygon(star, 5);
    EXPECT_EQ(s.At(20, 20), kBlack);
}

TEST(PixelRules, PolyBezierNeedsThreePointsPerCurve)
{
    TestCanvas c(40, 40);
    const POINT curve[] = {{2, 30}, {10, 2}, {30, 2}, {38, 30}};
    EXPECT_TRUE(c.dc.PolyBezier(curve, 4));
    EXPECT_EQ(c.At(2, 30), kBlack);
    EXPECT_EQ(c.At(38, 30), kBlack);
    EXPECT_LT(c.Ink().top, 12);
    EXPECT_FALSE(c.dc.PolyBezier(curve, 3));
}

}  // namespace

namespace {

TEST(PixelRules, ArcDirectionPicksTheHalf)
{
    // From the top middle to the bottom middle: counter-clockwise runs down the left side "(",
    // clockwise down the right side ")".
    TestCanvas ccw(20, 30);
    ccw.dc.SetArcDirection(AD_COUNTERCLOCKWISE);
    ASSERT_TRUE(ccw.dc.Arc(2, 2, 18, 28, 10, 2, 10, 28));
    const CRect left = ccw.Ink();
    EXPECT_LE(left.left, 3);
    EXPECT_LE(left.right, 11);
    EXPECT_GE(left.Height(), 24);
    TestCanvas cw(20, 30);
    EXPECT_EQ(cw.dc.SetArcDirection(AD_CLOCKWISE), AD_COUNTERCLOCKWISE);
    cw.dc.Arc(2, 2, 18, 28, 10, 2, 10, 28);
    const CRect right = cw.Ink();
    EXPECT_GE(right.left, 9);
    EXPECT_GE(right.right, 17);
    EXPECT_EQ(cw.dc.SetArcDirection(7), 0);
}

TEST(PixelRules, RoundRectAndStyledGeometricPens)
{
    TestCanvas c(30, 30);
    c.dc.SelectStockObject(BLACK_BRUSH);
    c.dc.RoundRect(2, 2, 28, 28, 10, 10);
    EXPECT_EQ(c.Ink(), CRect(2, 2, 28, 28));
    EXPECT_EQ(c.At(2, 2), RGB(255, 255, 255));  // rounded corner
    EXPECT_EQ(c.At(15, 15), RGB(0, 0, 0));
    // A wide geometric dotted pen leaves gaps between its dots.
    TestCanvas d(60, 20);
    LOGBRUSH lb{BS_SOLID, RGB(0, 0, 0), 0};
    CPen dots;
    ASSERT_TRUE(dots.CreatePen(PS_GEOMETRIC | PS_DOT, 4, &lb));
    d.dc.SelectObject(&dots);
    d.dc.MoveTo(4, 10);
    d.dc.LineTo(56, 10);
    int changes = 0;
    for (int x = 5; x < 56; ++x) changes += d.At(x, 10) != d.At(x - 1, 10);
    EXPECT_GE(changes, 8);
}

}  // namespace

namespace {

TEST(PixelRules, ExtremeCoordinatesAreHandledWithoutOverflow)
{
    TestCanvas c(10, 10);
    const int big = 0x7FFFFFFF;
    const int small = -0x7FFFFFFF - 1;
    c.dc.FillSolidRect(big, big, big, big, RGB(1, 2, 3));
    EXPECT_EQ(c.At(5, 5), RGB(255, 255, 255));
    // A rectangle from far left to far right still covers the surface.
    c.dc.FillSolidRect(-1000000000, -1000000000, 2000000000, 2000000000, RGB(255, 0, 0));
    EXPECT_EQ(c.At(5, 5), RGB(255, 0, 0));
    c.dc.Rectangle(small, small, big, big);
    c.dc.Ellipse(small, 0, big, 5);
    RECT huge{small, small, big, big};
    c.dc.InvertRect(&huge);
    c.dc.Draw3dRect(&huge, 0, 0);
    c.dc.DrawText("x", &huge, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    c.dc.PatBlt(big, big, big, big, PATCOPY);
    c.dc.BitBlt(small, small, big, big, &c.dc, big, big, SRCCOPY);
    const POINT pts[] = {{small, small}, {big, big}, {small, big}};
    c.dc.Polyline(pts, 3);
    c.dc.Polygon(pts, 3);
    const POINT bez[] = {{small, small}, {big, big}, {small, big}, {big, small}};
    c.dc.PolyBezier(bez, 4);
    TRIVERTEX v[2] = {{small, small, 0, 0, 0, 0}, {big, big, 0xFF00, 0xFF00, 0xFF00, 0}};
    GRADIENT_RECT g{0, 1};
    c.dc.GradientFill(v, 2, &g, 1, GRADIENT_FILL_RECT_H);
    CRgn rgn;
    EXPECT_TRUE(rgn.CreateRoundRectRgn(small, small, big, big, big, big));
    CRgn ell;
    EXPECT_TRUE(ell.CreateEllipticRgn(small, small, big, big));
    EXPECT_TRUE(ell.PtInRegion(0, 0));
}

}  // namespace

namespace {

TEST(PixelRules, WideDashedPensStayDashed)
{
    TestCanvas c(80, 12);
    CPen pen(PS_DASH, 2, RGB(0, 0, 0));
    c.dc.SelectObject(&pen);
    c.dc.MoveTo(2, 6);
    c.dc.LineTo(78, 6);
    int changes = 0;
    for (int x = 3; x < 78; ++x) changes += c.At(x, 6) != c.At(x - 1, 6);
    EXPECT_GE(changes, 6);
}

}  // namespace

namespace {

TEST(PixelRules, FocusRectangleIsDottedAndUndoesItself)
{
    TestCanvas c(12, 12, RGB(0x20, 0x40, 0x60));
    CRect r(1, 1, 11, 11);
    c.dc.DrawFocusRect(&r);
    EXPECT_EQ(c.At(1, 1), RGB(0xDF, 0xBF, 0x9F));
    EXPECT_EQ(c.At(2, 1), RGB(0x20, 0x40, 0x60));
    EXPECT_EQ(c.At(5, 5), RGB(0x20, 0x40, 0x60));
    c.dc.DrawFocusRect(&r);
    EXPECT_EQ(c.Count(RGB(0x20, 0x40, 0x60)), 144);
}

}  // namespace
