#pragma once
// CDigitalBusCtrl: a set of digital lines drawn as a timing diagram over a grid of 16 x 22 pixel
// cells (one cell a bit, one cell row a line). A left click toggles the bit under the pointer,
// the right button drags the view, and two scroll bars move it when the lines do not fit.
//
// The control does not own the bits: each row points into its owner's buffer, which must live
// as long as the control shows it. Drawing goes into a back buffer that WM_PAINT copies out, so
// a drag repaints without laying the diagram out again.

#include "platform/gdi/DC.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Wnd.h"

#include <vector>

class CDigitalBusCtrl : public CWnd {
public:
    static constexpr const char* CLASS_NAME = "DigitalBusCtrl";
    // One bit is a cell this wide, one line a cell this high.
    static constexpr int CELL_WIDTH = 16;
    static constexpr int CELL_HEIGHT = 22;
    // The high level lies this far above the low level of its line.
    static constexpr int LEVEL_HEIGHT = 16;
    // Room left of and above the grid.
    static constexpr int LABEL_BAND = 50;
    // Between the client edge and the content.
    static constexpr int CONTENT_INSET = 3;
    static constexpr UINT SCROLL_BAR_ID = 100;
    // Lines and pages the scroll bars move by.
    static constexpr int PAGE_STEP = 10;

    struct Row {
        int bits = 0;
        unsigned char* bytes = nullptr;  // bit j is bit 7 - j % 8 of byte j / 8
    };

    // Registers the window class (see RegisterWindowClass).
    CDigitalBusCtrl();
    ~CDigitalBusCtrl() override;

    // Registers "DigitalBusCtrl" once; false when that cannot be done.
    static bool RegisterWindowClass();

    // Appends a line of `bits` bits held at `bytes` (at least (bits + 7) / 8 bytes, not owned).
    // A negative count or a null pointer with bits is taken as an empty line.
    void AddRow(int bits, unsigned char* bytes);
    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    const Row& GetRow(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    // The bit's value; false for a line or bit that does not exist.
    bool GetBit(int row, int bit) const;
    int GetLongestRow() const { return longest_; }
    int GetShortestRow() const { return shortest_; }

    // Lays out and draws into the back buffer and schedules a repaint. Without a window the
    // drawing waits for the first paint.
    void Redraw();

    // What the last layout made of the control (client pixels, cells).
    CRect GetGridRect() const { return grid_; }
    int GetVisibleColumns() const { return visible_columns_; }
    int GetVisibleRows() const { return visible_rows_; }
    int GetFirstColumn() const { return first_column_; }
    int GetFirstRow() const { return first_row_; }
    // The last first column and row that still fill the view (0 when everything fits).
    int GetMaxFirstColumn() const;
    int GetMaxFirstRow() const;
    CScrollBar& GetHorzScrollBar() { return hscroll_; }
    CScrollBar& GetVertScrollBar() { return vscroll_; }
    bool IsBandActive() const { return band_active_; }
    // What the back buffer holds (CLR_INVALID outside it or before the first drawing).
    COLORREF GetShownPixel(int x, int y) const;

    COLORREF line_color = RGB(0, 0, 0);
    COLORREF background_color;
    COLORREF band_color = RGB(0xFF, 0xFF, 0xFF);
    UINT edge_style = 0;

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);

protected:
    void PreSubclassWindow() override;
    // Lays out the diagram inside `rect` and draws it.
    virtual void DrawContent(CDC& dc, CRect rect);
    // Fills `rect` with the background and draws the edge around it.
    virtual void DrawBackground(CDC& dc, CRect rect);

    DECLARE_MESSAGE_MAP()

private:
    // Also reached from the subclassing of a control that a dialog template made.
    void CreateScrollBars();
    // Keeps the bars at the bottom and right edges of the client area, each shortened by the
    // other when both are shown.
    void PlaceScrollBars();
    void SetBar(CScrollBar& bar, bool shown, int total, int visible, int position);
    void DeleteBackBuffer();
    bool EnsureBackBuffer(const CRect& client);
    // The bar's new first cell for a scroll code, clamped to 0..maximum.
    static int ScrollTarget(UINT code, UINT pos, int current, int maximum);
    void ToggleAt(CPoint point);

    bool redraw_pending_ = false;
    bool drawn_ = false;

    CDC memory_dc_;
    CBitmap memory_bitmap_;
    CBitmap* old_bitmap_ = nullptr;
    CSize buffer_size_;

    CRect content_;
    CRect grid_;
    int visible_rows_ = 0;
    int visible_columns_ = 0;
    bool hscroll_shown_ = false;
    bool vscroll_shown_ = false;

    bool panning_ = false;
    CPoint pan_last_;
    int pan_rest_x_ = 0;
    int pan_rest_y_ = 0;

    int first_column_ = 0;
    int first_row_ = 0;

    bool band_active_ = false;
    CPoint band_start_;
    CPoint band_end_;

    std::vector<Row> rows_;
    int longest_ = 0;
    int shortest_ = 0;

    CScrollBar hscroll_;
    CScrollBar vscroll_;
    int hscroll_height_ = 0;
    int vscroll_width_ = 0;
};
