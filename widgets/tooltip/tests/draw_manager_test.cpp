#include "widgets/tooltip/PPDrawManager.h"

#include "widgets/tooltip/tests/DrawTestUtil.h"

#include "platform/gdi/Rand15.h"
#include "platform/gdi/RecordingDC.h"

#include <gtest/gtest.h>

#include <set>

using drawtest::Canvas;
using drawtest::SolidBitmap;

namespace {

constexpr COLORREF kRed = RGB(200, 10, 20);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(DrawManagerBackground, SolidForEffectZeroUnknownAndNone)
{
    for (const int effect : {0, 16, -1, 99}) {
        Canvas c(20, 10);
        CPPDrawManager dm;
        const CRect r(2, 2, 18, 8);
        dm.PaintBackground(c.Hdc(), &r, effect, kRed, RGB(0, 255, 0), RGB(0, 0, 255));
        EXPECT_EQ(c.At(2, 2), kRed) << effect;
        EXPECT_EQ(c.At(17, 7), kRed) << effect;
        EXPECT_EQ(c.At(18, 8), kWhite) << effect;  // right and bottom stay outside
        EXPECT_EQ(c.At(1, 1), kWhite) << effect;
    }
}

TEST(DrawManagerBackground, GradientsAreSixtyFourBands)
{
    CPPDrawManager dm;
    {
        Canvas c(64, 4);
        const CRect r(0, 0, 64, 4);
        dm.PaintBackground(c.Hdc(), &r, CPPDrawManager::EFFECT_HGRADIENT, RGB(0, 0, 0), 0, RGB(255, 255, 255));
        for (int k = 0; k < 64; ++k) EXPECT_EQ(GetRValue(c.At(k, 1)), 255 * k / 64) << k;
    }
    {
        // 32 pixels: only the odd bands have room, so column j shows band 2j + 1.
        Canvas c(32, 4);
        const CRect r(0, 0, 32, 4);
        dm.PaintBackground(c.Hdc(), &r, CPPDrawManager::EFFECT_HGRADIENT, RGB(0, 0, 0), 0, RGB(255, 255, 255));
        for (int j = 0; j < 32; ++j) EXPECT_EQ(GetGValue(c.At(j, 2)), 255 * (2 * j + 1) / 64) << j;
    }
    {
        // Vertical and centred: each 32-pixel half shows the odd bands, colour 1 to 3 and back.
        Canvas c(4, 64);
        const CRect r(0, 0, 4, 64);
        dm.PaintBackground(c.Hdc(), &r, CPPDrawManager::EFFECT_VCGRADIENT, RGB(0, 0, 0), 0, RGB(255, 255, 255));
        EXPECT_EQ(c.At(0, 0), RGB(3, 3, 3));
        EXPECT_EQ(GetRValue(c.At(0, 31)), 251);
        EXPECT_EQ(GetRValue(c.At(0, 32)), 251);
        EXPECT_EQ(GetRValue(c.At(0, 63)), 3);
    }
    {
        // Three colours: colour 2 in the middle of a horizontal three-colour gradient.
        Canvas c(128, 2);
        const CRect r(0, 0, 128, 2);
        dm.PaintBackground(c.Hdc(), &r, CPPDrawManager::EFFECT_3HGRADIENT, RGB(255, 0, 0), RGB(0, 255, 0),
                           RGB(0, 0, 255));
        EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
        EXPECT_EQ(c.At(64, 0), RGB(0, 255, 0));
        EXPECT_GT(GetBValue(c.At(127, 0)), 240);
    }
}

TEST(DrawManagerBackground, TexturesFillExactlyTheirRectangle)
{
    SRand15(7);
    for (int effect = CPPDrawManager::EFFECT_NOISE; effect <= CPPDrawManager::EFFECT_METAL; ++effect) {
        for (const int granularity : {0, 5, 200, 255}) {
            Canvas c(60, 40, RGB(1, 2, 3));
            CPPDrawManager dm;
            const CRect r(5, 5, 55, 35);
            dm.PaintBackground(c.Hdc(), &r, effect, RGB(250, 250, 250), RGB(128, 128, 128), RGB(0, 0, 0), granularity, 5);
            int inside = 0;
            for (int y = 0; y < 40; ++y) {
                for (int x = 0; x < 60; ++x) {
                    const bool in = r.PtInRect(CPoint(x, y));
                    if (!in) EXPECT_EQ(c.At(x, y), RGB(1, 2, 3)) << effect << " at " << x << "," << y;
                    else inside += c.At(x, y) != RGB(1, 2, 3) ? 1 : 0;
                }
            }
            EXPECT_GT(inside, 0) << effect;
        }
    }
}

TEST(DrawManagerBackground, DegenerateAreasDrawNothing)
{
    CPPDrawManager dm;
    Canvas c(10, 10, RGB(9, 9, 9));
    const CRect empty(5, 5, 5, 9);
    const CRect inverted(8, 8, 2, 2);
    const CRect thin(1, 1, 2, 9);  // metal needs 2 pixels each way
    for (int effect = -1; effect <= 16; ++effect) {
        dm.PaintBackground(c.Hdc(), &empty, effect, 0, 0, 0, 10, 0);
        dm.PaintBackground(c.Hdc(), &inverted, effect, 0, 0, 0, 10, 0);
    }
    dm.PaintBackground(c.Hdc(), &thin, CPPDrawManager::EFFECT_METAL, 0, 0, 0, 10, 0);
    dm.PaintBackground(c.Hdc(), nullptr, 0, 0, 0, 0);
    EXPECT_EQ(c.CountNot(RGB(9, 9, 9)), 0);
}

TEST(DrawManagerBlend, OpacityPercent)
{
    CPPDrawManager dm;
    Canvas src(8, 8, RGB(200, 200, 200));
    struct Case {
        int percent;
        COLORREF expected;
    } cases[] = {{100, RGB(200, 200, 200)}, {150, RGB(200, 200, 200)}, {0, RGB(100, 100, 100)},
                 {-5, RGB(100, 100, 100)}, {50, RGB(150, 150, 150)}, {25, RGB(125, 125, 125)}};
    for (const Case& k : cases) {
        Canvas dst(8, 8, RGB(100, 100, 100));
        dm.BlendBitmap(src.Hdc(), dst.Hdc(), 2, 2, 4, 4, k.percent);
        EXPECT_EQ(dst.At(3, 3), k.expected) << k.percent;
        EXPECT_EQ(dst.At(1, 1), RGB(100, 100, 100)) << k.percent;
    }
}

TEST(DrawManagerFilter, GreyDarkerLighterAndMask)
{
    CPPDrawManager dm;
    struct Case {
        DWORD flags;
        COLORREF in;
        COLORREF out;
    } cases[] = {
        {CPPDrawManager::IMAGE_EFFECT_GRAYEN, RGB(100, 150, 200), RGB(140, 140, 140)},
        {CPPDrawManager::IMAGE_EFFECT_DARKEN, RGB(100, 150, 200), RGB(75, 112, 150)},
        {CPPDrawManager::IMAGE_EFFECT_LIGHTEN, RGB(220, 100, 0), RGB(255, 125, 0)},
        {CPPDrawManager::IMAGE_EFFECT_MONOCHROME, RGB(1, 2, 3), RGB(9, 8, 7)},
        {CPPDrawManager::IMAGE_EFFECT_INVERT, RGB(0, 255, 16), RGB(255, 0, 239)},
        {0, RGB(255, 0, 255), RGB(0, 0, 0)},  // the mask colour loses its colour
    };
    for (const Case& k : cases) {
        const HBITMAP source = SolidBitmap(3, 3, k.in);
        const HBITMAP out = dm.FilterBitmap(source, 3, 3, k.flags, TRUE, RGB(255, 0, 255), RGB(9, 8, 7));
        ASSERT_NE(out, 0u);
        Canvas c(3, 3);
        CDC image;
        image.CreateCompatibleDC(nullptr);
        const HGDIOBJ old = image.SelectObject(static_cast<HGDIOBJ>(out));
        EXPECT_EQ(image.GetPixel(1, 1), k.out) << std::hex << k.flags;
        image.SelectObject(old);
        DeleteObject(out);
        DeleteObject(source);
    }
    EXPECT_EQ(dm.FilterBitmap(0, 3, 3, 0, FALSE, 0, 0), 0u);
}

TEST(DrawManagerImages, AllMaskImageDrawsAndShadowsNothing)
{
    CPPDrawManager dm;
    const HBITMAP masked = SolidBitmap(10, 10, RGB(255, 0, 255));
    for (const DWORD flags : {0u, 0x100u, 0x300u, 0x101u}) {
        Canvas c(40, 40, RGB(90, 90, 90));
        dm.DrawMaskedBitmap(10, 10, c.Hdc(), 5, 5, masked, TRUE, RGB(255, 0, 255), flags, TRUE, 4, 4, 7, 7,
                            RGB(128, 128, 128));
        EXPECT_EQ(c.CountNot(RGB(90, 90, 90)), 0) << flags;
    }
    DeleteObject(masked);
}

TEST(DrawManagerImages, MaskedBitmapAndItsShadow)
{
    CPPDrawManager dm;
    const HBITMAP blue = SolidBitmap(10, 10, RGB(0, 0, 255));
    {
        // Plain shadow: the image at (5, 5), the shadow darkens the area 4 pixels down and right.
        Canvas c(40, 40, RGB(200, 200, 200));
        dm.DrawMaskedBitmap(10, 10, c.Hdc(), 5, 5, blue, TRUE, RGB(255, 0, 255), CPPDrawManager::IMAGE_EFFECT_SHADOW,
                            TRUE, 4, 4, 7, 7, RGB(128, 128, 128));
        EXPECT_EQ(c.At(5, 5), RGB(0, 0, 255));
        EXPECT_EQ(c.At(16, 16), RGB(200 * 128 / 255, 200 * 128 / 255, 200 * 128 / 255));
        EXPECT_EQ(c.At(30, 30), RGB(200, 200, 200));
    }
    {
        // Without its shadow the image sits where the shadow would be.
        Canvas c(40, 40, RGB(200, 200, 200));
        dm.DrawMaskedBitmap(10, 10, c.Hdc(), 5, 5, blue, FALSE, 0, 0, TRUE, 4, 4, 7, 7, RGB(128, 128, 128));
        EXPECT_EQ(c.At(5, 5), RGB(200, 200, 200));
        EXPECT_EQ(c.At(9, 9), RGB(0, 0, 255));
        EXPECT_EQ(c.At(18, 18), RGB(0, 0, 255));
    }
    {
        // Stretched to 20 x 5 and greyed.
        Canvas c(40, 40, RGB(255, 255, 255));
        dm.DrawMaskedBitmap(20, 5, c.Hdc(), 0, 0, blue, FALSE, 0, CPPDrawManager::IMAGE_EFFECT_GRAYEN, FALSE, 0, 0, 0, 0, 0);
        EXPECT_EQ(c.At(19, 4), RGB(29, 29, 29));
        EXPECT_EQ(c.At(20, 4), RGB(255, 255, 255));
        EXPECT_EQ(c.At(19, 5), RGB(255, 255, 255));
    }
    DeleteObject(blue);
}

TEST(DrawManagerImages, StripFramesRowByRow)
{
    CPPDrawManager dm;
    // A 2 x 2 strip of 4 x 4 frames, each frame its own colour.
    const HBITMAP strip = SolidBitmap(8, 8, RGB(10, 10, 10));
    {
        CDC s;
        s.CreateCompatibleDC(nullptr);
        const HGDIOBJ old = s.SelectObject(static_cast<HGDIOBJ>(strip));
        s.FillSolidRect(4, 0, 4, 4, RGB(20, 20, 20));
        s.FillSolidRect(0, 4, 4, 4, RGB(30, 30, 30));
        s.FillSolidRect(4, 4, 4, 4, RGB(40, 40, 40));
        s.SelectObject(old);
    }
    const COLORREF expected[] = {RGB(10, 10, 10), RGB(20, 20, 20), RGB(30, 30, 30), RGB(40, 40, 40)};
    for (int index = 0; index < 4; ++index) {
        Canvas c(10, 10);
        dm.DrawStripFrame(c.Hdc(), 1, 1, 4, 4, strip, index, 4, 4, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
        EXPECT_EQ(c.At(2, 2), expected[index]) << index;
    }
    for (const int index : {4, -1, 1000}) {
        Canvas c(10, 10);
        dm.DrawStripFrame(c.Hdc(), 1, 1, 4, 4, strip, index, 4, 4, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
        EXPECT_EQ(c.CountNot(kWhite), 0) << index;
    }
    Canvas c(10, 10);
    dm.DrawStripFrame(c.Hdc(), 1, 1, 4, 4, strip, 0, 0, 4, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
    dm.DrawStripFrame(c.Hdc(), 1, 1, 4, 4, strip, 0, 9, 9, FALSE, 0, 0, FALSE, 0, 0, 0, 0, 0);
    EXPECT_EQ(c.CountNot(kWhite), 0);
    DeleteObject(strip);
}

TEST(DrawManagerShadow, PlainAndBlurred)
{
    CPPDrawManager dm;
    {
        // A plain shadow at grey 128 scales every channel by 128/255.
        Canvas c(20, 20, RGB(200, 100, 50));
        const HBITMAP mask = SolidBitmap(10, 10, RGB(128, 128, 128));
        dm.CastShadow(c.Hdc(), 5, 5, 10, 10, mask, FALSE, 7, 7);
        EXPECT_EQ(c.At(5, 5), RGB(200 * 128 / 255, 100 * 128 / 255, 50 * 128 / 255));
        EXPECT_EQ(c.At(14, 14), RGB(200 * 128 / 255, 100 * 128 / 255, 50 * 128 / 255));
        EXPECT_EQ(c.At(15, 15), RGB(200, 100, 50));
        DeleteObject(mask);
    }
    {
        // Blurred: the centre is darkest, the edges fade back towards the background.
        Canvas c(40, 40, RGB(200, 200, 200));
        const HBITMAP mask = SolidBitmap(30, 30, RGB(0, 0, 0));
        dm.CastShadow(c.Hdc(), 5, 5, 30, 30, mask, TRUE, 7, 7);
        const int centre = GetRValue(c.At(20, 20));
        const int edge = GetRValue(c.At(5, 20));
        EXPECT_EQ(centre, 0);
        EXPECT_GT(edge, 100);
        EXPECT_LT(GetRValue(c.At(9, 20)), edge);
        EXPECT_EQ(c.At(2, 2), RGB(200, 200, 200));
        DeleteObject(mask);
    }
    {
        // A blur as large as the area: nothing to shrink the mask into, no shadow.
        Canvas c(20, 20, RGB(200, 200, 200));
        const HBITMAP mask = SolidBitmap(6, 6, RGB(0, 0, 0));
        dm.CastShadow(c.Hdc(), 0, 0, 6, 6, mask, TRUE, 7, 7);
        dm.CastShadow(c.Hdc(), 0, 0, 0, 6, mask, FALSE, 7, 7);
        dm.CastShadow(c.Hdc(), 0, 0, 6, 6, 0, FALSE, 7, 7);
        EXPECT_EQ(c.CountNot(RGB(200, 200, 200)), 0);
        DeleteObject(mask);
    }
}

TEST(DrawManagerFrames, DoubleFrameAndRules)
{
    CPPDrawManager dm;
    {
        Canvas c(40, 40);
        dm.DrawFrame(c.Hdc(), 0, 0, 40, 40, RGB(255, 0, 0), RGB(0, 0, 255), CPPDrawManager::BORDER_DOUBLE, 3);
        // The outer frame covers columns 0..2, the inner one 6 pixels further in (6..8).
        for (const int x : {0, 1, 2, 6, 7, 8}) EXPECT_EQ(c.At(x, 20), RGB(255, 0, 0)) << x;
        for (const int x : {3, 4, 5, 9, 20}) EXPECT_EQ(c.At(x, 20), kWhite) << x;
        for (const int x : {39, 37, 33}) EXPECT_EQ(c.At(x, 20), RGB(0, 0, 255)) << x;
    }
    {
        Canvas c(20, 20);
        dm.DrawFrame(c.Hdc(), 0, 0, 20, 20, 0, 0, CPPDrawManager::BORDER_SOLID, 0);
        dm.DrawRule(c.Hdc(), 0, 0, 5, 19, 5, 0, CPPDrawManager::BORDER_SOLID);
        EXPECT_EQ(c.CountNot(kWhite), 0);
        dm.DrawRule(c.Hdc(), 1, 0, 5, 19, 5, RGB(0, 0, 0), CPPDrawManager::BORDER_DOUBLE);
        EXPECT_EQ(c.At(4, 5), RGB(0, 0, 0));
        EXPECT_EQ(c.At(4, 7), RGB(0, 0, 0));
        EXPECT_EQ(c.At(4, 6), kWhite);
    }
    {
        CRecordingDC rec(30, 30);
        dm.DrawFrame(rec.GetSafeHdc(), 0, 0, 30, 30, 0, 0, CPPDrawManager::BORDER_DASH, 1);
        const auto lines = rec.RecordsOf("LineTo");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].penStyle, PS_DASH);
    }
}

TEST(DrawManagerTile, CopiesFillTheAreaAndClipAtTheEdge)
{
    CPPDrawManager dm;
    Canvas tile(4, 3, RGB(1, 1, 1));
    tile.dc.SetPixel(0, 0, RGB(9, 9, 9));
    Canvas c(20, 20);
    dm.TileBitmap(c.Hdc(), 2, 2, 10, 7, tile.Hdc(), 4, 3);
    EXPECT_EQ(c.At(2, 2), RGB(9, 9, 9));
    EXPECT_EQ(c.At(6, 5), RGB(9, 9, 9));
    EXPECT_EQ(c.At(11, 8), RGB(1, 1, 1));
    EXPECT_EQ(c.At(12, 8), kWhite);
    EXPECT_EQ(c.At(11, 9), kWhite);
    dm.TileBitmap(c.Hdc(), 0, 0, 20, 20, tile.Hdc(), 0, 3);
    EXPECT_EQ(c.At(0, 0), kWhite);
}

TEST(DrawManagerIcons, StretchAndDraw)
{
    CPPDrawManager dm;
    const HBITMAP color = SolidBitmap(16, 16, RGB(0, 200, 0));
    const HBITMAP mask = SolidBitmap(16, 16, RGB(0, 0, 0));
    ICONINFO info{TRUE, 8, 8, mask, color};
    const HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, 0u);
    const HICON big = dm.StretchIcon(icon, 32, 24);
    ASSERT_NE(big, 0u);
    ICONINFO bigInfo{};
    ASSERT_TRUE(GetIconInfo(big, &bigInfo));
    BITMAP bm{};
    GetObject(bigInfo.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 24);
    DeleteObject(bigInfo.hbmColor);
    DeleteObject(bigInfo.hbmMask);

    Canvas c(40, 40);
    dm.DrawIconImage(CPPDrawManager::IMAGE_EFFECT_GRAYEN, 20, 20, c.Hdc(), 2, 2, icon, FALSE, 0, 0, 0, 0, 0);
    const int level = static_cast<int>(0.587 * 200);
    EXPECT_EQ(c.At(10, 10), RGB(level, level, level));
    EXPECT_EQ(c.At(22, 22), kWhite);
    // Not an icon: nothing.
    dm.DrawIconImage(0, 20, 20, c.Hdc(), 20, 20, color, FALSE, 0, 0, 0, 0, 0);
    EXPECT_EQ(c.At(30, 30), kWhite);
    EXPECT_EQ(dm.StretchIcon(color, 32, 32), 0u);
    DestroyIcon(big);
    DestroyIcon(icon);
    DeleteObject(color);
    DeleteObject(mask);
}

TEST(CeXDib, PaletteBlendAndDraw)
{
    CCeXDib dib;
    EXPECT_FALSE(dib.Create(0, 5));
    EXPECT_FALSE(dib.Create(5, CCeXDib::kMaxSide + 1));
    ASSERT_TRUE(dib.Create(5, 3));
    EXPECT_EQ(dib.GetLineWidth(), 8);
    EXPECT_EQ(dib.GetPaletteSize(), 256);
    dib.GetPalette()[1] = RGBQUAD{100, 50, 0, 0};
    dib.BlendPalette(150, RGB(200, 200, 200));  // limited to 100 %
    EXPECT_EQ(dib.GetPalette()[1].rgbBlue, 200);
    dib.GetPalette()[2] = RGBQUAD{0, 0, 100, 0};
    dib.BlendPalette(50, RGB(0, 0, 0));
    EXPECT_EQ(dib.GetPalette()[2].rgbRed, 50);
    // Row 0 is the bottom row.
    dib.GetBits()[0] = 2;
    Canvas c(10, 10);
    dib.Draw(c.Hdc(), 1, 1);
    EXPECT_EQ(c.At(1, 3), RGB(50, 0, 0));
    EXPECT_EQ(c.At(1, 1), RGB(100, 100, 100));
    EXPECT_EQ(c.At(6, 1), kWhite);
}

}  // namespace
