// Text blocks: tokens, tags, lines, wrapping, rules, breaks and tab stops.

#include "widgets/tooltip/PPHtmlLayout.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kBreakChars = " -.,!:;)}]?";
constexpr long long kPositionCap = 1 << 22;

int CountSpaces(std::string_view s) { return static_cast<int>(std::count(s.begin(), s.end(), ' ')); }

// N of <br=N> and <t=N>: the attribute text after its first character, 1..100, 1 when bad.
int RepeatCount(std::string_view attributeText)
{
    if (attributeText.size() < 2) return 1;
    long long n = 0;
    if (!pphtml::ParseNumber(attributeText.substr(1), n) || n < 1) return 1;
    return static_cast<int>(std::min<long long>(n, CPPHtmlDrawer::kMaxRepeat));
}

}  // namespace

void HtmlLayout::BeginLine(Block& b)
{
    b.x = b.left;
    b.lineHasContent = false;
    if (measuring) {
        b.cur = LineInfo{};
        b.cur.nHorzAlign = style.nHorzAlign;
        return;
    }
    if (lineCounter >= 0 && static_cast<std::size_t>(lineCounter) < d.m_arrLines.size()) {
        b.rec = d.m_arrLines[static_cast<std::size_t>(lineCounter)];
    } else {
        // Short of records (the text changed since it was measured): a plain line.
        b.rec = LineInfo{};
        b.rec.nHeightLine = tm.tmHeight;
        b.rec.nDescentLine = tm.tmDescent;
    }
    int used = b.rec.nWidthLine;
    if (b.rec.nAddPercentWidth > 0) used += MulDiv(b.width, b.rec.nAddPercentWidth, 100);
    if (b.rec.nHorzAlign == 1) b.x = b.left + (b.width - used) / 2;
    else if (b.rec.nHorzAlign == 2) b.x = b.left + b.width - used;
}

void HtmlLayout::MarkContent(Block& b)
{
    if (!b.lineHasContent && measuring) b.cur.nHorzAlign = style.nHorzAlign;
    b.lineHasContent = true;
    b.anything = true;
}

void HtmlLayout::EndLine(Block& b, bool wrapped, int repeat)
{
    int height;
    if (measuring) {
        LineInfo& li = b.cur;
        const int ascent = li.nHeightLine;
        height = ascent + li.nDescentLine;
        if (height <= 0) height = tm.tmHeight;
        li.nHeightLine = height;
        li.nWrapped = wrapped ? 1 : 0;
        li.nWidthLine = std::max(0, b.x - b.left);
        b.maxWidth = std::max(b.maxWidth, li.nWidthLine);
        d.m_arrLines.push_back(li);
    } else {
        height = b.rec.nHeightLine;
    }
    ++lineCounter;
    b.y = static_cast<int>(std::min<long long>(b.y + static_cast<long long>(height) * repeat, kPositionCap));
    BeginLine(b);
}

int HtmlLayout::LineTopFor(const Block& b, int height, int ascent) const
{
    const int h = b.rec.nHeightLine;
    switch (style.nVertAlign) {
    case 0: return b.y;
    case 1: return b.y + (h - height) / 2;
    case 2: return b.y + h - ascent;
    default: return b.y + h - b.rec.nDescentLine - ascent;
    }
}

void HtmlLayout::AddLinkArea(const CRect& rect)
{
    if (style.nTypeLink == 0 || measuring) return;
    CPPHtmlDrawer::LinkArea area;
    area.rect = rect;
    area.nTypeLink = style.nTypeLink;
    area.nIndexLink = linkCounter;
    area.sHyperlink = style.sHyperlink;
    d.m_arrLinks.push_back(std::move(area));
}

void HtmlLayout::EmitText(Block& b, const std::string& text)
{
    if (text.empty()) return;
    MarkContent(b);
    const CSize ext = dc->GetTextExtent(text);
    if (measuring) {
        b.cur.nHeightLine = std::max<int>(b.cur.nHeightLine, tm.tmAscent);
        b.cur.nDescentLine = std::max<int>(b.cur.nDescentLine, ext.cy - tm.tmAscent);
        b.cur.nSpaceChars += CountSpaces(text);
        b.x = static_cast<int>(std::min<long long>(static_cast<long long>(b.x) + ext.cx, kPositionCap));
        return;
    }
    int top;
    if (style.nVertAlign == 1) top = b.y + (b.rec.nHeightLine - tm.tmHeight) / 2;
    else top = LineTopFor(b, ext.cy, tm.tmAscent);
    int extra = 0;
    const int spaces = CountSpaces(text);
    if (b.rec.nHorzAlign == 3 && b.rec.nWrapped && b.rec.nSpaceChars > 0 && spaces > 0) {
        const int spare = std::max(0, b.width - b.rec.nWidthLine);
        extra = static_cast<int>(static_cast<long long>(spare) * spaces / b.rec.nSpaceChars);
        dc->SetTextJustification(extra, spaces);
    }
    dc->TextOut(b.x, top, text);
    if (extra != 0) dc->SetTextJustification(0, 0);
    const int width = ext.cx + extra;
    if (style.bOverlineFont) {
        CPen pen(PS_SOLID, style.nWeightFont < 700 ? 1 : 2, style.crText);
        CPen* old = dc->SelectObject(&pen);
        dc->MoveTo(b.x, top);
        dc->LineTo(b.x + width, top);
        dc->SelectObject(old);
    }
    AddLinkArea(CRect(b.x, top, b.x + width, top + ext.cy));
    b.x = static_cast<int>(std::min<long long>(static_cast<long long>(b.x) + width, kPositionCap));
}

void HtmlLayout::PlaceText(Block& b, std::string text)
{
    const bool wrapping = d.m_nMaxWidth > 0 && b.width > 0;
    while (!text.empty()) {
        if (!wrapping) {
            EmitText(b, text);
            return;
        }
        const int room = b.left + b.width - b.x;
        if (dc->GetTextExtent(text).cx <= room) {
            EmitText(b, text);
            return;
        }
        // The last break character before which the text still fits; extents grow with the
        // prefix, so the scan stops at the first prefix that does not fit.
        std::size_t split = 0;
        for (std::size_t i = 0; i < text.size(); i += pphtml::CharLength(text, i)) {
            if (std::strchr(kBreakChars, text[i]) == nullptr || text[i] == '\0') continue;
            std::string_view first(text.data(), i + 1);
            while (!first.empty() && first.back() == ' ') first.remove_suffix(1);
            if (dc->GetTextExtent(std::string(first)).cx > room) break;
            split = i + 1;
        }
        if (split == 0) {
            if (b.lineHasContent) {
                EndLine(b, true);
                continue;
            }
            // Nothing breaks it: as many whole characters as fit, at least one.
            std::size_t n = pphtml::CharLength(text, 0);
            for (std::size_t i = n; i < text.size();) {
                const std::size_t next = i + pphtml::CharLength(text, i);
                if (dc->GetTextExtent(text.substr(0, next)).cx > room) break;
                n = i = next;
            }
            split = n;
        }
        std::string first = text.substr(0, split);
        std::string rest = text.substr(split);
        while (!first.empty() && first.back() == ' ') first.pop_back();
        const std::size_t lead = rest.find_first_not_of(' ');
        rest = lead == std::string::npos ? std::string() : rest.substr(lead);
        if (first.empty() && !b.lineHasContent) {
            text = std::move(rest);
            continue;
        }
        EmitText(b, first);
        EndLine(b, true);
        text = std::move(rest);
    }
}

void HtmlLayout::HorizontalRule(Block& b, const pphtml::Attributes& attributes)
{
    HtmlStyle rule = style;
    ApplyRule("hr", rule);
    int percent = 100, pixels = 0;
    if (auto w = pphtml::FindAttribute(attributes, "width")) {
        long long n = 0;
        const std::string_view v = pphtml::TrimSpaces(*w);
        if (!v.empty() && v.back() == '%') {
            if (pphtml::ParseNumber(v.substr(0, v.size() - 1), n)) percent = static_cast<int>(std::clamp<long long>(n, 0, 100));
        } else if (pphtml::ParseNumber(v, n)) {
            percent = 0;
            pixels = static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxLength));
        }
    }
    int thickness = 1;
    if (auto s = pphtml::FindAttribute(attributes, "size")) {
        long long n = 0;
        if (pphtml::ParseNumber(*s, n)) thickness = static_cast<int>(std::clamp<long long>(n, 1, CPPHtmlDrawer::kMaxLength));
    }
    COLORREF color = rule.crText;
    if (auto c = pphtml::FindAttribute(attributes, "color")) d.ParseColor(*c, color);
    MarkContent(b);
    if (measuring) {
        if (percent > 0) {
            b.cur.nAddPercentWidth = std::min(100, b.cur.nAddPercentWidth + percent);
            b.x += 1;
        } else {
            b.x += pixels;
        }
        b.cur.nHeightLine = std::max(b.cur.nHeightLine, thickness + 8);
        return;
    }
    const int width = percent > 0 ? MulDiv(b.width, percent, 100) : pixels;
    const int y = b.y + b.rec.nHeightLine / 2;
    if (width > 0) {
        CPen pen(PS_SOLID, thickness, color);
        CPen* old = dc->SelectObject(&pen);
        dc->MoveTo(b.x, y);
        dc->LineTo(b.x + width, y);
        dc->SelectObject(old);
    }
    b.x += width;
}

CSize HtmlLayout::TextBlock(std::string_view text, const CRect& rect)
{
    Block b;
    b.left = rect.left;
    b.width = std::max(0, rect.Width());
    b.y = rect.top;
    BeginLine(b);
    std::string pending;
    auto flush = [&] {
        if (pending.empty()) return;
        PlaceText(b, pphtml::TransformCase(pending, style.nTextTransform));
        pending.clear();
    };
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const std::size_t lt = text.find('<', i);
        if (lt == std::string_view::npos) {
            pending.append(text.substr(i));
            break;
        }
        pending.append(text.substr(i, lt - i));
        if (lt + 1 < n && text[lt + 1] == '<') {
            pending += '<';
            i = lt + 2;
            continue;
        }
        const std::size_t gt = text.find('>', lt + 1);
        if (gt == std::string_view::npos) {
            // A "<" that opens no tag is text.
            pending.append(text.substr(lt));
            break;
        }
        flush();
        i = gt + 1;

        style.name.clear();
        const std::string_view tag = text.substr(lt + 1, gt - lt - 1);
        const std::size_t split = tag.find_first_of(" =");
        std::string_view name = tag.substr(0, split);
        std::string_view attributeText = split == std::string_view::npos ? std::string_view() : tag.substr(split);
        while (!attributeText.empty() && attributeText.front() == ' ') attributeText.remove_prefix(1);
        const bool closing = !name.empty() && name.front() == '/';
        if (closing) name.remove_prefix(1);
        const auto it = d.m_mapTags.find(std::string(name));
        if (it == d.m_mapTags.end()) continue;
        const int number = it->second.first;
        switch (number) {
        case 6:
            if (!closing) HorizontalRule(b, pphtml::ParseAttributes(attributeText));
            break;
        case 7:
            if (!closing) {
                b.anything = true;
                EndLine(b, false, RepeatCount(attributeText));
            }
            break;
        case 8:
            if (!closing) {
                const int tab = std::max(1, d.m_nTabSize);
                const long long stops = (b.x - b.left) / tab + RepeatCount(attributeText);
                b.x = static_cast<int>(std::min<long long>(b.left + stops * tab, kPositionCap));
                MarkContent(b);
            }
            break;
        case 17: case 18: case 19: case 20:
            if (!closing) ImageTag(b, number, pphtml::ParseAttributes(attributeText));
            break;
        default:
            HandleStyledTag(number, it->second.second, closing, pphtml::ParseAttributes(attributeText));
            break;
        }
    }
    flush();
    if (b.lineHasContent) EndLine(b, false);
    if (!b.anything) return CSize(0, 0);
    return CSize(measuring ? b.maxWidth : b.width, b.y - rect.top);
}

CPoint HtmlLayout::PlaceObject(Block& b, int width, int height)
{
    const bool wrapping = d.m_nMaxWidth > 0 && b.width > 0;
    if (wrapping && b.lineHasContent && b.x + width > b.left + b.width) EndLine(b, true);
    MarkContent(b);
    const CPoint at(b.x, measuring ? 0 : LineTopFor(b, height, height));
    if (measuring) b.cur.nHeightLine = std::max(b.cur.nHeightLine, height);
    b.x = static_cast<int>(std::min<long long>(static_cast<long long>(b.x) + width, kPositionCap));
    return at;
}
