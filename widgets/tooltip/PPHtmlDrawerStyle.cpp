// Markup text helpers, style rules, lengths and fonts of a layout pass.

#include "widgets/tooltip/PPHtmlLayout.h"

#include <algorithm>
#include <cstring>

namespace {
// Fonts a drawer keeps between passes: a tip uses a handful.
constexpr std::size_t kMaxCachedFonts = 64;
}  // namespace

namespace pphtml {

namespace {
bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
}
constexpr long long kNumberLimit = 1LL << 30;
}  // namespace

std::string_view TrimSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

Attributes ParseAttributes(std::string_view text)
{
    Attributes out;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && !IsNameStart(text[i])) ++i;
        if (i >= n) break;
        const std::size_t start = i;
        while (i < n && text[i] != ' ' && text[i] != '=') ++i;
        std::string name(text.substr(start, i - start));
        std::size_t j = i;
        while (j < n && text[j] == ' ') ++j;
        std::string value;
        if (j < n && text[j] == '=') {
            ++j;
            while (j < n && text[j] == ' ') ++j;
            if (j < n && (text[j] == '"' || text[j] == '\'')) {
                const char quote = text[j];
                const std::size_t close = text.find(quote, j + 1);
                const std::size_t end = close == std::string_view::npos ? n : close;
                value.assign(text.substr(j + 1, end - j - 1));
                i = end == n ? n : end + 1;
            } else {
                const std::size_t space = text.find(' ', j);
                const std::size_t end = space == std::string_view::npos ? n : space;
                value.assign(text.substr(j, end - j));
                i = end;
            }
        }
        out.emplace_back(std::move(name), std::move(value));
    }
    return out;
}

std::optional<std::string> FindAttribute(const Attributes& attributes, std::string_view name)
{
    for (const auto& [key, value] : attributes)
        if (key == name) return value;
    return std::nullopt;
}

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::size_t CharLength(std::string_view text, std::size_t i)
{
    if (i >= text.size()) return 0;
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t n = 1;
    if (lead >= 0xC2 && lead <= 0xDF) n = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) n = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) n = 4;
    if (i + n > text.size()) return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

namespace {

std::uint32_t Decode(std::string_view text, std::size_t i, std::size_t n)
{
    const auto b = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + k])); };
    switch (n) {
    case 2: return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3: return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    case 4: return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    default: return b(0);
    }
}

void Encode(std::uint32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Case mapping of the scripts tips are written in: Latin, Latin-1 and Cyrillic.
std::uint32_t ToUpper(std::uint32_t c)
{
    if (c >= 'a' && c <= 'z') return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    return c;
}

std::uint32_t ToLower(std::uint32_t c)
{
    if (c >= 'A' && c <= 'Z') return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

}  // namespace

std::string TransformCase(std::string_view text, int transform)
{
    if (transform < 1 || transform > 3) return std::string(text);
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text, i);
        if (n == 1 && static_cast<unsigned char>(text[i]) >= 0x80) {
            // An invalid byte stays as it is.
            out += text[i];
            wordStart = false;
            ++i;
            continue;
        }
        std::uint32_t cp = Decode(text, i, n);
        if (transform == 1) cp = ToUpper(cp);
        else cp = ToLower(cp);
        if (transform == 3 && wordStart && cp >= 'a' && cp <= 'z') cp -= 32;
        wordStart = cp == ' ';
        Encode(cp, out);
        i += n;
    }
    return out;
}

bool ParseNumber(std::string_view text, long long& value)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == '0') {
        base = 8;
    }
    long long v = 0;
    bool any = base == 8;  // "0" alone is a number
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= base) break;
        any = true;
        v = std::min(v * base + digit, kNumberLimit);
    }
    if (!any) return false;
    value = negative ? -v : v;
    return true;
}

std::size_t FindTableStart(std::string_view text, std::size_t from)
{
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] != '<') continue;
        if (i + 1 < text.size() && text[i + 1] == '<') {
            ++i;  // the escaped less-than sign
            continue;
        }
        if (text.compare(i, 6, "<table") == 0) return i;
    }
    return std::string_view::npos;
}

std::size_t FindTableEnd(std::string_view text, std::size_t start)
{
    int depth = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] != '<') continue;
        if (i + 1 < text.size() && text[i + 1] == '<') {
            ++i;
            continue;
        }
        if (text.compare(i, 6, "<table") == 0) {
            ++depth;
        } else if (text.compare(i, 8, "</table>") == 0) {
            if (--depth == 0) return i + 8;
        }
    }
    return text.size();
}

}  // namespace pphtml

// --- The pass: styles and fonts ----------------------------------------------------------------

HtmlLayout::HtmlLayout(CPPHtmlDrawer& drawer, CDC* dc_, bool measuring_) : d(drawer), dc(dc_), measuring(measuring_) {}

HtmlLayout::~HtmlLayout()
{
    if (savedDC_ != 0) dc->RestoreDC(savedDC_);
    else if (oldFont_ != nullptr) dc->SelectObject(oldFont_);
}

CFont* HtmlLayout::FontFor(const HtmlStyle& s)
{
    LOGFONT lf{};
    lf.lfHeight = s.nSizeFont;
    lf.lfWeight = s.nWeightFont;
    lf.lfItalic = s.bItalicFont ? 1 : 0;
    lf.lfUnderline = s.bUnderlineFont ? 1 : 0;
    lf.lfStrikeOut = s.bStrikeOutFont ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    SetLogFontFaceName(lf, s.sFaceFont.c_str());
    auto& cache = d.m_fonts->entries;
    for (auto& e : cache)
        if (std::memcmp(&e.lf, &lf, sizeof(lf)) == 0) return e.font.get();
    // Bounded: markup asking for ever new fonts starts the cache over, keeping the font the DC
    // holds now.
    if (cache.size() >= kMaxCachedFonts) {
        CFont* selected = dc->GetCurrentFont();
        std::vector<CPPHtmlDrawer::FontCache::Entry> kept;
        for (auto& e : cache)
            if (e.font.get() == selected) kept.push_back(std::move(e));
        cache.swap(kept);
    }
    auto font = std::make_unique<CFont>();
    if (!font->CreateFontIndirect(&lf)) return nullptr;
    cache.push_back(CPPHtmlDrawer::FontCache::Entry{lf, std::move(font)});
    return cache.back().font.get();
}

void HtmlLayout::SelectStyle()
{
    CFont* font = FontFor(style);
    if (font != nullptr) {
        CFont* old = dc->SelectObject(font);
        if (oldFont_ == nullptr) oldFont_ = old;
    }
    dc->SetBkMode(style.nBkMode == 2 ? OPAQUE : TRANSPARENT);
    dc->SetTextColor(style.crText);
    dc->SetBkColor(style.crBkgnd);
    if (!dc->GetTextMetrics(&tm)) tm = TEXTMETRIC{};
    if (tm.tmHeight <= 0) tm.tmHeight = std::max(1, style.nSizeFont);
}

void HtmlLayout::ApplyRule(const std::string& selector, HtmlStyle& s)
{
    const auto it = d.m_mapStyles.find(pphtml::LowerAscii(selector));
    if (it != d.m_mapStyles.end()) ApplyDeclarations(it->second, s);
}

int HtmlLayout::Length(std::string_view value, int c, bool fontSize) const
{
    const int lo = fontSize ? 1 : 0;
    const int hi = fontSize ? CPPHtmlDrawer::kMaxFontSize : CPPHtmlDrawer::kMaxLength;
    std::string_view v = pphtml::TrimSpaces(value);
    if (v.empty()) return c;
    long long n = 0;
    if (v.back() == '%') {
        if (!pphtml::ParseNumber(v.substr(0, v.size() - 1), n)) return c;
        n = std::clamp<long long>(n < 0 ? -n : n, 0, CPPHtmlDrawer::kMaxPercent);
        return std::clamp(MulDiv(c, static_cast<int>(n), 100), lo, hi);
    }
    if (v.front() == '+' || v.front() == '-') v.remove_prefix(1);
    if (v.empty()) return c;
    const int dpi = std::max(1, dc->GetDeviceCaps(LOGPIXELSY));
    long long result = 0;
    const std::string_view unit = v.size() >= 2 ? v.substr(v.size() - 2) : std::string_view();
    const bool known = unit == "px" || unit == "ex" || unit == "em" || unit == "in" || unit == "cm" ||
                       unit == "mm" || unit == "pt" || unit == "pc";
    if (known) {
        // The leading decimal integer.
        std::size_t i = 0;
        while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
            n = std::min<long long>(n * 10 + (v[i] - '0'), 1 << 20);
            ++i;
        }
        if (i == 0) return c;
        if (unit == "px") result = n;
        else if (unit == "ex") result = n * dc->GetTextExtent("x", 1).cy;
        else if (unit == "em") result = n * tm.tmHeight;
        else if (unit == "in") result = n * dpi;
        else if (unit == "cm") result = n * dpi * 100 / 254;
        else if (unit == "mm") result = n * dpi * 10 / 254;
        else if (unit == "pt") result = n * dpi / 72;
        else result = n * dpi / 6;
    } else {
        if (!pphtml::ParseNumber(v, n)) return c;
        result = n;
        static constexpr int kHtmlSizes[] = {8, 10, 12, 14, 18, 24, 36};
        if (fontSize && n >= 1 && n <= 7) result = kHtmlSizes[n - 1];
    }
    return static_cast<int>(std::clamp<long long>(result, lo, hi));
}

void HtmlLayout::ApplyDeclarations(const std::string& declarations, HtmlStyle& s)
{
    const std::string text = pphtml::LowerAscii(declarations);
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && !((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= '0' && text[i] <= '9') || text[i] == '.')) ++i;
        if (i >= n) break;
        const std::size_t nameStart = i;
        while (i < n && text[i] != ' ' && text[i] != ':') ++i;
        const std::string name = text.substr(nameStart, i - nameStart);
        const std::size_t colon = text.find(':', i);
        if (colon == std::string::npos) break;
        std::size_t j = colon + 1;
        while (j < n && text[j] == ' ') ++j;
        std::string value;
        if (j < n && text[j] == '"') {
            const std::size_t close = text.find('"', j + 1);
            const std::size_t end = close == std::string::npos ? n : close;
            value = text.substr(j + 1, end - j - 1);
            const std::size_t semi = text.find(';', end);
            i = semi == std::string::npos ? n : semi + 1;
        } else {
            const std::size_t semi = text.find(';', j);
            const std::size_t end = semi == std::string::npos ? n : semi;
            value = std::string(pphtml::TrimSpaces(std::string_view(text).substr(j, end - j)));
            i = semi == std::string::npos ? n : semi + 1;
        }

        if (name == "font-size") {
            s.nSizeFont = Length(value, s.nSizeFont, true);
        } else if (name == "font-family") {
            if (!value.empty()) s.sFaceFont = value;
        } else if (name == "font-style") {
            if (value.empty() || value == "normal") s.bItalicFont = false;
            else if (value == "italic" || value == "oblique") s.bItalicFont = true;
        } else if (name == "font-weight") {
            long long w = 0;
            if (value.empty() || value == "normal") s.nWeightFont = 400;
            else if (value == "bold") s.nWeightFont = 700;
            else if (value == "bolder") s.nWeightFont = 900;
            else if (value == "lighter") s.nWeightFont = 100;
            else if (pphtml::ParseNumber(value, w)) s.nWeightFont = static_cast<int>(std::clamp<long long>(w, 0, 1000));
        } else if (name == "text-align") {
            if (value.empty() || value == "left") s.nHorzAlign = 0;
            else if (value == "center") s.nHorzAlign = 1;
            else if (value == "right") s.nHorzAlign = 2;
        } else if (name == "text-transform") {
            if (value.empty() || value == "none") s.nTextTransform = 0;
            else if (value == "uppercase") s.nTextTransform = 1;
            else if (value == "lowercase") s.nTextTransform = 2;
            else if (value == "capitalize") s.nTextTransform = 3;
        } else if (name == "color") {
            d.ParseColor(value, s.crText);
        } else if (name == "background-color") {
            if (value.empty() || value == "transparent") s.nBkMode = 1;
            else if (d.ParseColor(value, s.crBkgnd)) s.nBkMode = 2;
        } else if (name == "text-decoration") {
            if (value.empty()) value = "none";
            std::size_t k = 0;
            while (k < value.size()) {
                const std::size_t e = value.find_first_of(" ,", k);
                const std::string word = value.substr(k, (e == std::string::npos ? value.size() : e) - k);
                if (word == "none") s.bUnderlineFont = s.bStrikeOutFont = s.bOverlineFont = false;
                else if (word == "underline") s.bUnderlineFont = true;
                else if (word == "line-through") s.bStrikeOutFont = true;
                else if (word == "overline") s.bOverlineFont = true;
                if (e == std::string::npos) break;
                k = e + 1;
            }
        } else if (name == "vertical-align") {
            if (value.empty() || value == "baseline") s.nVertAlign = 3;
            else if (value == "middle" || value == "vcenter") s.nVertAlign = 1;
            else if (value == "top") s.nVertAlign = 0;
            else if (value == "bottom") s.nVertAlign = 2;
        } else if (name == "border-color") {
            if (d.ParseColor(value, s.crBorderLight)) s.crBorderDark = s.crBorderLight;
        } else if (name == "border-width" || name == "size") {
            if (value == "thin") s.nBorderWidth = MulDiv(s.nBorderWidth, 75, 100);
            else if (value == "thick") s.nBorderWidth = std::min(MulDiv(s.nBorderWidth, 125, 100), CPPHtmlDrawer::kMaxLength);
            else if (value != "medium") s.nBorderWidth = Length(value, s.nBorderWidth, false);
            if (s.nBorderWidth == 0) s.nBorderStyle = 0;
            else if (s.nBorderStyle == 0) s.nBorderStyle = 1;
        } else if (name == "border-style") {
            if (value.empty() || value == "none") s.nBorderStyle = 0;
            else if (value == "solid") s.nBorderStyle = 1;
            else if (value == "dashed") s.nBorderStyle = 2;
            else if (value == "dotted") s.nBorderStyle = 3;
            else if (value == "double") s.nBorderStyle = 6;
            if (s.nBorderStyle != 0 && s.nBorderWidth == 0) s.nBorderWidth = 1;
        } else if (name == "margin") {
            s.nPadding = Length(value, s.nPadding, false);
        } else if (name == "padding") {
            s.nMargin = Length(value, s.nMargin, false);
        }
    }
}

void HtmlLayout::HandleStyledTag(int number, const std::string& styleName, bool closing,
                                 const pphtml::Attributes& attributes)
{
    if (closing) {
        style.name = styleName;
        if (!stack.empty() && stack.back().name == style.name) {
            style = stack.back();
            stack.pop_back();
            SelectStyle();
        }
        style.name.clear();
        return;
    }
    // Deeper nesting than any tip needs is markup gone wrong: such tags are ignored.
    if (stack.size() >= static_cast<std::size_t>(CPPHtmlDrawer::kMaxStyleDepth)) return;
    style.name = styleName;
    stack.push_back(style);
    switch (number) {
    case 1: style.nWeightFont = std::min(900, style.nWeightFont * 2); break;
    case 2: style.bItalicFont = !style.bItalicFont; break;
    case 3: style.bUnderlineFont = !style.bUnderlineFont; break;
    case 4: style.bStrikeOutFont = !style.bStrikeOutFont; break;
    case 5:
        for (const auto& [key, value] : attributes) {
            if (key == "face") {
                if (!value.empty()) style.sFaceFont = value;
            } else if (key == "size") {
                style.nSizeFont = Length(value, style.nSizeFont, true);
            } else if (key == "color") {
                d.ParseColor(value, style.crText);
            } else if (key == "style") {
                bool clear = false;
                for (const char c : value) {
                    switch (c) {
                    case '-': clear = true; continue;
                    case 'b': style.nWeightFont = clear ? 400 : 700; break;
                    case 'i': style.bItalicFont = !clear; break;
                    case 'u': style.bUnderlineFont = !clear; break;
                    case 's': style.bStrikeOutFont = !clear; break;
                    case 'o': style.bOverlineFont = !clear; break;
                    default: break;
                    }
                    clear = false;
                }
            } else if (key == "weight") {
                ApplyDeclarations("font-weight:" + value, style);
            } else if (key == "bkgnd") {
                if (value.empty() || value == "transparent") style.nBkMode = 1;
                else if (d.ParseColor(value, style.crBkgnd)) style.nBkMode = 2;
            }
        }
        break;
    case 9: case 10: case 11: case 12: style.nHorzAlign = number - 9; break;
    case 13: style.nVertAlign = 3; break;
    case 14: style.nVertAlign = 0; break;
    case 15: style.nVertAlign = 1; break;
    case 16: style.nVertAlign = 2; break;
    case 21: ApplyRule(styleName, style); break;
    case 22:
        if (auto cls = pphtml::FindAttribute(attributes, "class")) ApplyRule("." + *cls, style);
        break;
    case 23: {
        style.nTypeLink = 2;
        style.sHyperlink.clear();
        for (const auto& [key, value] : attributes) {
            if (key == "href") {
                style.nTypeLink = 1;
                style.sHyperlink = value;
            } else if (key == "msg") {
                style.nTypeLink = 2;
                style.sHyperlink = value;
            }
        }
        ++linkCounter;
        ApplyRule(linkCounter == d.m_nHoverIndexLink ? "a:hover" : "a:link", style);
        break;
    }
    default: break;
    }
    SelectStyle();
}

CSize HtmlLayout::Run(const CRect& rect)
{
    savedDC_ = dc->SaveDC();
    lineCounter = 0;
    linkCounter = tableCounter = aniIndex = -1;
    stack.clear();
    style = HtmlStyle{};
    ApplyRule("body", style);
    SelectStyle();
    if (!measuring) dc->IntersectClipRect(rect.left, rect.top, rect.right, rect.bottom);
    const CSize size = Blocks(d.m_text, rect);
    return size;
}

CSize HtmlLayout::Blocks(std::string_view text, const CRect& rect)
{
    // Positions are capped far beyond any drawable size, so no sum of heights can overflow.
    constexpr long long kCap = 1 << 22;
    long long y = rect.top;
    int width = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t table = pphtml::FindTableStart(text, pos);
        const std::size_t textEnd = table == std::string_view::npos ? text.size() : table;
        if (textEnd > pos) {
            const CSize s = TextBlock(text.substr(pos, textEnd - pos),
                                      CRect(rect.left, static_cast<int>(y), rect.right, static_cast<int>(y)));
            y = std::min(y + s.cy, rect.top + kCap);
            width = std::max<int>(width, s.cx);
        }
        if (table == std::string_view::npos) break;
        const std::size_t end = pphtml::FindTableEnd(text, table);
        const CSize s = TableBlock(text.substr(table, end - table),
                                   CRect(rect.left, static_cast<int>(y), rect.right, static_cast<int>(y)));
        y = std::min(y + s.cy, rect.top + kCap);
        width = std::max<int>(width, s.cx);
        pos = end;
    }
    return CSize(width, static_cast<int>(y - rect.top));
}
