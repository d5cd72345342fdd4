// Seeded random markup through every entry point of the drawer: nothing may crash, read outside
// the text (the sanitizers watch) or come out larger than the limits.

#include "widgets/tooltip/PPHtmlDrawer.h"

#include "widgets/tooltip/tests/DrawTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

const char* const kTags[] = {"b", "i", "em", "u", "s", "strike", "font", "hr", "br", "t", "left", "center", "right",
                             "justify", "baseline", "top", "vcenter", "middle", "bottom", "bmp", "icon", "ilst",
                             "string", "body", "h1", "h2", "h3", "h4", "h5", "h6", "code", "pre", "big", "small",
                             "sub", "sup", "span", "a", "table", "tr", "td", "B", "p", "x"};
const char* const kAttributes[] = {"size", "color", "face", "style", "weight", "bkgnd", "width", "height", "rowspan",
                                   "colspan", "border", "borderstyle", "bordercolor", "bgeffect", "bgcolor",
                                   "bgmidcolor", "bgendcolor", "cellpadding", "cellspacing", "background", "idres",
                                   "handle", "file", "iddll", "srcdll", "cx", "cy", "index", "speed", "mask", "href",
                                   "msg", "class", "align", "valign", "hotstyle"};
const char* const kValues[] = {"-1", "0", "1", "3", "7", "64", "100", "2048", "99999999", "0x7FFFFFFF", "100%",
                               "99999%", "-50%", "2048px", "12pt", "3em", "9in", "abc", "#zzzzzz", "#ff0000", "red",
                               "lightgrey", "", "\"unterminated", "'a b'", "sgdl", "-b+i", "transparent", "metal",
                               "noise", "hardbump", "double", "dashed", "http://x.org/a", "mailto:a@b", "idres:101",
                               "file:/", "/", "/dev/zero", "101", "cpp-comment", "center", "bottom", "+2"};
const char* const kTexts[] = {"text", " ", "Сигнал", "a-b.c,d!e:f;g)h}i]j?k", "&lt;", "&amp;lt;", "&bull;", "<<",
                              "\r\n", "\t", "ёлка", "&nosuch;", "<", ">", "\xFF", "\xD0", "\xE2\x82", "    "};

std::string Hex(DWORD handle)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", handle);
    return buf;
}

template <std::size_t N>
const char* Pick(std::mt19937& rng, const char* const (&list)[N])
{
    return list[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

std::string TagSoup(std::mt19937& rng, const std::vector<std::string>& handles)
{
    std::string out;
    const int pieces = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int p = 0; p < pieces; ++p) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
        if (kind < 3) {
            out += Pick(rng, kTexts);
            continue;
        }
        out += '<';
        if (kind == 3) out += '/';
        out += Pick(rng, kTags);
        if (kind == 4) out += std::string("=") + Pick(rng, kValues);
        const int attributes = std::uniform_int_distribution<int>(0, 3)(rng);
        for (int a = 0; a < attributes; ++a) {
            out += ' ';
            const char* name = Pick(rng, kAttributes);
            out += name;
            out += '=';
            if (std::string(name) == "handle" && !handles.empty())
                out += handles[std::uniform_int_distribution<std::size_t>(0, handles.size() - 1)(rng)];
            else
                out += Pick(rng, kValues);
        }
        if (std::uniform_int_distribution<int>(0, 20)(rng) != 0) out += '>';
    }
    return out;
}

std::string RandomBytes(std::mt19937& rng)
{
    std::string out(std::uniform_int_distribution<std::size_t>(0, 80)(rng), '\0');
    for (char& c : out) c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
    return out;
}

void Exercise(CPPHtmlDrawer& d, CDC& canvas, const std::string& html, std::mt19937& rng)
{
    static constexpr int kMaxWidths[] = {0, 0, 0, 40, 200};
    d.SetMaxWidth(kMaxWidths[std::uniform_int_distribution<int>(0, 4)(rng)]);
    const CSize size = d.MeasureHtml(canvas.GetSafeHdc(), html);
    ASSERT_GE(size.cx, 0);
    ASSERT_GE(size.cy, 0);
    ASSERT_LE(size.cx, CPPHtmlDrawer::kMaxContentSize) << html;
    ASSERT_LE(size.cy, CPPHtmlDrawer::kMaxContentSize) << html;
    ASSERT_EQ(size.cx == 0, size.cy == 0) << html;
    const CRect rect(0, 0, size.cx, size.cy);
    d.DrawHtml(canvas.GetSafeHdc(), &rect);
    for (int i = 0; i < 3; ++i) {
        const CPoint p(std::uniform_int_distribution<int>(-5, 210)(rng), std::uniform_int_distribution<int>(-5, 160)(rng));
        d.UpdateLinkCursor(p);
        d.ClickLink(p);
    }
    for (int i = 0; i < 3; ++i) d.AdvanceAnimations();
    d.DrawHtml(canvas.GetSafeHdc(), &rect);
}

TEST(HtmlFuzz, TenThousandInputs)
{
    std::mt19937 rng(20261209);
    CPPHtmlDrawer d;
    int opened = 0;
    d.SetLinkOpener([&](const std::string& target) {
        EXPECT_TRUE(CPPHtmlDrawer::IsOpenableUrl(target)) << target;
        ++opened;
    });
    // A plain bitmap (not a DIB section): drawing on it needs no pixel bookkeeping.
    CDC canvas;
    canvas.CreateCompatibleDC(nullptr);
    CBitmap surface;
    surface.CreateCompatibleBitmap(&canvas, 200, 150);
    CBitmap* oldSurface = canvas.SelectObject(&surface);

    const HBITMAP bitmap = drawtest::SolidBitmap(24, 8, RGB(255, 0, 255));
    const HBITMAP color = drawtest::SolidBitmap(32, 32, RGB(0, 0, 255));
    const HBITMAP mask = drawtest::SolidBitmap(32, 32, RGB(0, 0, 0));
    ICONINFO info{TRUE, 16, 16, mask, color};
    const HICON icon = CreateIconIndirect(&info);
    const std::vector<std::string> handles = {Hex(bitmap), Hex(icon), "0", "0xFFFFFFFF", "12345"};

    // Every prefix of real tips.
    const std::string iconCell = "<table><tr><td><icon handle=" + Hex(icon) + "></td><td>";
    const std::string tips[] = {
        iconCell +
            "Нормальный режим в стопе: изменение смещения по X\r\nТриггер: изменение пред/пост захвата\r\n"
            "Триггер в стопе: изменение смещения по X</td></tr></table>",
        iconCell + "Необходимо сначало включить канал B!</td></tr></table>",
        "<h2>Title</h2><table border=1 borderstyle=double cellpadding=3 bgeffect=metal><tr><td colspan=2 "
        "bgcolor=#ffcc00>a&amp;b</td></tr><tr><td rowspan=2><ilst handle=" + Hex(bitmap) +
            " cx=8 speed=2 style=s></td><td><a href=\"https://example.org\">link</a></td></tr></table><hr width=50%>",
    };
    int inputs = 0;
    for (const std::string& tip : tips) {
        for (std::size_t n = 0; n <= tip.size(); ++n) {
            Exercise(d, canvas, tip.substr(0, n), rng);
            ++inputs;
        }
    }
    while (inputs < 10000) {
        const std::string html = inputs % 4 == 0 ? RandomBytes(rng) : TagSoup(rng, handles);
        Exercise(d, canvas, html, rng);
        if (::testing::Test::HasFatalFailure()) break;
        ++inputs;
    }
    EXPECT_GE(inputs, 10000);

    // The largest input there may be: 64 KiB of the heaviest markup.
    std::string worst;
    while (worst.size() < CPPHtmlDrawer::kMaxTextBytes + 100) worst += "<br=100><t=100><font size=500>Ж</font>";
    Exercise(d, canvas, worst, rng);

    canvas.SelectObject(oldSurface);
    DestroyIcon(icon);
    DeleteObject(bitmap);
    DeleteObject(color);
    DeleteObject(mask);
}

}  // namespace
