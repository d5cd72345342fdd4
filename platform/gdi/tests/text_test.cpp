// Fonts, text output and measuring.

#include "GdiTestUtil.h"
#include "platform/gdi/ImageFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

LOGFONT Font(LONG height, LONG escapement = 0, const char* face = "Arial")
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    SetLogFontFaceName(lf, face);
    return lf;
}

TEST(Text, CreatePointFontRoundsTenthsOfAPointToPixels)
{
    const std::pair<int, LONG> cases[] = {{80, -11}, {90, -12}, {100, -13}, {120, -16}, {75, -10}, {0, 0}};
    for (auto [tenths, height] : cases) {
        CFont font;
        ASSERT_TRUE(font.CreatePointFont(tenths, "MS Shell Dlg"));
        LOGFONT lf{};
        ASSERT_EQ(font.GetLogFont(&lf), static_cast<int>(sizeof(LOGFONT)));
        EXPECT_EQ(lf.lfHeight, height) << tenths;
        EXPECT_STREQ(lf.lfFaceName, "MS Shell Dlg");
    }
    // The DC supplies the resolution.
    TestCanvas c(4, 4);
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(100, "Courier New", &c.dc));
    LOGFONT lf{};
    font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -13);
}

TEST(Text, FaceNamesAreCutOnACharacterBoundary)
{
    LOGFONT lf{};
    SetLogFontFaceName(lf, "Times New Roman");
    EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
    // 15 two-byte letters are 30 bytes; the 16th would split at byte 31.
    const std::string cyrillic = "ШрифтШрифтШрифтШ";
    SetLogFontFaceName(lf, cyrillic.c_str());
    EXPECT_EQ(std::strlen(lf.lfFaceName), 30u);
    EXPECT_EQ(std::string(lf.lfFaceName), cyrillic.substr(0, 30));
    SetLogFontFaceName(lf, nullptr);
    EXPECT_STREQ(lf.lfFaceName, "");
    // A face without its terminator (from a file) is cut, not overrun.
    LOGFONT raw{};
    std::memset(raw.lfFaceName, 'A', sizeof raw.lfFaceName);
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&raw));
    LOGFONT back{};
    font.GetLogFont(&back);
    EXPECT_EQ(std::strlen(back.lfFaceName), 31u);
}

TEST(Text, MetricsAndExtentsFollowTheFont)
{
    TestCanvas c(10, 10);
    LOGFONT lf = Font(-20);
    CFont big;
    ASSERT_TRUE(big.CreateFontIndirect(&lf));
    CFont* old = c.dc.SelectObject(&big);
    TEXTMETRIC tm{};
    ASSERT_TRUE(c.dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, 20);
    EXPECT_LE(tm.tmHeight, 26);
    EXPECT_GT(tm.tmAveCharWidth, 5);
    const CSize one = c.dc.GetTextExtent("Канал А");
    const CSize two = c.dc.GetTextExtent("Канал АКанал А");
    EXPECT_EQ(one.cy, tm.tmHeight);
    EXPECT_NEAR(two.cx, 2 * one.cx, 2);
    EXPECT_EQ(c.dc.GetTextExtent("").cx, 0);
    // A positive height is the whole cell.
    LOGFONT cell = Font(20);
    CFont cellFont;
    cellFont.CreateFontIndirect(&cell);
    c.dc.SelectObject(&cellFont);
    c.dc.GetTextMetrics(&tm);
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    c.dc.SelectObject(old);
}

TEST(Text, EscapementNineHundredRunsUpwardAndExtentStaysUnrotated)
{
    TestCanvas c(80, 160);
    LOGFONT flat = Font(-16);
    LOGFONT up = Font(-16, 900);
    CFont flatFont, upFont;
    flatFont.CreateFontIndirect(&flat);
    upFont.CreateFontIndirect(&up);
    c.dc.SelectObject(&flatFont);
    const CSize extent = c.dc.GetTextExtent("Канал А");
    c.dc.SelectObject(&upFont);
    EXPECT_EQ(c.dc.GetTextExtent("Канал А"), extent);

    c.dc.SetBkMode(TRANSPARENT);
    c.dc.SetTextAlign(TA_TOP | TA_LEFT);
    ASSERT_TRUE(c.dc.TextOut(30, 140, "Канал А"));
    const CRect ink = c.Ink();
    ASSERT_FALSE(ink.IsRectEmpty());
    // Upward text: tall and narrow, above the reference point, its top facing left.
    EXPECT_GT(ink.Height(), ink.Width());
    EXPECT_LE(ink.bottom, 141);
    EXPECT_GE(ink.top, 140 - extent.cx - 2);
    EXPECT_GE(ink.left, 29);
    EXPECT_LE(ink.right, 30 + extent.cy + 1);
    EXPECT_GT(ink.Height(), extent.cx * 3 / 4);
}

TEST(Text, AlignmentMovesTheReferencePoint)
{
    LOGFONT lf = Font(-16);
    CFont font;
    font.CreateFontIndirect(&lf);
    auto inkFor = [&](UINT align) {
        TestCanvas c(200, 60);
        c.dc.SelectObject(&font);
        c.dc.SetBkMode(TRANSPARENT);
        c.dc.SetTextAlign(align);
        c.dc.TextOut(100, 30, "Mid");
        return c.Ink();
    };
    const CRect topLeft = inkFor(TA_TOP | TA_LEFT);
    const CRect bottomCenter = inkFor(TA_BOTTOM | TA_CENTER);
    const CRect baselineRight = inkFor(TA_BASELINE | TA_RIGHT);
    EXPECT_GE(topLeft.left, 100);
    EXPECT_GE(topLeft.top, 30);
    EXPECT_LE(bottomCenter.bottom, 31);
    EXPECT_LT(bottomCenter.left, 100);
    EXPECT_GT(bottomCenter.right, 100);
    EXPECT_LE(baselineRight.right, 101);
    EXPECT_LE(baselineRight.bottom, 31);
}

TEST(Text, OpaqueBackgroundFillsTheTextCell)
{
    TestCanvas c(100, 40);
    LOGFONT lf = Font(-14);
    CFont font;
    font.CreateFontIndirect(&lf);
    c.dc.SelectObject(&font);
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(RGB(0, 0, 255));
    c.dc.TextOut(5, 5, "ab");
    const CSize size = c.dc.GetTextExtent("ab");
    EXPECT_EQ(c.Ink(), CRect(5, 5, 5 + size.cx, 5 + size.cy));
    // ExtTextOut with ETO_OPAQUE fills its rectangle whatever the mode.
    TestCanvas e(100, 40);
    e.dc.SetBkMode(TRANSPARENT);
    e.dc.SetBkColor(RGB(255, 0, 0));
    CRect r(10, 10, 60, 30);
    e.dc.ExtTextOut(12, 12, ETO_OPAQUE | ETO_CLIPPED, &r, "", nullptr);
    EXPECT_EQ(e.Ink(), r);
}

TEST(Text, DrawTextMeasuresAlignsAndEllipsises)
{
    TestCanvas c(200, 60);
    LOGFONT lf = Font(-14);
    CFont font;
    font.CreateFontIndirect(&lf);
    c.dc.SelectObject(&font);
    const CSize extent = c.dc.GetTextExtent("Hello");

    CRect calc(10, 10, 11, 11);
    const int h = c.dc.DrawText("Hello", &calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(h, extent.cy);
    EXPECT_EQ(calc, CRect(10, 10, 10 + extent.cx, 10 + extent.cy));
    EXPECT_EQ(c.Ink(), CRect());  // measuring draws nothing

    CRect two(0, 0, 100, 0);
    EXPECT_EQ(c.dc.DrawText("one\r\ntwo", &two, DT_CALCRECT), 2 * extent.cy);
    // "&" marks a mnemonic: it is not drawn and takes no room.
    CRect amp(0, 0, 100, 0);
    c.dc.DrawText("&Hello", &amp, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(amp.Width(), extent.cx);

    c.dc.SetBkMode(TRANSPARENT);
    CRect box(0, 0, 200, 60);
    c.dc.DrawText("Hello", &box, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    const CRect ink = c.Ink();
    EXPECT_GT(ink.left, 200 - extent.cx - 2);
    EXPECT_LE(ink.right, 200);
    EXPECT_GT(ink.top, 60 / 2 - extent.cy);
    EXPECT_LT(ink.bottom, 60 / 2 + extent.cy);

    // A long line in a narrow box ends in "..." and stays inside the box.
    TestCanvas n(200, 30);
    n.dc.SelectObject(&font);
    n.dc.SetBkMode(TRANSPARENT);
    CRect narrow(0, 0, 60, 30);
    n.dc.DrawText("A rather long caption that does not fit", &narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(n.Ink().right, 60);
    EXPECT_GT(n.Ink().right, 30);
}

TEST(Text, PictureOfLinesAndCyrillicTextIsWritten)
{
    TestCanvas c(320, 200, RGB(240, 240, 240));
    CPen grid(PS_DOT, 0, RGB(128, 128, 128));
    CPen trace(PS_SOLID, 2, RGB(255, 0, 0));
    c.dc.SelectObject(&grid);
    for (int x = 40; x < 320; x += 40) { c.dc.MoveTo(x, 10); c.dc.LineTo(x, 190); }
    for (int y = 10; y < 200; y += 30) { c.dc.MoveTo(40, y); c.dc.LineTo(310, y); }
    c.dc.SelectObject(&trace);
    POINT wave[28];
    for (int i = 0; i < 28; ++i) wave[i] = POINT{40 + i * 10, 100 + ((i % 4) < 2 ? -40 : 40)};
    c.dc.Polyline(wave, 28);
    LOGFONT lf = Font(-16);
    CFont font;
    font.CreateFontIndirect(&lf);
    LOGFONT up = Font(-14, 900);
    CFont upFont;
    upFont.CreateFontIndirect(&up);
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.SelectObject(&font);
    c.dc.SetTextColor(RGB(0, 0, 160));
    c.dc.TextOut(50, 12, "Канал А: 1 В/дел");
    c.dc.SelectObject(&upFont);
    c.dc.SetTextAlign(TA_BOTTOM | TA_CENTER);
    c.dc.TextOut(30, 100, "Напряжение");
    const std::string path = SaveTestImage(c.dc, "gdi_picture");
    ASSERT_FALSE(path.empty());
}

}  // namespace

namespace {

TEST(Text, JustificationWidensTheSpacesUntilReset)
{
    TestCanvas c(300, 40);
    LOGFONT lf{};
    lf.lfHeight = -14;
    SetLogFontFaceName(lf, "Arial");
    CFont font;
    font.CreateFontIndirect(&lf);
    c.dc.SelectObject(&font);
    const CSize plain = c.dc.GetTextExtent("a b c");
    c.dc.SetTextJustification(7, 2);
    EXPECT_EQ(c.dc.GetTextExtent("a b c").cx, plain.cx + 7);
    EXPECT_EQ(c.dc.GetTextExtent("a b").cx, c.dc.GetTextExtent("ab").cx + c.dc.GetTextExtent(" ").cx);
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.TextOut(0, 5, "a b c");
    EXPECT_LE(c.Ink().right, plain.cx + 7 + 1);
    EXPECT_GT(c.Ink().right, plain.cx + 2);
    c.dc.SetTextJustification(0, 0);
    EXPECT_EQ(c.dc.GetTextExtent("a b c"), plain);
}

}  // namespace

namespace {

TEST(Text, PathEllipsisKeepsTheFileName)
{
    TestCanvas c(10, 10);
    LOGFONT lf{};
    lf.lfHeight = -12;
    SetLogFontFaceName(lf, "MS Shell Dlg");
    CFont font;
    font.CreateFontIndirect(&lf);
    c.dc.SelectObject(&font);
    const std::string path = "/home/user/measurements/2026/december/capture_0042.csv";
    const int width = c.dc.GetTextExtent("/home/.../capture_0042.csv").cx + 4;
    CRect r(0, 0, width, 20);
    const int full = c.dc.GetTextExtent(path).cx;
    ASSERT_GT(full, width);
    // Measuring with the ellipsis: the result fits and still ends with the file name.
    CRect calc = r;
    c.dc.DrawText(path, &calc, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(calc.Width(), width);
    EXPECT_GT(calc.Width(), c.dc.GetTextExtent("capture_0042.csv").cx);
    const std::string compact = c.dc.CompactPath(path, width);
    EXPECT_LE(c.dc.GetTextExtent(compact).cx, width);
    EXPECT_NE(compact.find("..."), std::string::npos);
    EXPECT_EQ(compact.substr(compact.size() - 17), "/capture_0042.csv");
    EXPECT_EQ(c.dc.CompactPath(path, full + 10), path);
    // In place: never longer than the buffer it came in.
    char tiny[] = "a/b";
    EXPECT_TRUE(PathCompactPath(c.dc.GetSafeHdc(), tiny, 1));
    EXPECT_LE(std::strlen(tiny), 3u);
    // A path that fits is left alone.
    CRect wide(0, 0, full + 10, 20);
    c.dc.DrawText(path, &wide, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(wide.Width(), full);
}

TEST(Text, SaveAndRestoreBringBackFontColoursAndAlignment)
{
    TestCanvas c(10, 10);
    CFont font;
    font.CreatePointFont(120, "Arial");
    CPen pen(PS_SOLID, 0, RGB(1, 2, 3));
    const int level = c.dc.SaveDC();
    c.dc.SelectObject(&font);
    c.dc.SelectObject(&pen);
    c.dc.SetTextColor(RGB(9, 9, 9));
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.SetTextAlign(TA_BOTTOM | TA_CENTER);
    c.dc.SaveDC();
    c.dc.SetTextColor(RGB(7, 7, 7));
    EXPECT_TRUE(c.dc.RestoreDC(-1));
    EXPECT_EQ(c.dc.GetTextColor(), RGB(9, 9, 9));
    EXPECT_EQ(c.dc.GetCurrentFont(), &font);
    EXPECT_TRUE(c.dc.RestoreDC(level));
    EXPECT_EQ(c.dc.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(c.dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(c.dc.GetTextAlign(), TA_TOP | TA_LEFT);
    EXPECT_NE(c.dc.GetCurrentFont(), &font);
    EXPECT_NE(c.dc.GetCurrentPen(), &pen);
}

}  // namespace
