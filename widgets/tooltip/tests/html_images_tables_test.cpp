#include "widgets/tooltip/PPHtmlDrawer.h"

#include "widgets/tooltip/tests/DrawTestUtil.h"

#include "platform/gdi/Image.h"
#include "platform/gdi/RecordingDC.h"
#include "platform/testing/RunFolder.h"
#include "platform/ui/BitmapResources.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Drawn {
    CSize size;
    std::vector<GdiRecord> texts;
    std::vector<GdiRecord> blits;
};

Drawn Render(CPPHtmlDrawer& drawer, const std::string& html, int width = 0)
{
    CRecordingDC dc(800, 600);
    Drawn out;
    out.size = drawer.MeasureHtml(dc.GetSafeHdc(), html);
    dc.ClearRecords();
    const CRect r(0, 0, width > 0 ? width : out.size.cx, out.size.cy);
    drawer.DrawHtml(dc.GetSafeHdc(), &r);
    out.texts = dc.RecordsOf("TextOut");
    out.blits = dc.RecordsOf("BitBlt");
    return out;
}

CSize BodyExtent(const std::string& text)
{
    CRecordingDC dc(100, 100);
    LOGFONT lf{};
    lf.lfHeight = 13;
    lf.lfWeight = 400;
    lf.lfCharSet = DEFAULT_CHARSET;
    SetLogFontFaceName(lf, "Verdana");
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* old = dc.SelectObject(&font);
    const CSize s = dc.GetTextExtent(text);
    dc.SelectObject(old);
    return s;
}

HICON MakeIcon(int size, COLORREF color)
{
    const HBITMAP c = drawtest::SolidBitmap(size, size, color);
    const HBITMAP m = drawtest::SolidBitmap(size, size, RGB(0, 0, 0));
    ICONINFO info{TRUE, static_cast<DWORD>(size / 2), static_cast<DWORD>(size / 2), m, c};
    const HICON icon = CreateIconIndirect(&info);
    DeleteObject(c);
    DeleteObject(m);
    return icon;
}

std::string Hex(DWORD handle)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", handle);
    return buf;
}

TEST(HtmlTables, IconTableMeasuresAroundItsText)
{
    CPPHtmlDrawer d;
    const HICON icon = MakeIcon(32, RGB(0, 0, 255));
    const std::string text = "Сигнал канала A";
    const std::string html = "<table><tr><td><icon handle=" + Hex(icon) + "></td><td>" + text + "</td></tr></table>";
    const Drawn r = Render(d, html);
    const CSize t = BodyExtent(text);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(r.size.cx, t.cx + 42);
    EXPECT_EQ(r.size.cy, std::max<int>(36, t.cy + 4) + 1);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.texts[0].points[0].x, 36 + 1 + 2);
    DestroyIcon(icon);
}

TEST(HtmlTables, ExtraWidthGoesToColumnsWithoutWidth)
{
    CPPHtmlDrawer d;
    const Drawn r = Render(d, "<table><tr><td width=50>a</td><td>b</td></tr></table>", 400);
    ASSERT_EQ(r.texts.size(), 2u);
    // Column 0 keeps 50 + 2 x padding; column 1 starts after it and the 1-pixel boundary.
    EXPECT_EQ(r.texts[0].points[0].x, 2);
    EXPECT_EQ(r.texts[1].points[0].x, 54 + 1 + 2);
    const Drawn centred = Render(d, "<table><tr><td width=50 align=center>a</td><td align=right>b</td></tr></table>", 400);
    ASSERT_EQ(centred.texts.size(), 2u);
    EXPECT_EQ(centred.texts[1].points[0].x, 400 - 2 - BodyExtent("b").cx);
}

TEST(HtmlTables, SpansAndTheGrid)
{
    CPPHtmlDrawer d;
    {
        // A rowspan past the last row ends at the last row; the cell it pushes moves right.
        const Drawn r = Render(d, "<table><tr><td rowspan=9>L</td><td>a</td></tr><tr><td>b</td></tr></table>");
        ASSERT_EQ(r.texts.size(), 3u);
        EXPECT_EQ(r.texts[1].points[0].x, r.texts[2].points[0].x);
        EXPECT_GT(r.texts[2].points[0].y, r.texts[1].points[0].y);
    }
    {
        // A wide spanning cell widens its columns by equal shares.
        const std::string wide(20, 'W');
        const Drawn r = Render(d, "<table><tr><td colspan=2>" + wide + "</td></tr><tr><td>a</td><td>b</td></tr></table>");
        ASSERT_EQ(r.texts.size(), 3u);
        const int natural = BodyExtent(wide).cx + 4;
        EXPECT_NEAR(r.texts[2].points[0].x, natural / 2 + 1 + 2, 1);
    }
    {
        // Spans, rows and columns are bounded: the grid never grows past 64 x 64.
        std::string many = "<table>";
        for (int i = 0; i < 100; ++i) many += "<tr><td colspan=1000 rowspan=1000>x</td><td>y</td></tr>";
        many += "</table>";
        const Drawn r = Render(d, many);
        EXPECT_LE(r.texts.size(), 64u);
        EXPECT_GE(r.texts.size(), 1u);
    }
}

TEST(HtmlTables, MalformedTables)
{
    CPPHtmlDrawer d;
    // Markup outside cells draws nothing; an unclosed table ends with the text.
    EXPECT_EQ(Render(d, "<table>stray<tr>more<td>in</td>out</tr>").texts.size(), 1u);
    EXPECT_EQ(Render(d, "<table><td>no row").texts.size(), 1u);
    EXPECT_EQ(Render(d, "<table>").size, CSize(0, 0));
    // Text around a table stacks above and below it; the empty blocks take no room.
    const Drawn r = Render(d, "top<table><tr><td>mid</td></tr></table>bottom");
    ASSERT_EQ(r.texts.size(), 3u);
    EXPECT_LT(r.texts[0].points[0].y, r.texts[1].points[0].y);
    EXPECT_LT(r.texts[1].points[0].y, r.texts[2].points[0].y);
    const Drawn only = Render(d, "<table><tr><td>x</td></tr></table>");
    EXPECT_EQ(only.size.cy, BodyExtent("x").cy + 4 + 1);
    // Nested eight deep draw; the ninth and deeper draw nothing.
    std::string nest;
    for (int i = 0; i < 12; ++i) nest += "<table><tr><td>" + std::to_string(i);
    for (int i = 0; i < 12; ++i) nest += "</td></tr></table>";
    const Drawn deep = Render(d, nest);
    EXPECT_EQ(deep.texts.size(), 8u);
}

TEST(HtmlImages, SourcesAndTheirChecks)
{
    CPPHtmlDrawer d;
    const HICON icon = MakeIcon(16, RGB(0, 255, 0));
    const HBITMAP bitmap = drawtest::SolidBitmap(20, 10, RGB(255, 0, 0));
    const int h = Render(d, "x").size.cy;
    struct Case {
        std::string html;
        int width;  // 0: takes no room
    } cases[] = {
        {"<bmp>", 0},
        {"<icon>", 0},
        {"<bmp handle=" + Hex(bitmap) + ">", 20},
        {"<bmp handle=" + Hex(bitmap) + " width=50% height=200%>", 10},
        {"<bmp handle=" + Hex(bitmap) + " width=7>", 7},
        {"<bmp handle=" + Hex(bitmap) + " style=s>", 24},
        {"<bmp handle=" + Hex(bitmap) + " hotstyle=s>", 24},
        {"<bmp handle=" + Hex(icon) + ">", 0},  // wrong kind
        {"<icon handle=" + Hex(bitmap) + ">", 0},
        {"<icon handle=" + Hex(icon) + ">", 32},
        {"<icon handle=" + Hex(icon) + " width=50%>", 16},
        {"<icon handle=0x7FFFFFF0>", 0},
        {"<bmp handle=-1>", 0},
        {"<bmp iddll=5 srcdll=libc.so.6 handle=" + Hex(bitmap) + ">", 0},
        {"<bmp idres=4321>", 0},
        {"<bmp file=/>", 0},
        {"<bmp file=/nonexistent.bmp>", 0},
        {"<ilst handle=" + Hex(bitmap) + ">", 10},  // square frames of the smaller side
        {"<ilst handle=" + Hex(bitmap) + " cx=5 index=3>", 5},
        {"<ilst handle=" + Hex(bitmap) + " cx=5 index=8>", 0},  // beyond the strip
    };
    for (const Case& k : cases) {
        const Drawn r = Render(d, "<b></b>" + k.html);
        EXPECT_EQ(r.size.cx, k.width == 0 ? 0 : k.width + 1) << k.html;
        if (k.width == 0) {
            EXPECT_EQ(r.size.cy, 0) << k.html;
        }
    }
    // Images sit on the baseline like text: the line holds the image above the text's descent.
    const int tall = Render(d, "x<bmp handle=" + Hex(bitmap) + " height=60>").size.cy;
    EXPECT_GT(tall, 61);
    EXPECT_LT(tall, 61 + h / 2);
    DestroyIcon(icon);
    DeleteObject(bitmap);
}

TEST(HtmlImages, FilesAndResources)
{
    CPPHtmlDrawer d;
    const RunFolder run("widgets_tooltip");
    const std::filesystem::path& dir = run.Path();
    {
        CImage image;
        ASSERT_TRUE(image.Create(6, 4, 32));
        ASSERT_TRUE(SUCCEEDED(image.Save((dir / "small.png").c_str())));
        std::ofstream big(dir / "big.bmp", std::ios::binary);
        big.seekp((9 << 20) - 1);
        big.put('\0');
    }
    EXPECT_EQ(Render(d, "<bmp file=" + (dir / "small.png").string() + ">").size, CSize(7, 5));
    EXPECT_EQ(Render(d, "<bmp file=" + (dir / "big.bmp").string() + ">").size, CSize(0, 0));
    EXPECT_EQ(Render(d, "<bmp file=" + dir.string() + ">").size, CSize(0, 0));

    const HBITMAP bitmap = drawtest::SolidBitmap(9, 3, RGB(1, 2, 3));
    RegisterBitmapResource(4711, bitmap);
    EXPECT_EQ(Render(d, "<bmp idres=4711>").size, CSize(10, 4));
    RegisterBitmapResource(4711, 0);
    DeleteObject(bitmap);

    RegisterString(101, "&О программе...");
    const Drawn s = Render(d, "<string idres=101><string idres=999><string iddll=101>");
    ASSERT_EQ(s.texts.size(), 1u);
    EXPECT_EQ(s.texts[0].text, "&О программе...");
}

TEST(HtmlImages, StripAnimationAdvancesEverySpeedTicks)
{
    CPPHtmlDrawer d;
    const HBITMAP strip = drawtest::SolidBitmap(12, 4, RGB(0, 0, 0));
    Render(d, "<ilst handle=" + Hex(strip) + " cx=4 index=1 speed=5>");
    std::vector<int> advancedAt;
    for (int tick = 1; tick <= 20; ++tick)
        if (d.AdvanceAnimations()) advancedAt.push_back(tick);
    EXPECT_EQ(advancedAt, (std::vector<int>{5, 10, 15, 20}));
    // Without speed there is nothing to animate.
    Render(d, "<ilst handle=" + Hex(strip) + " cx=4 index=1>");
    EXPECT_FALSE(d.AdvanceAnimations());
    DeleteObject(strip);
}

TEST(HtmlImages, HotStyleWhileTheLinkIsHovered)
{
    CPPHtmlDrawer d;
    const HBITMAP bitmap = drawtest::SolidBitmap(10, 10, RGB(0, 0, 200));
    const std::string html = "<a href=http://a.org><bmp handle=" + Hex(bitmap) + " hotstyle=g></a>";
    drawtest::Canvas c(20, 20);
    const CSize s = d.MeasureHtml(c.Hdc(), html);
    const CRect r(0, 0, s.cx, s.cy);
    d.DrawHtml(c.Hdc(), &r);
    EXPECT_EQ(c.At(5, 5), RGB(0, 0, 200));
    d.UpdateLinkCursor(CPoint(5, 5));
    d.DrawHtml(c.Hdc(), &r);
    const int grey = static_cast<int>(0.114 * 200);
    EXPECT_EQ(c.At(5, 5), RGB(grey, grey, grey));
    DeleteObject(bitmap);
}

}  // namespace

namespace {

TEST(HtmlImages, RepeatedTipsLeaveNoGdiObjectsBehind)
{
    CPPHtmlDrawer d;
    const HICON icon = MakeIcon(32, RGB(0, 0, 255));
    const HBITMAP bitmap = drawtest::SolidBitmap(16, 8, RGB(255, 0, 255));
    const std::string html = "<table border=1 bgeffect=noise><tr><td><icon handle=" + Hex(icon) +
                             " style=s></td><td><b>Канал</b> <bmp handle=" + Hex(bitmap) +
                             " mask=#ff00ff style=gs><ilst handle=" + Hex(bitmap) +
                             " speed=1></td></tr></table><hr><a href=http://a.org>link</a>";
    drawtest::Canvas canvas(200, 100);
    auto once = [&] {
        const CSize s = d.MeasureHtml(canvas.Hdc(), html);
        const CRect r(0, 0, s.cx, s.cy);
        d.DrawHtml(canvas.Hdc(), &r);
        d.UpdateLinkCursor(CPoint(5, s.cy - 3));
        d.AdvanceAnimations();
    };
    once();
    const std::size_t before = uitest::LiveGdiCount();
    for (int i = 0; i < 200; ++i) once();
    EXPECT_EQ(uitest::LiveGdiCount(), before);
    DestroyIcon(icon);
    DeleteObject(bitmap);
}

}  // namespace
