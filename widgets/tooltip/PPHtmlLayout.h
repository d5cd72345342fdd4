#pragma once
// Internal to the HTML drawer: one measuring or drawing pass over the prepared text, and the
// small text helpers its parts share.

#include "widgets/tooltip/PPHtmlDrawer.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pphtml {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// Attribute text as tags write it: name, optional "=" and a value (quoted or up to a space).
Attributes ParseAttributes(std::string_view text);
// The first attribute of that exact name.
std::optional<std::string> FindAttribute(const Attributes& attributes, std::string_view name);

std::string LowerAscii(std::string_view text);
// Bytes of the UTF-8 character starting at i (1 for an invalid or cut-off sequence), never
// past the end.
std::size_t CharLength(std::string_view text, std::size_t i);
// 1 upper, 2 lower, 3 capitalize (lower, then a..z raised at the start and after a space).
std::string TransformCase(std::string_view text, int transform);
// A leading integer in automatic base (decimal, 0x hex, 0 octal), saturated to +-2^30; false
// when there are no digits.
bool ParseNumber(std::string_view text, long long& value);
std::string_view TrimSpaces(std::string_view text);

// Position of the next "<table" at or after `from`, skipping the "<<" escape; npos if none.
std::size_t FindTableStart(std::string_view text, std::size_t from);
// End of the table block that starts at `start` (just past its matching "</table>", nested
// tables counted), or the end of the text for an unclosed table.
std::size_t FindTableEnd(std::string_view text, std::size_t start);

}  // namespace pphtml

// Images named by markup: only regular files of at most 8 MiB holding at most 2048 x 2048
// pixels; 0 otherwise. The caller deletes (destroys) what it gets.
HBITMAP LoadImageFile(const std::string& path);
HICON LoadIconImageFile(const std::string& path, int cx, int cy);

// The colour names with their values (system colours read now).
std::map<std::string, COLORREF> PPHtmlColorTable();

struct CPPHtmlDrawer::FontCache {
    struct Entry {
        LOGFONT lf;
        std::unique_ptr<CFont> font;
    };
    std::vector<Entry> entries;
};

// One pass: lays out (and when drawing, draws) the prepared text in a rectangle.
struct HtmlLayout {
    using HtmlStyle = CPPHtmlDrawer::HtmlStyle;
    using LineInfo = CPPHtmlDrawer::LineInfo;
    using Table = CPPHtmlDrawer::TableLayout;
    using Cell = CPPHtmlDrawer::TableCell;

    HtmlLayout(CPPHtmlDrawer& drawer, CDC* dc, bool measuring);
    ~HtmlLayout();

    // The whole pass over rect; returns the size laid out.
    CSize Run(const CRect& rect);

    // --- blocks -------------------------------------------------------------------------------
    CSize Blocks(std::string_view text, const CRect& rect);
    CSize TextBlock(std::string_view text, const CRect& rect);
    CSize TableBlock(std::string_view text, const CRect& rect);

    // --- styles -------------------------------------------------------------------------------
    void ApplyRule(const std::string& selector, HtmlStyle& style);
    void ApplyDeclarations(const std::string& declarations, HtmlStyle& style);
    // Puts the style's font and colours on the DC and reads the metrics.
    void SelectStyle();
    // Lengths in the current font and DC; `c` is the current value, kept for empty or bad text.
    int Length(std::string_view value, int c, bool fontSize) const;
    void HandleStyledTag(int number, const std::string& styleName, bool closing, const pphtml::Attributes& attributes);

    // --- lines --------------------------------------------------------------------------------
    struct Block {
        int left = 0;
        int width = 0;  // available width (0: unknown)
        int x = 0;
        int y = 0;
        bool lineHasContent = false;
        bool anything = false;  // the block placed something, so it takes room
        int maxWidth = 0;
        LineInfo cur;           // measuring: the line being built
        LineInfo rec;           // drawing: the record of the current line
        int rulePercentDrawn = 0;
    };
    void BeginLine(Block& b);
    void EndLine(Block& b, bool wrapped, int repeat = 1);
    void MarkContent(Block& b);
    // Places one run of text on the current line(s), wrapping when a maximum width is set.
    void PlaceText(Block& b, std::string text);
    void EmitText(Block& b, const std::string& text);
    // Room for an object of the given size on the line; wraps first when it does not fit.
    // Returns the object's left and top (drawing) and advances x.
    CPoint PlaceObject(Block& b, int width, int height);
    // A bitmap named by "idres:N" or "file:path" (table backgrounds), 0 when there is none.
    HBITMAP LoadBackgroundImage(const std::string& spec);
    int LineTopFor(const Block& b, int height, int ascent) const;
    void AddLinkArea(const CRect& rect);
    void HorizontalRule(Block& b, const pphtml::Attributes& attributes);

    // --- images (tags 17..20) -------------------------------------------------------------
    void ImageTag(Block& b, int number, const pphtml::Attributes& attributes);

    // --- fonts --------------------------------------------------------------------------------
    CFont* FontFor(const HtmlStyle& style);

    CPPHtmlDrawer& d;
    CDC* dc;
    bool measuring;
    HtmlStyle style;
    std::vector<HtmlStyle> stack;
    TEXTMETRIC tm{};
    int lineCounter = 0;
    int linkCounter = -1;
    int tableCounter = -1;
    int aniIndex = -1;
    int tableDepth = 0;

private:
    CFont* oldFont_ = nullptr;
    int savedDC_ = 0;
};
