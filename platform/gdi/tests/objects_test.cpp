// Handles, selection, bitmaps, regions, MulDiv and the recording DC.

#include "GdiTestUtil.h"
#include "platform/gdi/Rand15.h"
#include "platform/gdi/RecordingDC.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

TEST(MulDivTest, RoundsHalfAwayFromZeroAndRefusesZeroDivisor)
{
    EXPECT_EQ(MulDiv(5, 3, 2), 8);     // 7.5
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);   // -7.5
    EXPECT_EQ(MulDiv(7, 1, -2), -4);   // -3.5
    EXPECT_EQ(MulDiv(-7, -1, -2), -4);
    EXPECT_EQ(MulDiv(10, 1, 4), 3);    // 2.5
    EXPECT_EQ(MulDiv(9, 1, 4), 2);     // 2.25
    EXPECT_EQ(MulDiv(11, 1, 4), 3);    // 2.75
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0, 5, 0), -1);
    // The product is taken in 64 bits.
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);
    EXPECT_EQ(MulDiv(100000, 100000, 1000), 10000000);
    // A quotient that does not fit fails.
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
    EXPECT_EQ(MulDiv(-0x7FFFFFFF - 1, 1, 1), -0x7FFFFFFF - 1);
}

TEST(Handles, PrintedHandlesParseBackAndUnknownOnesAreNotFound)
{
    CPen pen(PS_SOLID, 1, kRed);
    ASSERT_NE(pen.m_hObject, 0u);
    char text[32];
    std::snprintf(text, sizeof text, "0x%X", pen.m_hObject);
    const HGDIOBJ parsed = static_cast<HGDIOBJ>(std::strtoul(text, nullptr, 16));
    EXPECT_EQ(CPen::FromHandle(parsed), &pen);
    EXPECT_EQ(CBrush::FromHandle(parsed), nullptr);  // wrong kind
    EXPECT_EQ(CGdiObject::FromHandle(0xDEADBEEF), nullptr);
    EXPECT_FALSE(DeleteObject(0xDEADBEEF));
    LOGPEN lp{};
    EXPECT_EQ(pen.GetLogPen(&lp), static_cast<int>(sizeof(LOGPEN)));
    EXPECT_EQ(lp.lopnColor, kRed);
    const HGDIOBJ h = pen.m_hObject;
    pen.DeleteObject();
    EXPECT_EQ(GetObjectKind(h), GdiObjectKind::None);
    EXPECT_EQ(pen.m_hObject, 0u);
    // Stock objects survive deletion.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectKind(GetStockObject(BLACK_PEN)), GdiObjectKind::Pen);
    EXPECT_EQ(GetStockObject(-1), 0u);
    EXPECT_EQ(GetStockObject(99), 0u);
    EXPECT_EQ(GetObjectKind(GetStockObject(DC_PEN)), GdiObjectKind::Pen);
    EXPECT_EQ(GetObjectKind(GetStockObject(DC_BRUSH)), GdiObjectKind::Brush);
    EXPECT_EQ(GetObjectKind(GetStockObject(DEFAULT_GUI_FONT)), GdiObjectKind::Font);
    EXPECT_EQ(GetObjectKind(GetStockObject(NULL_BRUSH)), GdiObjectKind::Brush);
}

TEST(Handles, SelectObjectReturnsThePreviousObject)
{
    TestCanvas c(10, 10);
    CPen red(PS_SOLID, 0, kRed);
    CPen blue(PS_SOLID, 0, RGB(0, 0, 255));
    CPen* first = c.dc.SelectObject(&red);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_hObject, GetStockObject(BLACK_PEN));
    EXPECT_EQ(c.dc.SelectObject(&blue), &red);
    EXPECT_EQ(c.dc.GetCurrentPen(), &blue);
    EXPECT_EQ(c.dc.SelectObject(first), &blue);
    // Handles of a temporary wrapper keep working after a round trip.
    const HGDIOBJ before = c.dc.SelectObject(GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetObjectKind(before), GdiObjectKind::Brush);
    // A bitmap goes only into a memory DC.
    CDC window;
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&window, 4, 4);
    EXPECT_EQ(window.SelectObject(&bmp), nullptr);
}

TEST(Handles, AnObjectDeletedWhileSelectedStaysUsableByTheDC)
{
    TestCanvas c(10, 10);
    auto pen = std::make_unique<CPen>(PS_SOLID, 0, kRed);
    CPen* old = c.dc.SelectObject(pen.get());
    pen.reset();
    c.dc.MoveTo(0, 0);
    c.dc.LineTo(5, 0);
    EXPECT_EQ(c.At(2, 0), kRed);
    c.dc.SelectObject(old);
}

TEST(Handles, DCHandlesAreLookedUp)
{
    auto dc = std::make_unique<CDC>();
    const HDC h = dc->GetSafeHdc();
    EXPECT_EQ(CDC::FromHandle(h), dc.get());
    dc.reset();
    EXPECT_EQ(CDC::FromHandle(h), nullptr);
}

TEST(Bitmaps, SizesAndBadRequests)
{
    CBitmap bmp;
    ASSERT_TRUE(bmp.CreateCompatibleBitmap(nullptr, 30, 20));
    BITMAP bm{};
    ASSERT_EQ(bmp.GetBitmap(&bm), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(bm.bmWidth, 30);
    EXPECT_EQ(bm.bmHeight, 20);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmBits, nullptr);
    CBitmap huge;
    EXPECT_FALSE(huge.CreateBitmap(100000, 100000, 1, 32, nullptr));
    EXPECT_FALSE(huge.CreateBitmap(-5, 5, 1, 32, nullptr));
    BITMAPINFO bad{};
    bad.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bad.bmiHeader.biWidth = 4;
    bad.bmiHeader.biHeight = -0x7FFFFFFF - 1;
    bad.bmiHeader.biPlanes = 1;
    bad.bmiHeader.biBitCount = 32;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(&bad, DIB_RGB_COLORS, &bits), 0u);
    EXPECT_EQ(bits, nullptr);
}

TEST(Bitmaps, BottomUpDibSectionKeepsRowsInWindowsOrderWithAFreeReservedByte)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 3;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP h = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
    ASSERT_NE(h, 0u);
    ASSERT_NE(bits, nullptr);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const HGDIOBJ old = dc.SelectObject(h);
    // Row 0 of the picture (top) is the last row in memory.
    dc.FillSolidRect(0, 0, 4, 1, RGB(0x11, 0x22, 0x33));
    auto* px = static_cast<std::uint32_t*>(bits);
    EXPECT_EQ(px[2 * 4 + 1], 0x00112233u);
    EXPECT_EQ(px[0], 0u);
    // Pixels written by the caller, alpha included, are read back and copied as they are.
    px[0] = 0x80FF0000u;  // bottom-left
    EXPECT_EQ(dc.GetPixel(0, 2), RGB(255, 0, 0));
    TestCanvas out(4, 3);
    out.dc.BitBlt(0, 0, 4, 3, &dc, 0, 0, SRCCOPY);
    EXPECT_EQ(out.At(0, 2), RGB(255, 0, 0));
    EXPECT_EQ(out.At(1, 0), RGB(0x11, 0x22, 0x33));
    // A device bitmap copied into the section arrives without alpha.
    dc.BitBlt(0, 0, 4, 3, &out.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(px[0], 0x00FF0000u);
    dc.SelectObject(old);
    DeleteObject(h);
}

TEST(Bitmaps, PaletteDibSectionDrawsThroughItsPalette)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 2;
    info.header.biHeight = -1;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.colors[7] = RGBQUAD{0x30, 0x20, 0x10, 0};
    void* bits = nullptr;
    const HBITMAP h = CreateDIBSection(reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits);
    ASSERT_NE(h, 0u);
    static_cast<std::uint8_t*>(bits)[1] = 7;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(h);
    TestCanvas out(2, 1);
    out.dc.BitBlt(0, 0, 2, 1, &dc, 0, 0, SRCCOPY);
    EXPECT_EQ(out.At(1, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(out.At(0, 0), RGB(0, 0, 0));
    // The palette can change after the section was made.
    const RGBQUAD blue{0xFF, 0, 0, 0};
    EXPECT_EQ(SetDIBColorTable(dc.GetSafeHdc(), 7, 1, &blue), 1u);
    EXPECT_EQ(SetDIBColorTable(dc.GetSafeHdc(), 300, 1, &blue), 0u);
    out.dc.BitBlt(0, 0, 2, 1, &dc, 0, 0, SRCCOPY);
    EXPECT_EQ(out.At(1, 0), RGB(0, 0, 0xFF));
    dc.DeleteDC();
    DeleteObject(h);
}

TEST(Regions, RoundRectsCombineOffsetAndFrame)
{
    CRgn round;
    ASSERT_TRUE(round.CreateRoundRectRgn(0, 0, 20, 20, 10, 10));
    EXPECT_FALSE(round.PtInRegion(0, 0));  // the corner is cut
    EXPECT_TRUE(round.PtInRegion(10, 0));
    EXPECT_TRUE(round.PtInRegion(19, 10));
    EXPECT_FALSE(round.PtInRegion(20, 10));  // right edge excluded
    CRgn box;
    box.CreateRectRgn(30, 0, 40, 10);
    CRgn both;
    both.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(both.CombineRgn(&round, &box, RGN_OR), COMPLEXREGION);
    both.OffsetRgn(5, 5);
    CRect bounds;
    both.GetRgnBox(&bounds);
    EXPECT_EQ(bounds, CRect(5, 5, 45, 25));
    EXPECT_TRUE(both.PtInRegion(35, 5));

    TestCanvas c(50, 30);
    CBrush red(kRed);
    EXPECT_TRUE(c.dc.FrameRgn(&box, &red, 1, 1));
    EXPECT_EQ(c.At(30, 0), kRed);
    EXPECT_EQ(c.At(39, 9), kRed);
    EXPECT_EQ(c.At(35, 5), kWhite);
    EXPECT_EQ(c.Count(kRed), 36);
    EXPECT_TRUE(c.dc.FillRgn(&round, &red));
    EXPECT_EQ(c.At(10, 10), kRed);
    EXPECT_EQ(c.At(0, 0), kWhite);
    const POINT tri[] = {{0, 0}, {10, 0}, {0, 10}};
    CRgn poly;
    ASSERT_TRUE(poly.CreatePolygonRgn(tri, 3, ALTERNATE));
    EXPECT_TRUE(poly.PtInRegion(2, 2));
    EXPECT_FALSE(poly.PtInRegion(8, 8));
    EXPECT_FALSE(poly.CreatePolygonRgn(tri, 1, ALTERNATE));
}

// A small routine of the kind the chart runs: a framed box with a caption.
void DrawCaptionBox(CDC* dc, const CRect& r, const char* caption)
{
    CPen pen(PS_SOLID, 0, RGB(0, 0, 255));
    CPen* oldPen = dc->SelectObject(&pen);
    CBrush* oldBrush = static_cast<CBrush*>(dc->SelectStockObject(NULL_BRUSH));
    dc->Rectangle(&r);
    dc->SelectObject(oldBrush);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 0, 0));
    dc->SetTextAlign(TA_BOTTOM | TA_CENTER);
    dc->TextOut(r.CenterPoint().x, r.bottom - 2, caption);
    dc->MoveTo(r.left, r.top);
    dc->LineTo(r.right, r.bottom);
    dc->SelectObject(oldPen);
}

TEST(RecordingDC, CapturesWhatADrawingRoutineIssues)
{
    CRecordingDC dc(100, 60);
    DrawCaptionBox(&dc, CRect(10, 10, 90, 50), "Канал А");
    const auto& recs = dc.Records();
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[0].op, "Rectangle");
    EXPECT_EQ(recs[0].rect, CRect(10, 10, 90, 50));
    EXPECT_EQ(recs[0].penColor, RGB(0, 0, 255));
    EXPECT_EQ(recs[0].penWidth, 0);
    EXPECT_EQ(recs[0].brushStyle, BS_NULL);
    EXPECT_EQ(recs[1].op, "TextOut");
    EXPECT_EQ(recs[1].text, "Канал А");
    EXPECT_EQ(recs[1].points.at(0), CPoint(50, 48));
    EXPECT_EQ(recs[1].textColor, RGB(255, 0, 0));
    EXPECT_EQ(recs[1].bkMode, TRANSPARENT);
    EXPECT_EQ(recs[1].textAlign, TA_BOTTOM | TA_CENTER);
    EXPECT_EQ(recs[2].op, "MoveTo");
    EXPECT_EQ(recs[3].op, "LineTo");
    EXPECT_EQ(recs[3].points, (std::vector<CPoint>{CPoint(10, 10), CPoint(90, 50)}));
    EXPECT_EQ(dc.RecordsOf("LineTo").size(), 1u);
    // It draws as well, and measuring calls are not recorded.
    EXPECT_EQ(dc.GetPixel(10, 30), RGB(0, 0, 255));
    dc.GetTextExtent("x");
    EXPECT_EQ(dc.Records().size(), 4u);
    dc.ClearRecords();
    EXPECT_TRUE(dc.Records().empty());
    // Clipping calls are part of the record, so a test can see a grid clipped to its plot.
    dc.IntersectClipRect(5, 6, 50, 40);
    dc.SelectClipRgn(nullptr);
    ASSERT_EQ(dc.Records().size(), 2u);
    EXPECT_EQ(dc.Records()[0].op, "IntersectClipRect");
    EXPECT_EQ(dc.Records()[0].rect, CRect(5, 6, 50, 40));
    EXPECT_EQ(dc.Records()[1].op, "SelectClipRgn");
    EXPECT_TRUE(dc.Records()[1].rect.IsRectEmpty());
}

TEST(Geometry, RectHelpers)
{
    CRect r(10, 20, 30, 60);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_EQ(r.Height(), 40);
    EXPECT_EQ(r.CenterPoint(), CPoint(20, 40));
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_FALSE(r.PtInRect(CPoint(30, 40)));
    EXPECT_FALSE(r.PtInRect(CPoint(20, 60)));
    r.DeflateRect(2, 3);
    EXPECT_EQ(r, CRect(12, 23, 28, 57));
    r.OffsetRect(-12, -23);
    EXPECT_EQ(r.TopLeft(), CPoint(0, 0));
    EXPECT_TRUE(CRect(5, 5, 5, 9).IsRectEmpty());
    EXPECT_TRUE(CRect(5, 5, 4, 9).IsRectEmpty());
    CRect i;
    EXPECT_FALSE(i.IntersectRect(CRect(0, 0, 5, 5), CRect(5, 0, 9, 5)));
    EXPECT_TRUE(i.IsRectNull());
    EXPECT_TRUE(i.UnionRect(CRect(0, 0, 5, 5), CRect(10, 10, 12, 12)));
    EXPECT_EQ(i, CRect(0, 0, 12, 12));
    EXPECT_EQ(RGB(1, 2, 3), 0x00030201u);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
}

TEST(SystemColours, KnownAndUnknownIndices)
{
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_NE(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(1000), 0u);
    LOGBRUSH lb{};
    EXPECT_EQ(GetObject(GetSysColorBrush(COLOR_INFOBK), sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_INFOBK));
    TestCanvas c(4, 4);
    EXPECT_EQ(c.dc.GetDeviceCaps(LOGPIXELSY), 96);
    EXPECT_EQ(c.dc.GetDeviceCaps(HORZRES), 4);
    EXPECT_EQ(c.dc.GetDeviceCaps(BITSPIXEL), 32);
}

}  // namespace

namespace {

TEST(Rand15Test, GivesTheFifteenBitSequenceOfItsSeed)
{
    SRand15(1);
    EXPECT_EQ(Rand15(), 41);
    EXPECT_EQ(Rand15(), 18467);
    EXPECT_EQ(Rand15(), 6334);
    SRand15(1);
    EXPECT_EQ(Rand15(), 41);
    for (int i = 0; i < 10000; ++i) {
        const int v = Rand15();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, RAND15_MAX);
    }
}

}  // namespace

namespace {

TEST(HandleLevel, MemoryDCsMadeAndDeletedByHandle)
{
    const HDC mem = CreateCompatibleDC(0);
    ASSERT_NE(mem, 0u);
    const HBITMAP bmp = CreateCompatibleBitmap(mem, 8, 8);
    const HGDIOBJ old = SelectObject(mem, bmp);
    EXPECT_NE(old, 0u);
    RECT r{0, 0, 8, 8};
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    EXPECT_EQ(FillRect(mem, &r, red), 1);
    EXPECT_EQ(GetPixel(mem, 7, 7), RGB(255, 0, 0));
    TestCanvas out(8, 8);
    EXPECT_TRUE(BitBlt(out.dc.GetSafeHdc(), 0, 0, 4, 4, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(out.At(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(out.At(4, 4), RGB(255, 255, 255));
    EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSX), 96);
    SelectObject(mem, old);
    EXPECT_TRUE(DeleteDC(mem));
    EXPECT_EQ(CDC::FromHandle(mem), nullptr);
    EXPECT_FALSE(DeleteDC(mem));
    EXPECT_EQ(FillRect(mem, &r, red), 0);
    EXPECT_EQ(GetPixel(0xABCDEF, 0, 0), CLR_INVALID);
    DeleteObject(red);
    DeleteObject(bmp);
}

}  // namespace

namespace {

TEST(HandleLevel, GetDIBitsCopiesRowsInTheAskedOrder)
{
    TestCanvas c(3, 2);
    c.dc.SetPixel(0, 0, RGB(1, 2, 3));     // top-left
    c.dc.SetPixel(2, 1, RGB(4, 5, 6));     // bottom-right
    const HBITMAP bmp = c.bitmap.m_hObject;
    BITMAPINFO info{};
    EXPECT_EQ(GetDIBits(c.dc.GetSafeHdc(), bmp, 0, 2, nullptr, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(info.bmiHeader.biWidth, 3);
    EXPECT_EQ(info.bmiHeader.biHeight, 2);
    EXPECT_EQ(info.bmiHeader.biBitCount, 32);
    std::uint32_t px[6] = {};
    // Bottom-up: the first row out is the picture's bottom row.
    EXPECT_EQ(GetDIBits(c.dc.GetSafeHdc(), bmp, 0, 2, px, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(px[2], 0x00040506u);
    EXPECT_EQ(px[3], 0x00010203u);
    info.bmiHeader.biHeight = -2;
    EXPECT_EQ(GetDIBits(c.dc.GetSafeHdc(), bmp, 0, 5, px, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(px[0], 0x00010203u);
    // A header that does not match the bitmap, or an unknown bitmap, copies nothing.
    info.bmiHeader.biWidth = 4;
    EXPECT_EQ(GetDIBits(c.dc.GetSafeHdc(), bmp, 0, 2, px, &info, DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(c.dc.GetSafeHdc(), 0xBAD, 0, 2, px, &info, DIB_RGB_COLORS), 0);
}

}  // namespace
