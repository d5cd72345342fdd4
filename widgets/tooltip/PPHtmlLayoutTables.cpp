// Table blocks: rows and cells with spans, padding, spacing, borders and backgrounds.

#include "widgets/tooltip/PPHtmlLayout.h"

#include "platform/ui/BitmapResources.h"

#include <algorithm>
#include <filesystem>

namespace {

using Table = HtmlLayout::Table;
using Cell = HtmlLayout::Cell;

struct CellSource {
    std::string_view attributes;
    std::string_view content;
};
struct RowSource {
    std::string_view attributes;
    std::vector<CellSource> cells;
};
struct TableSource {
    std::string_view attributes;
    std::vector<RowSource> rows;
};

// The name of the tag starting at text[lt] ("<name ...>"), without the "<".
std::string_view TagName(std::string_view text, std::size_t lt)
{
    std::size_t e = lt + 1;
    while (e < text.size() && text[e] != ' ' && text[e] != '=' && text[e] != '>') ++e;
    return text.substr(lt + 1, e - lt - 1);
}

// Where a cell's content ends: its "</td>", the next cell or row, or the table's end; tables
// inside the cell are skipped whole.
std::size_t CellEnd(std::string_view text, std::size_t from, std::size_t end)
{
    int depth = 0;
    for (std::size_t i = from; i < end; ++i) {
        if (text[i] != '<') continue;
        if (i + 1 < end && text[i + 1] == '<') {
            ++i;
            continue;
        }
        const std::string_view name = TagName(text, i);
        if (text.compare(i, 6, "<table") == 0) ++depth;
        else if (name == "/table") --depth;
        if (depth > 0) continue;
        if (depth < 0 || name == "/td" || name == "td" || name == "tr" || name == "/tr") return i;
    }
    return end;
}

TableSource ParseTable(std::string_view block)
{
    TableSource t;
    const std::size_t gt = block.find('>');
    if (gt == std::string_view::npos) return t;
    t.attributes = block.substr(6, gt - 6);
    std::size_t end = block.size();
    if (end >= gt + 1 + 8 && block.substr(end - 8) == "</table>") end -= 8;
    std::size_t i = gt + 1;
    while (i < end) {
        const std::size_t lt = block.find('<', i);
        if (lt == std::string_view::npos || lt >= end) break;
        if (lt + 1 < end && block[lt + 1] == '<') {
            i = lt + 2;
            continue;
        }
        const std::size_t close = block.find('>', lt);
        if (close == std::string_view::npos || close >= end) break;
        const std::string_view name = TagName(block, lt);
        const std::string_view tag = block.substr(lt + 1, close - lt - 1);
        const std::string_view attributes = tag.substr(std::min(name.size(), tag.size()));
        if (name == "tr") {
            if (t.rows.size() < static_cast<std::size_t>(CPPHtmlDrawer::kMaxGrid)) t.rows.push_back({attributes, {}});
            i = close + 1;
        } else if (name == "td") {
            if (t.rows.empty()) t.rows.push_back({std::string_view(), {}});
            const std::size_t contentEnd = CellEnd(block, close + 1, end);
            RowSource& row = t.rows.back();
            if (row.cells.size() < static_cast<std::size_t>(CPPHtmlDrawer::kMaxGrid))
                row.cells.push_back({attributes, block.substr(close + 1, contentEnd - close - 1)});
            i = contentEnd;
            if (block.compare(i, 5, "</td>") == 0) i += 5;
        } else if (block.compare(lt, 6, "<table") == 0) {
            // A table outside any cell draws nothing.
            i = pphtml::FindTableEnd(block.substr(0, end), lt);
        } else {
            i = close + 1;
        }
    }
    return t;
}

struct Placed {
    int row, col, rowSpan, colSpan;
    const CellSource* source;
    const RowSource* rowSource;
};

struct Placement {
    int rows = 0;
    int cols = 0;
    std::vector<Placed> cells;
};

int SpanOf(const pphtml::Attributes& attributes, const char* name)
{
    long long n = 1;
    if (auto v = pphtml::FindAttribute(attributes, name))
        if (!pphtml::ParseNumber(*v, n)) n = 1;
    return static_cast<int>(std::clamp<long long>(n, 1, CPPHtmlDrawer::kMaxSpan));
}

// Cells into the grid, skipping positions taken by spans from above; nothing outside 64 x 64.
Placement Place(const TableSource& t)
{
    constexpr int kGrid = CPPHtmlDrawer::kMaxGrid;
    Placement p;
    p.rows = static_cast<int>(t.rows.size());
    std::vector<std::vector<bool>> taken(static_cast<std::size_t>(p.rows), std::vector<bool>(kGrid, false));
    for (int r = 0; r < p.rows; ++r) {
        int c = 0;
        for (const CellSource& cell : t.rows[static_cast<std::size_t>(r)].cells) {
            while (c < kGrid && taken[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) ++c;
            if (c >= kGrid) break;
            const pphtml::Attributes a = pphtml::ParseAttributes(cell.attributes);
            const int cs = std::min(SpanOf(a, "colspan"), kGrid - c);
            const int rs = std::min(SpanOf(a, "rowspan"), p.rows - r);
            for (int rr = r; rr < r + rs; ++rr)
                for (int cc = c; cc < c + cs; ++cc) taken[static_cast<std::size_t>(rr)][static_cast<std::size_t>(cc)] = true;
            p.cells.push_back({r, c, rs, cs, &cell, &t.rows[static_cast<std::size_t>(r)]});
            c += cs;
            p.cols = std::max(p.cols, c);
        }
    }
    return p;
}

int EffectByName(const std::string& v, int current)
{
    static const char* const kNames[] = {"solid", "hgradient", "vgradient", "hcgradient", "vcgradient", "3hgradient",
                                         "3vgradient", "noise", "diagshade", "hshade", "vshade", "hbump", "vbump",
                                         "softbump", "hardbump", "metal"};
    const std::string lower = pphtml::LowerAscii(v);
    if (lower == "transparent") return -1;
    for (int i = 0; i < 16; ++i)
        if (lower == kNames[i]) return i;
    long long n = 0;
    if (pphtml::ParseNumber(lower, n)) return static_cast<int>(std::clamp<long long>(n, -1, 255));
    return current;
}

// Attributes shared by tables, rows and cells (and those only tables read).
void ReadBoxAttributes(HtmlLayout& layout, CPPHtmlDrawer::HtmlStyle& s, const pphtml::Attributes& attributes,
                       bool table)
{
    const CPPHtmlDrawer& d = layout.d;
    for (const auto& [key, value] : attributes) {
        long long n = 0;
        if (key == "border") {
            if (pphtml::ParseNumber(value, n)) {
                s.nBorderWidth = static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxLength));
                if (s.nBorderWidth == 0) s.nBorderStyle = 0;
                else if (s.nBorderStyle == 0) s.nBorderStyle = 1;
            }
        } else if (key == "borderstyle") {
            layout.ApplyDeclarations("border-style:" + value, s);
        } else if (key == "bordercolor") {
            if (d.ParseColor(value, s.crBorderLight)) s.crBorderDark = s.crBorderLight;
        } else if (key == "bordercolorlight") {
            d.ParseColor(value, s.crBorderLight);
        } else if (key == "bordercolordark") {
            d.ParseColor(value, s.crBorderDark);
        } else if (key == "bgcolor") {
            if (d.ParseColor(value, s.crBkgnd) && s.nBkEffect == -1) s.nBkEffect = 0;
        } else if (key == "bgmidcolor") {
            d.ParseColor(value, s.crMidBkgnd);
        } else if (key == "bgendcolor") {
            d.ParseColor(value, s.crEndBkgnd);
        } else if (key == "bgeffect") {
            s.nBkEffect = EffectByName(value, s.nBkEffect);
        } else if (key == "align") {
            const std::string v = pphtml::LowerAscii(value);
            if (v == "left") s.nHorzAlign = 0;
            else if (v == "center") s.nHorzAlign = 1;
            else if (v == "right") s.nHorzAlign = 2;
            else if (v == "justify") s.nHorzAlign = 3;
        } else if (key == "valign") {
            layout.ApplyDeclarations("vertical-align:" + value, s);
        } else if (key == "width") {
            if (pphtml::ParseNumber(value, n)) s.nCellWidth = static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxLength));
        } else if (key == "height") {
            if (pphtml::ParseNumber(value, n)) s.nCellHeight = static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxLength));
        } else if (table && key == "cellpadding") {
            if (pphtml::ParseNumber(value, n)) s.nPadding = static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxLength));
        } else if (table && key == "cellspacing") {
            if (pphtml::ParseNumber(value, n)) s.nMargin = static_cast<int>(std::clamp<long long>(n, 0, CPPHtmlDrawer::kMaxLength));
        } else if (table && key == "background") {
            if (value.size() >= 6) s.sBkImage = value;
        }
    }
}

void NormalizeBorder(CPPHtmlDrawer::HtmlStyle& s, bool cell)
{
    if (s.nBorderStyle == 0 || s.nBorderWidth == 0) {
        s.nBorderStyle = 0;
        s.nBorderWidth = 0;
        return;
    }
    if (s.nBorderStyle != 1 || cell) s.nBorderWidth = 1;
}

// Pixels a border takes on each side.
int BorderSide(const CPPHtmlDrawer::HtmlStyle& s)
{
    if (s.nBorderStyle == 0) return 0;
    return s.nBorderStyle == 6 ? 3 : s.nBorderWidth;
}

// Widths of the spanned columns (or rows) fall short of a spanning cell: share the rest.
void ShareShortfall(std::vector<int>& sizes, int first, int span, int need)
{
    long long sum = 0;
    for (int k = first; k < first + span; ++k) sum += sizes[static_cast<std::size_t>(k)];
    if (sum >= need || span <= 0) return;
    const int shortfall = static_cast<int>(need - sum);
    for (int k = first; k < first + span; ++k) sizes[static_cast<std::size_t>(k)] += shortfall / span;
    sizes[static_cast<std::size_t>(first)] += shortfall % span;
}

long long Extent(const std::vector<int>& sizes, int spacing, int border)
{
    if (sizes.empty()) return 0;
    long long total = 0;
    for (const int s : sizes) total += s;
    const long long n = static_cast<long long>(sizes.size());
    return total + (n + 1) * spacing + n - 1 + 2LL * border;
}

}  // namespace

HBITMAP HtmlLayout::LoadBackgroundImage(const std::string& spec)
{
    const std::size_t colon = spec.find(':');
    if (colon == std::string::npos) return 0;
    const std::string kind = pphtml::LowerAscii(spec.substr(0, colon));
    const std::string what = spec.substr(colon + 1);
    if (kind == "idres") {
        long long id = 0;
        if (!pphtml::ParseNumber(what, id) || id <= 0 || id > 0xFFFF) return 0;
        return LoadBitmap(nullptr, static_cast<UINT>(id));
    }
    if (kind == "file") return LoadImageFile(what);
    return 0;  // code from other modules is never loaded for markup
}

CSize HtmlLayout::TableBlock(std::string_view text, const CRect& rect)
{
    // Tables nested deeper than this draw nothing.
    if (tableDepth >= CPPHtmlDrawer::kMaxTableDepth) return CSize(0, 0);
    const TableSource source = ParseTable(text);
    const Placement placement = Place(source);

    std::size_t index;
    if (measuring) {
        index = d.m_arrTables.size();
        d.m_arrTables.emplace_back();
    } else {
        ++tableCounter;
        if (tableCounter < 0 || static_cast<std::size_t>(tableCounter) >= d.m_arrTables.size()) return CSize(0, 0);
        index = static_cast<std::size_t>(tableCounter);
        const Table& t = d.m_arrTables[index];
        if (t.nRows != placement.rows || t.nCols != placement.cols) return CSize(0, 0);
    }
    if (placement.rows == 0 || placement.cols == 0) return CSize(0, 0);

    ++tableDepth;
    const HtmlStyle saved = style;
    HtmlStyle tableStyle = style;
    tableStyle.nBkEffect = -1;
    tableStyle.sBkImage.clear();
    tableStyle.nCellWidth = tableStyle.nCellHeight = 0;
    ApplyRule("table", tableStyle);
    ReadBoxAttributes(*this, tableStyle, pphtml::ParseAttributes(source.attributes), true);
    NormalizeBorder(tableStyle, false);
    const int spacing = tableStyle.nMargin;
    const int padding = tableStyle.nPadding;
    const int border = BorderSide(tableStyle);

    auto cellStyle = [&](const Placed& p) {
        HtmlStyle s = tableStyle;
        // Backgrounds and sizes belong to the box that names them.
        s.nBkEffect = -1;
        s.sBkImage.clear();
        s.nCellWidth = s.nCellHeight = 0;
        ApplyRule("tr", s);
        ReadBoxAttributes(*this, s, pphtml::ParseAttributes(p.rowSource->attributes), false);
        s.nBkEffect = -1;
        s.nCellWidth = s.nCellHeight = 0;
        ApplyRule("td", s);
        ReadBoxAttributes(*this, s, pphtml::ParseAttributes(p.source->attributes), false);
        s.nPadding = padding;
        s.nMargin = spacing;
        NormalizeBorder(s, true);
        return s;
    };

    CSize size(0, 0);
    if (measuring) {
        Table t;
        t.nRows = placement.rows;
        t.nCols = placement.cols;
        t.cells.assign(static_cast<std::size_t>(t.nRows), std::vector<Cell>(static_cast<std::size_t>(t.nCols)));
        t.colWidth.assign(static_cast<std::size_t>(t.nCols), 0);
        t.rowHeight.assign(static_cast<std::size_t>(t.nRows), 0);
        t.colFixed.assign(static_cast<std::size_t>(t.nCols), false);
        for (const Placed& p : placement.cells) {
            style = cellStyle(p);
            SelectStyle();
            const CSize content = Blocks(p.source->content, CRect(rect.left, 0, rect.right, 0));
            Cell& cell = t.cells[static_cast<std::size_t>(p.row)][static_cast<std::size_t>(p.col)];
            cell.nColSpan = p.colSpan;
            cell.nRowSpan = p.rowSpan;
            cell.bPlaced = true;
            cell.content = content;
            const int frame = 2 * (style.nPadding + BorderSide(style));
            cell.natural.cx = std::min(std::max<int>(content.cx, style.nCellWidth) + frame, 1 << 20);
            cell.natural.cy = std::min(std::max<int>(content.cy, style.nCellHeight) + frame, 1 << 20);
            cell.bFixedWidth = style.nCellWidth > 0;
        }
        for (const Placed& p : placement.cells) {
            const Cell& cell = t.cells[static_cast<std::size_t>(p.row)][static_cast<std::size_t>(p.col)];
            if (p.colSpan == 1) {
                int& w = t.colWidth[static_cast<std::size_t>(p.col)];
                w = std::max<int>(w, cell.natural.cx);
                if (cell.bFixedWidth) t.colFixed[static_cast<std::size_t>(p.col)] = true;
            }
            if (p.rowSpan == 1) {
                int& h = t.rowHeight[static_cast<std::size_t>(p.row)];
                h = std::max<int>(h, cell.natural.cy);
            }
        }
        for (const Placed& p : placement.cells) {
            const Cell& cell = t.cells[static_cast<std::size_t>(p.row)][static_cast<std::size_t>(p.col)];
            if (p.colSpan > 1) ShareShortfall(t.colWidth, p.col, p.colSpan, cell.natural.cx);
            if (p.rowSpan > 1) ShareShortfall(t.rowHeight, p.row, p.rowSpan, cell.natural.cy);
        }
        const long long w = std::max<long long>(Extent(t.colWidth, spacing, border), tableStyle.nCellWidth);
        const long long h = std::max<long long>(Extent(t.rowHeight, spacing, border), tableStyle.nCellHeight);
        t.size = CSize(static_cast<int>(std::min<long long>(w, 1 << 22)), static_cast<int>(std::min<long long>(h, 1 << 22)));
        size = t.size;
        d.m_arrTables[index] = std::move(t);
    } else {
        const Table& t = d.m_arrTables[index];
        std::vector<int> cols = t.colWidth;
        const std::vector<int>& rows = t.rowHeight;
        const int available = rect.Width();
        long long width = Extent(cols, spacing, border);
        if (width < available) {
            // The extra width goes to the columns no cell width fixes, one after another.
            int open = 0;
            for (std::size_t c = 0; c < cols.size(); ++c) open += t.colFixed[c] ? 0 : 1;
            long long extra = available - width;
            for (std::size_t c = 0; c < cols.size() && open > 0; ++c) {
                if (t.colFixed[c]) continue;
                const long long take = extra / open;
                cols[c] += static_cast<int>(take);
                extra -= take;
                --open;
            }
            width = Extent(cols, spacing, border);
        }
        const long long height = Extent(rows, spacing, border);
        int left = rect.left;
        if (tableStyle.nHorzAlign == 1) left += static_cast<int>((available - width) / 2);
        else if (tableStyle.nHorzAlign == 2) left = static_cast<int>(rect.right - width);
        const CRect box(left, rect.top, static_cast<int>(std::min<long long>(left + width, 1 << 22)),
                        static_cast<int>(std::min<long long>(rect.top + height, 1 << 22)));

        auto paintBox = [&](const CRect& r, const HtmlStyle& s) {
            if (s.nBkEffect >= 0) {
                d.m_drawManager.PaintBackground(dc->GetSafeHdc(), &r, s.nBkEffect, s.crBkgnd, s.crMidBkgnd,
                                                s.crEndBkgnd, 5, 0);
            } else if (!s.sBkImage.empty()) {
                const HBITMAP image = LoadBackgroundImage(s.sBkImage);
                BITMAP info{};
                if (image != 0 && GetObject(image, sizeof(info), &info) != 0) {
                    CDC imageDC;
                    if (imageDC.CreateCompatibleDC(dc)) {
                        const HGDIOBJ old = imageDC.SelectObject(static_cast<HGDIOBJ>(image));
                        d.m_drawManager.TileBitmap(dc->GetSafeHdc(), r.left, r.top, r.Width(), r.Height(),
                                                   imageDC.GetSafeHdc(), info.bmWidth, info.bmHeight);
                        imageDC.SelectObject(old);
                    }
                }
                if (image != 0) DeleteObject(image);
            }
            if (s.nBorderStyle != 0 && s.nBorderWidth > 0)
                d.m_drawManager.DrawFrame(dc->GetSafeHdc(), r.left, r.top, r.right, r.bottom, s.crBorderLight,
                                          s.crBorderDark, s.nBorderStyle, s.nBorderWidth);
        };
        paintBox(box, tableStyle);

        auto offset = [&](const std::vector<int>& sizes, int index) {
            long long o = border + spacing;
            for (int k = 0; k < index; ++k) o += sizes[static_cast<std::size_t>(k)] + spacing + 1;
            return o;
        };
        auto spanned = [&](const std::vector<int>& sizes, int first, int span) {
            long long s = static_cast<long long>(span - 1) * (spacing + 1);
            for (int k = first; k < first + span; ++k) s += sizes[static_cast<std::size_t>(k)];
            return s;
        };
        for (const Placed& p : placement.cells) {
            const Cell& cell = t.cells[static_cast<std::size_t>(p.row)][static_cast<std::size_t>(p.col)];
            const long long cl = box.left + offset(cols, p.col);
            const long long ct = box.top + offset(rows, p.row);
            const CRect cellRect(static_cast<int>(std::min<long long>(cl, 1 << 22)), static_cast<int>(std::min<long long>(ct, 1 << 22)),
                                 static_cast<int>(std::min<long long>(cl + spanned(cols, p.col, p.colSpan), 1 << 22)),
                                 static_cast<int>(std::min<long long>(ct + spanned(rows, p.row, p.rowSpan), 1 << 22)));
            style = cellStyle(p);
            paintBox(cellRect, style);
            CRect content = cellRect;
            const int inset = style.nPadding + BorderSide(style);
            content.DeflateRect(inset, inset);
            if (style.nVertAlign == 1) content.top += (content.Height() - cell.content.cy) / 2;
            else if (style.nVertAlign == 2) content.top = content.bottom - cell.content.cy;
            SelectStyle();
            Blocks(p.source->content, content);
        }
        size = CSize(box.Width(), box.Height());
    }
    style = saved;
    SelectStyle();
    --tableDepth;
    return size;
}
