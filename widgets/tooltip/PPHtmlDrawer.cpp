// The drawer's tables, style sheet, entry points and hyperlinks.

#include "widgets/tooltip/PPHtmlDrawer.h"

#include "widgets/tooltip/PPHtmlLayout.h"

#include "platform/ui/ShellOpen.h"
#include "platform/ui/Wnd.h"

#include <algorithm>
#include <cstring>

namespace {

// The default look of the markup's styled tags.
const char* const kDefaultStyleSheet =
    "body {font-size: 10pt; color:black; font-family:Verdana}\r\n"
    "p {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h1 {font-size: 14pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h2 {font-size: 13pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h3 {font-size: 12pt; color:#ff9900; font-family:Arial; font-weight:bold}\r\n"
    "h4 {font-size: 10pt; color:black; font-family:Verdana; font-weight:bold}\r\n"
    "h5 {font-size: 9pt; color:#ff9900; font-family:Verdana; font-weight:bold}\r\n"
    "h6 {font-size: 65%; color:#626262; font-family:Verdana; font-weight:normal}\r\n"
    "pre {font-size: 9pt; font-family:\"Courier\"; background-color:#fbedbb}\r\n"
    "code {color:#990000; font-family:Arial}\r\n"
    "a:link {text-decoration:none; color:blue}\r\n"
    "a:hover {text-decoration:underline; color:blue}\r\n"
    "sub {font-size:65%; vertical-align:bottom}\r\n"
    "sup {font-size:65%; vertical-align:top}\r\n"
    "big {font-size:125%}\r\n"
    "small {font-size:75%}\r\n"
    ".cpp-comment {color:green; font-style:italic}\r\n";

bool IsSelectorStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}

// Cuts at most `limit` bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty()) return;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string::npos) break;
        out.append(text, pos, hit - pos);
        out += to;
        pos = hit + from.size();
    }
    out.append(text, pos, std::string::npos);
    text.swap(out);
}

}  // namespace

CPPHtmlDrawer::CPPHtmlDrawer() : m_fonts(std::make_unique<FontCache>())
{
    const std::pair<const char*, std::pair<int, const char*>> tags[] = {
        {"b", {1, "bold"}},          {"i", {2, "italic"}},       {"em", {2, "italic"}},
        {"u", {3, "underline"}},     {"s", {4, "strikeout"}},    {"strike", {4, "strikeout"}},
        {"font", {5, "font"}},       {"hr", {6, ""}},            {"br", {7, ""}},
        {"t", {8, ""}},              {"left", {9, "left"}},      {"center", {10, "center"}},
        {"right", {11, "right"}},    {"justify", {12, "justify"}}, {"baseline", {13, "baseline"}},
        {"top", {14, "top"}},        {"vcenter", {15, "vcenter"}}, {"middle", {15, "vcenter"}},
        {"bottom", {16, "vcenter"}}, {"bmp", {17, ""}},          {"icon", {18, ""}},
        {"ilst", {19, ""}},          {"string", {20, ""}},       {"body", {21, "body"}},
        {"h1", {21, "h1"}},          {"h2", {21, "h2"}},         {"h3", {21, "h3"}},
        {"h4", {21, "h4"}},          {"h5", {21, "h5"}},         {"h6", {21, "h6"}},
        {"code", {21, "code"}},      {"pre", {21, "pre"}},       {"big", {21, "big"}},
        {"small", {21, "small"}},    {"sub", {21, "sub"}},       {"sup", {21, "sup"}},
        {"span", {22, "span"}},      {"a", {23, "link"}},
    };
    for (const auto& [name, value] : tags) m_mapTags[name] = {value.first, value.second};

    // Entities become UTF-8 characters.
    m_mapEntities = {
        {"&amp;", "&"},          {"&bull;", "\xE2\x80\xA2"}, {"&copy;", "\xC2\xA9"},  {"&euro;", "\xE2\x82\xAC"},
        {"&gt;", ">"},           {"&iquest;", "\xC2\xBF"},   {"&lt;", "<<"},           {"&nbsp;", " "},
        {"&para;", "\xC2\xB6"},  {"&pound;", "\xC2\xA3"},    {"&quot;", "\""},         {"&reg;", "\xC2\xAE"},
        {"&trade;", "\xE2\x84\xA2"},
    };

    m_mapColors = PPHtmlColorTable();
    m_hLinkCursor = LoadCursor(nullptr, IDC_HAND);
    m_crShadow = RGB(MulDiv(255, m_nDarkenShadow, 100), MulDiv(255, m_nDarkenShadow, 100), MulDiv(255, m_nDarkenShadow, 100));
    m_opener = [](const std::string& target) { ShellOpen(target); };
    LoadStyleSheet(nullptr);
}

CPPHtmlDrawer::~CPPHtmlDrawer() = default;

std::size_t CPPHtmlDrawer::ColorNameCount() { return PPHtmlColorTable().size(); }

void CPPHtmlDrawer::LoadStyleSheet(const char* text)
{
    m_mapStyles.clear();
    const std::string sheet = (text == nullptr || *text == '\0') ? std::string(kDefaultStyleSheet)
                                                                 : CutUtf8(text, kMaxTextBytes);
    std::size_t pos = 0;
    while (pos < sheet.size()) {
        while (pos < sheet.size() && !IsSelectorStart(sheet[pos])) ++pos;
        if (pos >= sheet.size()) break;
        const std::size_t selEnd = sheet.find_first_of(" {", pos);
        if (selEnd == std::string::npos) break;
        const std::string selector = pphtml::LowerAscii(std::string_view(sheet).substr(pos, selEnd - pos));
        const std::size_t open = sheet.find('{', selEnd);
        if (open == std::string::npos) break;
        const std::size_t close = sheet.find('}', open + 1);
        if (close == std::string::npos) break;
        if (!selector.empty()) m_mapStyles[selector] = sheet.substr(open + 1, close - open - 1);
        pos = close + 1;
    }
}

void CPPHtmlDrawer::SetChangeNotify(HWND hwnd, UINT message, LPARAM lParam)
{
    m_hNotifyWnd = hwnd;
    m_nNotifyMsg = message;
    m_lNotifyParam = lParam;
}

void CPPHtmlDrawer::SetMaxWidth(int width) { m_nMaxWidth = std::clamp(width, 0, kMaxContentSize); }

void CPPHtmlDrawer::SetLinkOpener(LinkOpener opener) { m_opener = std::move(opener); }

CSize CPPHtmlDrawer::MeasureHtml(HDC hdc, const std::string& text)
{
    m_bMeasured = false;
    m_arrLines.clear();
    m_arrLinks.clear();
    m_arrAni.clear();
    m_arrTables.clear();

    std::string prepared = CutUtf8(text, kMaxTextBytes);
    for (const auto& [entity, replacement] : m_mapEntities) ReplaceAll(prepared, entity, replacement);
    ReplaceAll(prepared, "\r", "");
    ReplaceAll(prepared, "\n", "<br>");
    ReplaceAll(prepared, "\t", "<t>");
    m_text = std::move(prepared);
    if (m_text.empty()) return CSize(0, 0);

    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr) {
        m_text.clear();
        return CSize(0, 0);
    }
    HtmlLayout pass(*this, dc, true);
    CSize size = pass.Run(CRect(0, 0, m_nMaxWidth, 0));
    m_bMeasured = true;
    if (size.cx <= 0 && size.cy <= 0) {
        m_text.clear();
        return CSize(0, 0);
    }
    if (m_nMaxWidth > 0 && size.cx > m_nMaxWidth) size.cx = m_nMaxWidth;
    // Content beyond the largest tip is clipped.
    size.cx = std::clamp<LONG>(size.cx, 0, kMaxContentSize - 1);
    size.cy = std::clamp<LONG>(size.cy, 0, kMaxContentSize - 1);
    return CSize(size.cx + 1, size.cy + 1);
}

void CPPHtmlDrawer::DrawHtml(HDC hdc, const RECT* rect)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (dc == nullptr || rect == nullptr || !m_bMeasured || m_text.empty()) return;
    CRect r(*rect);
    r.right = std::min<LONG>(r.right, r.left + kMaxContentSize);
    r.bottom = std::min<LONG>(r.bottom, r.top + kMaxContentSize);
    // Each drawing pass gathers the link areas anew.
    m_arrLinks.clear();
    HtmlLayout pass(*this, dc, false);
    pass.Run(r);
}

void CPPHtmlDrawer::SendChange()
{
    if (m_hNotifyWnd != nullptr && m_nNotifyMsg != 0)
        SendMessage(m_hNotifyWnd, m_nNotifyMsg, static_cast<WPARAM>(m_nHoverIndexLink), m_lNotifyParam);
}

namespace {
bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom; }
}  // namespace

BOOL CPPHtmlDrawer::UpdateLinkCursor(POINT point)
{
    const auto it = std::find_if(m_arrLinks.begin(), m_arrLinks.end(),
                                 [&](const LinkArea& a) { return Contains(a.rect, point); });
    if (it == m_arrLinks.end()) {
        if (m_nHoverIndexLink != -2) {
            m_nHoverIndexLink = -2;
            SendChange();
        }
        return FALSE;
    }
    // The change report redraws the tip, which rebuilds the link areas: keep a copy.
    const LinkArea link = *it;
    if (link.nIndexLink != m_nHoverIndexLink) {
        m_nHoverIndexLink = link.nIndexLink;
        SendChange();
    }
    if (!link.sHyperlink.empty() && m_hLinkCursor != 0) {
        SetCursor(m_hLinkCursor);
        return TRUE;
    }
    return FALSE;
}

void CPPHtmlDrawer::ClickLink(POINT point)
{
    const auto it = std::find_if(m_arrLinks.begin(), m_arrLinks.end(),
                                 [&](const LinkArea& a) { return Contains(a.rect, point); });
    if (it == m_arrLinks.end()) return;
    const LinkArea link = *it;
    if (link.sHyperlink.empty()) return;
    OpenLink(link);
}

void CPPHtmlDrawer::OpenLink(const LinkArea& link)
{
    // Message links have no receiver in this program; only web and mail addresses are opened.
    if (link.nTypeLink != 1 || !IsOpenableUrl(link.sHyperlink) || !m_opener) return;
    m_opener(link.sHyperlink);
}

bool CPPHtmlDrawer::IsOpenableUrl(const std::string& target) { return ::IsOpenableUrl(target); }

BOOL CPPHtmlDrawer::AdvanceAnimations()
{
    BOOL changed = FALSE;
    for (AnimationState& a : m_arrAni) {
        if (a.nMaxImages <= 0 || a.nSpeed <= 0) continue;
        if (++a.nTimerCount >= a.nSpeed) {
            a.nTimerCount = 0;
            a.nIndex = (a.nIndex + 1) % a.nMaxImages;
            changed = TRUE;
        }
    }
    return changed;
}

bool CPPHtmlDrawer::ParseColor(const std::string& value, COLORREF& color) const
{
    const std::string_view v = pphtml::TrimSpaces(value);
    if (v.empty()) return false;
    if (v[0] == '#') {
        if (v.size() != 7) return false;
        unsigned rgb = 0;
        for (std::size_t i = 1; i < 7; ++i) {
            const char c = v[i];
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return false;
            rgb = rgb << 4 | static_cast<unsigned>(digit);
        }
        color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        return true;
    }
    if (v[0] >= '0' && v[0] <= '9') {
        // Automatic base; only the low 24 bits make a colour.
        unsigned long long n = 0;
        std::size_t i = 0;
        unsigned base = 10;
        if (v.size() > 1 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
            base = 16;
            i = 2;
        } else if (v[0] == '0') {
            base = 8;
        }
        for (; i < v.size(); ++i) {
            const char c = v[i];
            unsigned digit;
            if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
            else break;
            if (digit >= base) break;
            n = (n * base + digit) & 0xFFFFFFFFFFull;
        }
        color = static_cast<COLORREF>(n & 0xFFFFFFu);
        return true;
    }
    const auto it = m_mapColors.find(std::string(v));
    if (it == m_mapColors.end()) return false;
    color = it->second;
    return true;
}

void CPPHtmlDrawer::ApplyDeclarations(const std::string& declarations, HtmlStyle& style)
{
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr)) return;
    HtmlLayout pass(*this, &dc, true);
    pass.style = style;
    pass.SelectStyle();
    pass.ApplyDeclarations(declarations, style);
}
