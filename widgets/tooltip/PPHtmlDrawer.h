#pragma once
// Draws a short text written in a small HTML dialect, styled by a CSS-like style sheet, on a DC:
// text styles, alignment, breaks, tab stops, rules, bitmaps, icons, image strips, string
// resources, spans with classes, hyperlinks and nested tables.
//
// Layout takes two passes over the same text: MeasureHtml records every line, table and
// animation, DrawHtml reuses those records. The text comes from callers and may be anything:
// it is cut to 64 KiB, every number in it is clamped to a sane range, and content is limited to
// 2048 x 2048 pixels, so no markup can make the drawer read outside the text, grow without bound
// or draw outside that area.

#include "widgets/tooltip/PPDrawManager.h"

#include "platform/gdi/DC.h"
#include "platform/ui/UiTypes.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CPPHtmlDrawer {
public:
    // Limits on untrusted markup.
    static constexpr std::size_t kMaxTextBytes = 64 * 1024;
    static constexpr int kMaxContentSize = 2048;  // pixels, each way
    static constexpr int kMaxLength = 2048;       // pixels, any length value
    static constexpr int kMaxFontSize = 500;
    static constexpr int kMaxPercent = 1000;
    static constexpr int kMaxRepeat = 100;        // <br=N>, <t=N>
    static constexpr int kMaxStyleDepth = 256;
    static constexpr int kMaxTableDepth = 8;
    static constexpr int kMaxSpan = 64;
    static constexpr int kMaxGrid = 64;           // rows and columns of a table
    static constexpr std::size_t kMaxUrlBytes = 2048;

    CPPHtmlDrawer();
    virtual ~CPPHtmlDrawer();
    CPPHtmlDrawer(const CPPHtmlDrawer&) = delete;
    CPPHtmlDrawer& operator=(const CPPHtmlDrawer&) = delete;

    // Replaces every rule; null or empty text loads the default style sheet.
    void LoadStyleSheet(const char* text = nullptr);
    // A change of the hovered link is sent there as message(wParam = new link index, lParam).
    void SetChangeNotify(HWND hwnd, UINT message, LPARAM lParam);

    // Prepares the text and measures it: (width + 1) x (height + 1), or 0 x 0 when nothing shows
    // (the prepared text is then empty).
    CSize MeasureHtml(HDC hdc, const std::string& text);
    // Draws the prepared text in rect; nothing before a MeasureHtml.
    void DrawHtml(HDC hdc, const RECT* rect);
    // Whether there is a prepared text to draw.
    bool HasText() const { return !m_text.empty(); }

    // The point is in the coordinates DrawHtml drew in. True when the hand cursor was set over a
    // link with a target.
    BOOL UpdateLinkCursor(POINT point);
    // Follows the link under the point, if any.
    void ClickLink(POINT point);
    // Advances animated image strips by one tick; true when a frame changed.
    BOOL AdvanceAnimations();

    // 0: lines are never wrapped (tips are as wide as their longest line).
    void SetMaxWidth(int width);
    int GetMaxWidth() const { return m_nMaxWidth; }
    int GetHoveredLink() const { return m_nHoverIndexLink; }
    CPPDrawManager& GetDrawManager() { return m_drawManager; }

    // What following a hyperlink does with its target; by default the desktop's URL opener.
    // Only targets that pass IsOpenableUrl reach it.
    using LinkOpener = std::function<void(const std::string& target)>;
    void SetLinkOpener(LinkOpener opener);
    // Absolute http, https, ftp or mailto URLs of at most 2048 bytes, without control characters.
    static bool IsOpenableUrl(const std::string& target);

    // The style of the text being laid out.
    struct HtmlStyle {
        std::string name;
        int nSizeFont = 16;
        int nWeightFont = 400;
        bool bItalicFont = false;
        bool bUnderlineFont = false;
        bool bStrikeOutFont = false;
        bool bOverlineFont = false;
        std::string sFaceFont = "Verdana";
        COLORREF crText = 0x000000;
        COLORREF crBkgnd = 0xFFFFFF;
        COLORREF crBorderLight = 0;
        COLORREF crBorderDark = 0;
        COLORREF crMidBkgnd = 0xFFFFFF;
        COLORREF crEndBkgnd = 0xFFFFFF;
        int nBkMode = 1;             // 1 transparent, 2 opaque
        int nBkEffect = -1;          // -1 none, else a PaintBackground number
        std::string sBkImage;
        int nHorzAlign = 0;          // 0 left, 1 center, 2 right, 3 justify
        int nVertAlign = 3;          // 0 top, 1 middle, 2 bottom, 3 baseline
        int nBorderStyle = 0;        // 0 none, 1 solid, 2 dashed, 3 dotted, 6 double
        int nBorderWidth = 0;
        int nCellWidth = 0;
        int nCellHeight = 0;
        int nTextTransform = 0;      // 0 none, 1 upper, 2 lower, 3 capitalize
        int nPadding = 2;            // cell padding
        int nMargin = 0;             // cell spacing
        int nTypeLink = 0;           // 0 none, 1 href, 2 msg
        std::string sHyperlink;
    };

    // Style sheet access (selectors are stored lower-case).
    const std::map<std::string, std::string>& GetStyleSheet() const { return m_mapStyles; }
    // Applies a declaration text to a style as a rule would.
    void ApplyDeclarations(const std::string& declarations, HtmlStyle& style);
    // A colour value as the markup writes it; false keeps `color`.
    bool ParseColor(const std::string& value, COLORREF& color) const;
    static std::size_t ColorNameCount();

private:
    friend struct HtmlLayout;

    struct LineInfo {
        int nWidthLine = 0;
        int nHeightLine = 0;
        int nDescentLine = 0;
        int nAddPercentWidth = 0;
        int nHorzAlign = 0;
        int nSpaceChars = 0;
        int nWrapped = 0;  // the line was ended by wrapping (justified when aligned so)
    };
    struct LinkArea {
        RECT rect{};
        int nTypeLink = 0;
        int nIndexLink = 0;
        std::string sHyperlink;
    };
    struct AnimationState {
        int nIndex = 0;
        int nMaxImages = 0;
        int nTimerCount = 0;
        int nSpeed = 0;
    };
    struct TableCell {
        int nColSpan = 1;
        int nRowSpan = 1;
        SIZE content{0, 0};   // measured content
        SIZE natural{0, 0};   // content or given size, plus padding and border
        bool bFixedWidth = false;
        bool bPlaced = false;
    };
    struct TableLayout {
        int nRows = 0;
        int nCols = 0;
        std::vector<std::vector<TableCell>> cells;  // [row][col], the cell at its top-left
        std::vector<int> colWidth;
        std::vector<int> rowHeight;
        std::vector<bool> colFixed;
        SIZE size{0, 0};
    };

    void SendChange();
    void OpenLink(const LinkArea& link);

    std::map<std::string, COLORREF> m_mapColors;
    std::map<std::string, std::string> m_mapEntities;
    std::map<std::string, std::pair<int, std::string>> m_mapTags;
    std::map<std::string, std::string> m_mapStyles;

    std::string m_text;   // prepared
    bool m_bMeasured = false;
    int m_nMaxWidth = 0;
    int m_nTabSize = 32;

    HWND m_hNotifyWnd = nullptr;
    UINT m_nNotifyMsg = 0;
    LPARAM m_lNotifyParam = 0;
    int m_nHoverIndexLink = -2;

    std::vector<LineInfo> m_arrLines;
    std::vector<LinkArea> m_arrLinks;
    std::vector<AnimationState> m_arrAni;
    std::vector<TableLayout> m_arrTables;

    // Image shadow.
    int m_szOffsetShadowCx = 4;
    int m_szOffsetShadowCy = 4;
    int m_szDepthShadowCx = 7;
    int m_szDepthShadowCy = 7;
    int m_nDarkenShadow = 50;
    bool m_bGradientShadow = true;
    COLORREF m_crShadow = 0x808080;

    // Fonts of earlier passes, kept so a redraw does not build them again.
    struct FontCache;
    std::unique_ptr<FontCache> m_fonts;

    HCURSOR m_hLinkCursor = 0;
    LinkOpener m_opener;
    CPPDrawManager m_drawManager;
};
