#include "widgets/tooltip/PPHtmlDrawer.h"

#include "platform/gdi/RecordingDC.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Drawn {
    CSize size;
    std::vector<GdiRecord> texts;
    std::string joined;  // the texts drawn, in order
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
    for (const GdiRecord& t : out.texts) out.joined += t.text;
    return out;
}

// Height of one line of body text.
int LineHeight(CPPHtmlDrawer& drawer)
{
    CRecordingDC dc(100, 100);
    return drawer.MeasureHtml(dc.GetSafeHdc(), "x").cy - 1;
}

CSize Extent(const std::string& text, int height, int weight = 400)
{
    CRecordingDC dc(100, 100);
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    SetLogFontFaceName(lf, "Verdana");
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* old = dc.SelectObject(&font);
    const CSize s = dc.GetTextExtent(text);
    dc.SelectObject(old);
    return s;
}

// Body text is 10 pt at 96 dpi.
constexpr int kBody = 13;

TEST(HtmlDrawerText, EntitiesAndEscapes)
{
    CPPHtmlDrawer d;
    struct Case {
        const char* html;
        const char* shown;
    } cases[] = {
        {"&lt;b&gt;", "<b>"},
        {"&amp;lt;", "<"},
        {"&amp;gt;", ">"},
        {"a<<b", "a<b"},
        {"&bull;&copy;&euro;&iquest;&para;&pound;&reg;&trade;", "•©€¿¶£®™"},
        {"&quot;x&quot;&nbsp;&unknown;", "\"x\" &unknown;"},
        {"a < b", "a < b"},  // a "<" that opens no tag is text
        {"<B>bold?</B>", "bold?"},
    };
    for (const Case& k : cases) EXPECT_EQ(Render(d, k.html).joined, k.shown) << k.html;
}

TEST(HtmlDrawerText, StyledTagsAndTheirNesting)
{
    CPPHtmlDrawer d;
    {
        const Drawn r = Render(d, "a<b>b<b>c</b></b><B>d");
        ASSERT_EQ(r.texts.size(), 4u);
        EXPECT_EQ(r.texts[0].font.lfWeight, 400);
        EXPECT_EQ(r.texts[1].font.lfWeight, 800);
        EXPECT_EQ(r.texts[2].font.lfWeight, 900);
        EXPECT_EQ(r.texts[3].font.lfWeight, 400);  // capitals are no tag
    }
    {
        // The closing i does not match the innermost open tag; the closing b restores what b saved.
        const Drawn r = Render(d, "<i>x<b>y</i>z</b>w");
        ASSERT_EQ(r.texts.size(), 4u);
        EXPECT_EQ(r.texts[2].text, "z");
        EXPECT_TRUE(r.texts[2].font.lfItalic);
        EXPECT_EQ(r.texts[2].font.lfWeight, 800);
        EXPECT_EQ(r.texts[3].text, "w");
        EXPECT_TRUE(r.texts[3].font.lfItalic);
        EXPECT_EQ(r.texts[3].font.lfWeight, 400);
    }
    {
        const Drawn r = Render(d, "<u><u>a</u>b</u><s>c</s><strike>d</strike>");
        ASSERT_EQ(r.texts.size(), 4u);
        EXPECT_FALSE(r.texts[0].font.lfUnderline);  // toggled twice
        EXPECT_TRUE(r.texts[1].font.lfUnderline);
        EXPECT_TRUE(r.texts[2].font.lfStrikeOut);
        EXPECT_TRUE(r.texts[3].font.lfStrikeOut);
    }
}

TEST(HtmlDrawerText, FontColoursAndSizes)
{
    CPPHtmlDrawer d;
    struct Colour {
        const char* value;
        COLORREF expected;
    } colours[] = {{"#ff0000", RGB(255, 0, 0)}, {"red", RGB(255, 0, 0)}, {"255", RGB(255, 0, 0)},
                   {"0xff00", RGB(0, 255, 0)},  {"#f00", 0},              {"grey", 0},
                   {"lightgrey", RGB(0xD3, 0xD3, 0xD3)}, {"Red", 0},     {"0x7fffffff", 0xFFFFFF}};
    for (const Colour& k : colours) {
        const Drawn r = Render(d, std::string("<font color=") + k.value + ">x</font>");
        ASSERT_EQ(r.texts.size(), 1u);
        EXPECT_EQ(r.texts[0].textColor, k.expected) << k.value;
    }
    struct Size {
        const char* value;
        int pixels;
    } sizes[] = {{"3", 12}, {"12px", 12}, {"150%", MulDiv(kBody, 150, 100)}, {"+2", 10}, {"-7", 36}, {"1in", 96},
                 {"12pt", 16}, {"2em", 2 * Extent("x", kBody).cy}, {"", kBody}, {"junk", kBody},
                 {"100000px", 500}, {"0px", 1}, {"99999%", MulDiv(kBody, 1000, 100)}};
    for (const Size& k : sizes) {
        const Drawn r = Render(d, std::string("<font size=\"") + k.value + "\">x</font>");
        ASSERT_EQ(r.texts.size(), 1u);
        EXPECT_EQ(r.texts[0].font.lfHeight, k.pixels) << k.value;
    }
    {
        const Drawn r = Render(d, "<font face=Arial style=bius weight=300>a</font><font style=\"-b+i\">b</font>");
        ASSERT_EQ(r.texts.size(), 2u);
        EXPECT_STREQ(r.texts[0].font.lfFaceName, "Arial");
        EXPECT_EQ(r.texts[0].font.lfWeight, 300);
        EXPECT_TRUE(r.texts[0].font.lfItalic && r.texts[0].font.lfUnderline && r.texts[0].font.lfStrikeOut);
        EXPECT_EQ(r.texts[1].font.lfWeight, 400);
        EXPECT_TRUE(r.texts[1].font.lfItalic);
    }
    {
        const Drawn r = Render(d, "<font bkgnd=yellow>a</font><font bkgnd=transparent>b</font>");
        ASSERT_EQ(r.texts.size(), 2u);
        EXPECT_EQ(r.texts[0].bkMode, OPAQUE);
        EXPECT_EQ(r.texts[0].bkColor, RGB(255, 255, 0));
        EXPECT_EQ(r.texts[1].bkMode, TRANSPARENT);
    }
}

TEST(HtmlDrawerText, BreaksTabsAndLineFeeds)
{
    CPPHtmlDrawer d;
    const int h = LineHeight(d);
    {
        const Drawn r = Render(d, "a<br=3>b");
        ASSERT_EQ(r.texts.size(), 2u);
        EXPECT_EQ(r.texts[1].points[0].y - r.texts[0].points[0].y, 3 * h);
    }
    {
        const Drawn r = Render(d, "a\r\nb\rc");
        ASSERT_EQ(r.texts.size(), 2u);
        EXPECT_EQ(r.texts[1].text, "bc");
        EXPECT_EQ(r.texts[1].points[0].y - r.texts[0].points[0].y, h);
    }
    for (const char* tag : {"<br=1000>", "<br=0>", "<br=-4>", "<br=x>", "<br>"}) {
        const Drawn r = Render(d, std::string("a") + tag + "b");
        ASSERT_EQ(r.texts.size(), 2u) << tag;
        const int lines = (r.texts[1].points[0].y - r.texts[0].points[0].y) / h;
        EXPECT_EQ(lines, std::string(tag) == "<br=1000>" ? 100 : 1) << tag;
    }
    {
        // A tab at x = w (w < 32) moves to the second stop after it: 64.
        const Drawn r = Render(d, "i<t=2>j\tk");
        ASSERT_EQ(r.texts.size(), 3u);
        EXPECT_EQ(r.texts[1].points[0].x, 64);
        EXPECT_EQ(r.texts[2].points[0].x, 96);
    }
}

TEST(HtmlDrawerText, MeasuredSizeWithoutWrapping)
{
    CPPHtmlDrawer d;
    const std::string longLine(100, 'w');
    const Drawn r = Render(d, "short<br>" + longLine + "<br>mid");
    EXPECT_EQ(r.texts.size(), 3u);
    const int h = LineHeight(d);
    EXPECT_EQ(r.size.cx, Extent(longLine, kBody).cx + 1);
    EXPECT_EQ(r.size.cy, 3 * h + 1);
    // Empty or markup-only text shows nothing and is forgotten.
    CRecordingDC dc(10, 10);
    EXPECT_EQ(d.MeasureHtml(dc.GetSafeHdc(), ""), CSize(0, 0));
    EXPECT_FALSE(d.HasText());
    EXPECT_EQ(d.MeasureHtml(dc.GetSafeHdc(), "<b></b><i>"), CSize(0, 0));
    EXPECT_FALSE(d.HasText());
}

TEST(HtmlDrawerText, WrapsAfterTheLastFittingBreakCharacter)
{
    CPPHtmlDrawer d;
    const std::string first = "alpha beta,";
    const int width = Extent(first + " gam", kBody).cx;
    d.SetMaxWidth(width);
    const Drawn r = Render(d, first + " gamma delta", width);
    ASSERT_GE(r.texts.size(), 2u);
    EXPECT_EQ(r.texts[0].text, first);
    EXPECT_EQ(r.texts[1].text.rfind("gamma", 0), 0u);
    EXPECT_EQ(r.texts[1].points[0].x, 0);
    EXPECT_GT(r.texts[1].points[0].y, r.texts[0].points[0].y);
    EXPECT_LE(r.size.cx, width + 1);

    // Cyrillic without break characters: split between whole characters only.
    const std::string word = "Необходимосначаловключитьканал";
    d.SetMaxWidth(60);
    const Drawn c = Render(d, word, 60);
    ASSERT_GT(c.texts.size(), 1u);
    std::string rebuilt;
    for (const GdiRecord& t : c.texts) {
        EXPECT_EQ(t.text.size() % 2, 0u) << t.text;  // two bytes per Cyrillic letter
        EXPECT_LE(Extent(t.text, kBody).cx, 60) << t.text;
        rebuilt += t.text;
    }
    EXPECT_EQ(rebuilt, word);

    // Nothing fits: still one character per line, never an endless loop.
    d.SetMaxWidth(1);
    EXPECT_EQ(Render(d, "abc", 1).texts.size(), 3u);
}

TEST(HtmlDrawerText, TransformsWorkOnWholeCharacters)
{
    CPPHtmlDrawer d;
    d.LoadStyleSheet(".u {text-transform:uppercase} .l {text-transform:LOWERCASE} .c {text-transform:capitalize}");
    EXPECT_EQ(Render(d, "<span class=u>ёлка abc</span>").joined, "ЁЛКА ABC");
    EXPECT_EQ(Render(d, "<span class=l>ЁЛКА ABC</span>").joined, "ёлка abc");
    EXPECT_EQ(Render(d, "<span class=c>hELLO wORLD ы</span>").joined, "Hello World ы");
    // Invalid bytes pass through untouched.
    EXPECT_EQ(Render(d, "<span class=u>a\xFF\xD0</span>").joined, Render(d, "A\xFF\xD0").joined);
}

TEST(HtmlDrawerStyles, StyleSheetParsing)
{
    CPPHtmlDrawer d;
    EXPECT_EQ(d.GetStyleSheet().size(), 17u);
    EXPECT_EQ(d.GetStyleSheet().at("pre"), "font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb");
    d.LoadStyleSheet("  H1 {color:red} .Note{font-weight:bold} broken { no end  p");
    ASSERT_EQ(d.GetStyleSheet().size(), 2u);
    EXPECT_EQ(d.GetStyleSheet().at("h1"), "color:red");
    EXPECT_EQ(d.GetStyleSheet().at(".note"), "font-weight:bold");
    d.LoadStyleSheet("td {a:b} td {c:d}");
    EXPECT_EQ(d.GetStyleSheet().at("td"), "c:d");
    d.LoadStyleSheet("");
    EXPECT_EQ(d.GetStyleSheet().size(), 17u);

    CPPHtmlDrawer fresh;
    const Drawn r = Render(fresh, "<h1>a</h1><h2>b</h2><pre>c</pre><code>d</code><span class=cpp-comment>e</span>");
    ASSERT_EQ(r.texts.size(), 5u);
    EXPECT_EQ(r.texts[0].font.lfHeight, 14 * 96 / 72);
    EXPECT_EQ(r.texts[0].font.lfWeight, 700);
    EXPECT_EQ(r.texts[1].textColor, RGB(0xFF, 0x99, 0x00));
    EXPECT_EQ(r.texts[2].bkMode, OPAQUE);
    EXPECT_EQ(r.texts[2].bkColor, RGB(0xFB, 0xED, 0xBB));
    EXPECT_STREQ(r.texts[2].font.lfFaceName, "courier");
    EXPECT_EQ(r.texts[3].textColor, RGB(0x99, 0x00, 0x00));
    EXPECT_EQ(r.texts[4].textColor, RGB(0x00, 0x80, 0x00));
    EXPECT_TRUE(r.texts[4].font.lfItalic);
}

TEST(HtmlDrawerStyles, Declarations)
{
    CPPHtmlDrawer d;
    using S = CPPHtmlDrawer::HtmlStyle;
    struct Case {
        const char* css;
        bool (*check)(const S&);
    } cases[] = {
        {"background-color:transparent", [](const S& s) { return s.nBkMode == 1; }},
        {"background-color:#fbedbb", [](const S& s) { return s.nBkMode == 2 && s.crBkgnd == RGB(0xFB, 0xED, 0xBB); }},
        {"background-color:nosuch", [](const S& s) { return s.nBkMode == 1 && s.crBkgnd == 0xFFFFFF; }},
        {"text-decoration:underline, overline", [](const S& s) { return s.bUnderlineFont && s.bOverlineFont; }},
        {"text-decoration:line-through;text-decoration:", [](const S& s) { return !s.bStrikeOutFont; }},
        {"font-weight:bolder", [](const S& s) { return s.nWeightFont == 900; }},
        {"font-weight:650", [](const S& s) { return s.nWeightFont == 650; }},
        {"vertical-align:middle", [](const S& s) { return s.nVertAlign == 1; }},
        {"border-style:dashed", [](const S& s) { return s.nBorderStyle == 2 && s.nBorderWidth == 1; }},
        {"border-width:4px; border-width:thin", [](const S& s) { return s.nBorderWidth == 3 && s.nBorderStyle == 1; }},
        {"border-width:0", [](const S& s) { return s.nBorderWidth == 0 && s.nBorderStyle == 0; }},
        {"border-width:99999px", [](const S& s) { return s.nBorderWidth == 2048; }},
        {"MARGIN:5px; Padding:7px", [](const S& s) { return s.nPadding == 5 && s.nMargin == 7; }},
        {"font-family:\"Times New Roman\"", [](const S& s) { return s.sFaceFont == "times new roman"; }},
        {"font-family:", [](const S& s) { return s.sFaceFont == "Verdana"; }},
        {"color:0x1234567", [](const S& s) { return s.crText == 0x234567; }},
        {"text-align:right", [](const S& s) { return s.nHorzAlign == 2; }},
    };
    for (const Case& k : cases) {
        S s;
        d.ApplyDeclarations(k.css, s);
        EXPECT_TRUE(k.check(s)) << k.css;
    }
}

TEST(HtmlDrawerStyles, ColourNames)
{
    EXPECT_EQ(CPPHtmlDrawer::ColorNameCount(), 168u);
    CPPHtmlDrawer d;
    struct Case {
        const char* name;
        bool known;
        COLORREF value;
    } cases[] = {
        {"brown", true, RGB(0xA5, 0x2A, 0x2A)}, {"gold", true, RGB(0xFF, 0xD7, 0x00)},
        {"pink", true, RGB(0xFF, 0xC0, 0xCB)},  {"olive", true, RGB(0x80, 0x80, 0x00)},
        {"lightgrey", true, RGB(0xD3, 0xD3, 0xD3)}, {"infobackground", true, GetSysColor(COLOR_INFOBK)},
        {"threedface", true, GetSysColor(COLOR_BTNFACE)},
        {"grey", false, 0}, {"darkgrey", false, 0}, {"dimgrey", false, 0}, {"slategrey", false, 0},
        {"darkslategrey", false, 0}, {"lightslategrey", false, 0}, {"lightgray", false, 0},
    };
    for (const Case& k : cases) {
        COLORREF c = 0x123456;
        EXPECT_EQ(d.ParseColor(k.name, c), k.known) << k.name;
        EXPECT_EQ(c, k.known ? k.value : 0x123456u) << k.name;
    }
}

// A window that writes down the drawer's change reports.
class ReportSink : public CWnd {
public:
    std::vector<WPARAM> reports;
    // Like the tooltip, redraws at once on a report, which rebuilds the drawer's link areas.
    CPPHtmlDrawer* redraw = nullptr;
    CRect redrawRect;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_USER + 101) {
            reports.push_back(wParam);
            if (redraw != nullptr) {
                CRecordingDC dc(800, 600);
                redraw->DrawHtml(dc.GetSafeHdc(), &redrawRect);
            }
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(HtmlDrawerLinks, HoverReportsAndClicks)
{
    uitest::EnsureApplication();
    ReportSink sink;
    ASSERT_TRUE(sink.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CPPHtmlDrawer d;
    d.SetChangeNotify(sink.m_hWnd, WM_USER + 101, 0);
    std::vector<std::string> opened;
    d.SetLinkOpener([&](const std::string& t) { opened.push_back(t); });

    const std::string html = "go <a href=\"https://example.org/a b\">first</a> and <a href=http://x.org>second</a> "
                             "<a msg=\"hello\">m</a> <a href=\"javascript:alert(1)\">j</a>";
    Drawn r = Render(d, html);
    ASSERT_EQ(r.texts.size(), 8u);
    sink.redraw = &d;
    sink.redrawRect = CRect(0, 0, r.size.cx, r.size.cy);
    const GdiRecord second = r.texts[3];
    EXPECT_EQ(second.text, "second");
    EXPECT_FALSE(second.font.lfUnderline);
    EXPECT_EQ(second.textColor, RGB(0, 0, 255));

    // Hovering the second link reports index 1; its next drawing uses a:hover.
    const CPoint onSecond(second.points[0].x + 2, second.points[0].y + 2);
    d.UpdateLinkCursor(onSecond);
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.reports[0], 1u);
    EXPECT_EQ(d.GetHoveredLink(), 1);
    d.UpdateLinkCursor(onSecond);  // same link: no new report
    EXPECT_EQ(sink.reports.size(), 1u);
    {
        CRecordingDC dc(800, 600);
        const CRect rect(0, 0, r.size.cx, r.size.cy);
        for (int i = 0; i < 50; ++i) d.DrawHtml(dc.GetSafeHdc(), &rect);  // link areas do not pile up
        const auto texts = dc.RecordsOf("TextOut");
        EXPECT_TRUE(texts[texts.size() - 5].font.lfUnderline);
    }
    d.UpdateLinkCursor(CPoint(2, 2));  // off any link
    ASSERT_EQ(sink.reports.size(), 2u);
    EXPECT_EQ(static_cast<int>(sink.reports[1]), -2);

    d.ClickLink(onSecond);
    d.ClickLink(CPoint(r.texts[1].points[0].x + 1, r.texts[1].points[0].y + 1));
    d.ClickLink(CPoint(r.texts[5].points[0].x + 1, r.texts[5].points[0].y + 1));  // msg link: nobody to tell
    d.ClickLink(CPoint(r.texts[7].points[0].x + 1, r.texts[7].points[0].y + 1));  // refused scheme
    d.ClickLink(CPoint(2, 2));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "http://x.org");
    EXPECT_EQ(opened[1], "https://example.org/a b");
    sink.DestroyWindow();
}

TEST(HtmlDrawerLinks, OpenableTargets)
{
    struct Case {
        std::string url;
        bool ok;
    } cases[] = {
        {"http://a.org", true}, {"HTTPS://a.org/x?y=1;z", true}, {"ftp://f.org", true}, {"mailto:a@b.org", true},
        {"file:///etc/passwd", false}, {"-http://a", false}, {"http://a.org\n", false}, {"javascript:x", false},
        {"http://" + std::string(2100, 'a'), false}, {"", false}, {"www.example.org", false},
    };
    for (const Case& k : cases) EXPECT_EQ(CPPHtmlDrawer::IsOpenableUrl(k.url), k.ok) << k.url;
}

TEST(HtmlDrawerPasses, UntrustedMarkupStaysWithinLimits)
{
    CPPHtmlDrawer d;
    {
        // Styled tags nest 256 deep at most; the deeper ones are ignored, opening and closing.
        std::string html;
        for (int i = 0; i < 300; ++i) html += "<i>";
        html += "deep";
        for (int i = 0; i < 300; ++i) html += "</i>";
        html += "after";
        const Drawn r = Render(d, html);
        ASSERT_EQ(r.texts.size(), 2u);
        EXPECT_FALSE(r.texts[0].font.lfItalic);  // 256 toggles
        EXPECT_FALSE(r.texts[1].font.lfItalic);
    }
    {
        // Content is clipped to 2048 x 2048.
        std::string html;
        for (int i = 0; i < 50; ++i) html += "x<br=100>";
        const Drawn r = Render(d, html + "<font size=500>" + std::string(50, 'W') + "</font>");
        EXPECT_EQ(r.size, CSize(CPPHtmlDrawer::kMaxContentSize, CPPHtmlDrawer::kMaxContentSize));
    }
    {
        // Text beyond 64 KiB is cut, on a character boundary.
        std::string html;
        while (html.size() < CPPHtmlDrawer::kMaxTextBytes + 10) html += "ж";
        CRecordingDC dc(10, 10);
        EXPECT_GT(d.MeasureHtml(dc.GetSafeHdc(), "<b>" + html).cx, 0);
        EXPECT_GT(d.MeasureHtml(dc.GetSafeHdc(), "a" + html).cx, 0);
    }
}

TEST(HtmlDrawerPasses, DrawingReliesOnMeasuring)
{
    CPPHtmlDrawer d;
    CRecordingDC dc(200, 100);
    const CRect r(0, 0, 200, 100);
    d.DrawHtml(dc.GetSafeHdc(), &r);
    EXPECT_TRUE(dc.RecordsOf("TextOut").empty());
    d.MeasureHtml(dc.GetSafeHdc(), "one<br>two");
    dc.ClearRecords();
    d.DrawHtml(dc.GetSafeHdc(), &r);
    EXPECT_EQ(dc.RecordsOf("TextOut").size(), 2u);
    d.DrawHtml(dc.GetSafeHdc(), nullptr);
}

TEST(HtmlDrawerPasses, RulesAndAlignment)
{
    CPPHtmlDrawer d;
    CRecordingDC dc(400, 200);
    const CSize s = d.MeasureHtml(dc.GetSafeHdc(), "<center>mid</center><br><right>r</right><br><hr size=3 color=red>wide text here");
    dc.ClearRecords();
    const CRect rect(0, 0, s.cx, s.cy);
    d.DrawHtml(dc.GetSafeHdc(), &rect);
    const auto texts = dc.RecordsOf("TextOut");
    ASSERT_EQ(texts.size(), 3u);
    const int mid = Extent("mid", kBody).cx;
    EXPECT_EQ(texts[0].points[0].x, (s.cx - mid) / 2);
    EXPECT_EQ(texts[1].points[0].x, s.cx - Extent("r", kBody).cx);
    // The rule spans the block at 100 %.
    bool found = false;
    for (const GdiRecord& l : dc.RecordsOf("LineTo")) {
        if (l.penWidth == 3 && l.penColor == RGB(255, 0, 0)) {
            found = true;
            EXPECT_EQ(l.points[1].x - l.points[0].x, s.cx);
        }
    }
    EXPECT_TRUE(found);
}

}  // namespace
