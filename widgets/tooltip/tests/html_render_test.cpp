// Renders the drawer's markup to PNG files under the build tree for a person to look at, and
// checks a few pixels of each.

#include "widgets/tooltip/PPHtmlDrawer.h"

#include "widgets/tooltip/tests/DrawTestUtil.h"

#include "platform/gdi/ImageFile.h"
#include "platform/ui/App.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Hex(DWORD handle)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", handle);
    return buf;
}

// Measures the markup, draws it on a tip-coloured canvas with a margin, saves the PNG.
CSize RenderToPng(CPPHtmlDrawer& d, const std::string& html, const char* name, drawtest::Canvas& canvas,
                  CPoint origin = CPoint(8, 8))
{
    const CSize size = d.MeasureHtml(canvas.Hdc(), html);
    const CRect r(origin.x, origin.y, origin.x + size.cx, origin.y + size.cy);
    d.DrawHtml(canvas.Hdc(), &r);
    EXPECT_FALSE(SaveTestImage(canvas.dc, name).empty()) << name;
    return size;
}

// A 24 x 24 picture: a colour wheel of quarters on a magenta (mask colour) frame.
HBITMAP Picture()
{
    const HBITMAP b = drawtest::SolidBitmap(24, 24, RGB(255, 0, 255));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    const HGDIOBJ old = dc.SelectObject(static_cast<HGDIOBJ>(b));
    dc.FillSolidRect(3, 3, 9, 9, RGB(220, 40, 40));
    dc.FillSolidRect(12, 3, 9, 9, RGB(40, 180, 40));
    dc.FillSolidRect(3, 12, 9, 9, RGB(40, 60, 220));
    dc.FillSolidRect(12, 12, 9, 9, RGB(240, 200, 40));
    dc.SelectObject(old);
    return b;
}

TEST(HtmlRender, InformationTipWithThreeCyrillicLines)
{
    uitest::EnsureApplication();
    CPPHtmlDrawer d;
    const HICON icon = LoadIcon(nullptr, IDI_INFORMATION);
    ASSERT_NE(icon, 0u);
    const std::string html = "<table><tr><td><icon handle=" + Hex(icon) +
                             "></td><td>Нормальный режим в стопе: изменение смещения по X\r\n"
                             "Триггер: изменение пред/пост захвата\r\nТриггер в стопе: изменение смещения по X"
                             "</td></tr></table>";
    drawtest::Canvas canvas(420, 70, GetSysColor(COLOR_INFOBK));
    const CSize size = RenderToPng(d, html, "drawer_tip_1030", canvas);
    EXPECT_GT(size.cx, 300);
    EXPECT_GT(size.cy, 40);
    EXPECT_LT(size.cx, 420 - 8);
    EXPECT_NE(canvas.CountNot(GetSysColor(COLOR_INFOBK)), 0);
}

TEST(HtmlRender, TableWithSpansAndBorders)
{
    CPPHtmlDrawer d;
    const std::string html =
        "<table border=2 bordercolorlight=#8080ff bordercolordark=#000080 cellpadding=4 cellspacing=2 "
        "bgcolor=#f0f0ff>"
        "<tr><td colspan=2 bgcolor=#ffe0a0 border=1><b>Канал A и B</b> (colspan=2)</td>"
        "<td rowspan=3 valign=middle borderstyle=double border=1 bordercolor=red>rowspan=3<br>double</td></tr>"
        "<tr><td borderstyle=dashed border=1 bordercolor=blue>dashed</td><td border=1 align=right>solid, right</td></tr>"
        "<tr><td colspan=2 align=center bgeffect=hgradient bgcolor=#ffffff bgendcolor=#60c060>centred on a gradient"
        "</td></tr></table>";
    drawtest::Canvas canvas(360, 120);
    const CSize size = RenderToPng(d, html, "drawer_table", canvas);
    // The outer border: solid, light on the top-left edge, dark on the bottom-right.
    EXPECT_EQ(canvas.At(8, 8 + size.cy / 2), RGB(0x80, 0x80, 0xFF));
    EXPECT_EQ(canvas.At(8 + size.cx - 2, 8 + size.cy / 2), RGB(0x00, 0x00, 0x80));
}

TEST(HtmlRender, EveryBackgroundEffect)
{
    CPPHtmlDrawer d;
    static const char* const kNames[] = {"solid", "hgradient", "vgradient", "hcgradient", "vcgradient", "3hgradient",
                                         "3vgradient", "noise", "diagshade", "hshade", "vshade", "hbump", "vbump",
                                         "softbump", "hardbump", "metal"};
    std::string html = "<table cellspacing=4>";
    for (int row = 0; row < 4; ++row) {
        html += "<tr>";
        for (int col = 0; col < 4; ++col) {
            const char* name = kNames[row * 4 + col];
            html += std::string("<td width=110 height=50 bgeffect=") + name +
                    " bgcolor=#3060c0 bgmidcolor=#f0f0f0 bgendcolor=#c0e0ff valign=middle align=center>"
                    "<font color=black bkgnd=white>" + name + "</font></td>";
        }
        html += "</tr>";
    }
    html += "</table>";
    drawtest::Canvas canvas(520, 260);
    const CSize size = RenderToPng(d, html, "drawer_bgeffects", canvas);
    EXPECT_GT(size.cx, 4 * 110);
    // A gradient cell changes colour along its width; the solid one does not.
    EXPECT_EQ(canvas.At(8 + 10, 8 + 10), canvas.At(8 + 100, 8 + 10));
    EXPECT_NE(canvas.At(8 + 4 + 114 + 10, 8 + 10), canvas.At(8 + 4 + 114 + 100, 8 + 10));
}

TEST(HtmlRender, TextStylesAndLinks)
{
    uitest::EnsureApplication();
    CPPHtmlDrawer d;
    const std::string html =
        "<h1>h1 Заголовок</h1><br><h2>h2 heading</h2><br><h3>h3 heading</h3><br><h4>h4 heading</h4><br>"
        "<h5>h5 heading</h5><br><h6>h6 heading</h6><br>"
        "<b>bold</b> <i>italic</i> <u>underline</u> <s>strike</s> <font style=o>overline</font> "
        "<big>big</big> <small>small</small><br>"
        "<pre>pre: int main() { return 0; }</pre><br>"
        "x<sub>sub</sub> y<sup>sup</sup> <code>code</code> <span class=cpp-comment>// comment</span><br>"
        "<hr width=80% size=2 color=gray><br>"
        "<a href=\"https://example.org\">a link</a> and <a href=\"https://example.org/2\">the hovered link</a>";
    drawtest::Canvas canvas(420, 330);
    CSize size = d.MeasureHtml(canvas.Hdc(), html);
    CRect r(8, 8, 8 + size.cx, 8 + size.cy);
    d.DrawHtml(canvas.Hdc(), &r);
    // Hover the second link, then draw again on a fresh canvas.
    drawtest::Canvas hovered(420, 330);
    d.DrawHtml(hovered.Hdc(), &r);
    for (int y = r.bottom - 2; y > r.bottom - 30 && d.GetHoveredLink() != 1; --y)
        for (int x = r.left; x < r.right && d.GetHoveredLink() != 1; x += 3) d.UpdateLinkCursor(CPoint(x, y));
    EXPECT_EQ(d.GetHoveredLink(), 1);
    drawtest::Canvas out(420, 330);
    d.DrawHtml(out.Hdc(), &r);
    EXPECT_FALSE(SaveTestImage(out.dc, "drawer_text_styles").empty());
    EXPECT_LT(size.cx, 420 - 8);
    EXPECT_LT(size.cy, 330 - 8);
}

TEST(HtmlRender, ImageStyles)
{
    CPPHtmlDrawer d;
    const HBITMAP picture = Picture();
    const std::string h = Hex(picture);
    const std::string html =
        "<table cellpadding=6><tr>"
        "<td align=center><bmp handle=" + h + " width=200% height=200%><br>plain</td>"
        "<td align=center><bmp handle=" + h + " width=200% height=200% style=g><br>grey</td>"
        "<td align=center><bmp handle=" + h + " width=200% height=200% style=d><br>darker</td>"
        "<td align=center><bmp handle=" + h + " width=200% height=200% style=l><br>lighter</td>"
        "<td align=center><bmp handle=" + h + " width=200% height=200% mask=#ff00ff style=s><br>shadow</td>"
        "<td align=center><bmp handle=" + h + " width=200% height=200% mask=#ff00ff><br>mask</td>"
        "</tr></table>";
    drawtest::Canvas canvas(460, 90, RGB(255, 255, 225));
    RenderToPng(d, html, "drawer_image_styles", canvas);
    // The masked picture lets the background through its frame; the plain one does not.
    EXPECT_EQ(canvas.At(8 + 6 + 1, 8 + 6 + 1), RGB(255, 0, 255));
    DeleteObject(picture);
}

}  // namespace
