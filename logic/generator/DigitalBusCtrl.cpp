#include "logic/generator/DigitalBusCtrl.h"

#include "platform/ui/PaintDC.h"

#include <algorithm>

namespace {

// The pen of the lines' levels: thick enough to tell a line from the dotted grid.
constexpr int LEVEL_PEN_WIDTH = 2;
// A transition between two bits is this wide, so an edge reads as an edge and not a gap.
constexpr int TRANSITION_WIDTH = 2;
// The grid's dots: no dash, then a gap of two pixels (round caps make each dash a dot).
constexpr DWORD GRID_DOTS[] = {0, 2};

// Cells of `size` pixels that fit into `pixels`, never fewer than none.
int CellsIn(int pixels, int size)
{
    return pixels > 0 ? pixels / size : 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDigitalBusCtrl, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

CDigitalBusCtrl::CDigitalBusCtrl() : background_color(GetSysColor(COLOR_BTNFACE))
{
    RegisterWindowClass();
}

CDigitalBusCtrl::~CDigitalBusCtrl()
{
    DeleteBackBuffer();
}

bool CDigitalBusCtrl::RegisterWindowClass()
{
    if (AfxGetClassInfo(CLASS_NAME, nullptr)) return true;
    WNDCLASS wc;
    wc.style = CS_DBLCLKS;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = CLASS_NAME;
    return AfxRegisterClass(&wc) != FALSE;
}

void CDigitalBusCtrl::AddRow(int bits, unsigned char* bytes)
{
    Row row;
    row.bits = (bits > 0 && bytes != nullptr) ? bits : 0;
    row.bytes = bytes;
    if (rows_.empty()) {
        longest_ = shortest_ = row.bits;
    } else {
        longest_ = std::max(longest_, row.bits);
        shortest_ = std::min(shortest_, row.bits);
    }
    rows_.push_back(row);
}

bool CDigitalBusCtrl::GetBit(int row, int bit) const
{
    if (row < 0 || row >= GetRowCount()) return false;
    const Row& r = rows_[static_cast<std::size_t>(row)];
    if (bit < 0 || bit >= r.bits) return false;
    return (r.bytes[bit / 8] & (0x80 >> (bit % 8))) != 0;
}

int CDigitalBusCtrl::GetMaxFirstColumn() const
{
    return std::max(0, longest_ - visible_columns_);
}

int CDigitalBusCtrl::GetMaxFirstRow() const
{
    return std::max(0, GetRowCount() - visible_rows_);
}

// ---- window and scroll bars ----------------------------------------------------------------

int CDigitalBusCtrl::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) == -1) return -1;
    CreateScrollBars();
    return 0;
}

void CDigitalBusCtrl::PreSubclassWindow()
{
    CWnd::PreSubclassWindow();
    CreateScrollBars();
}

void CDigitalBusCtrl::CreateScrollBars()
{
    if (m_hWnd == nullptr || hscroll_.m_hWnd != nullptr) return;
    CRect client;
    GetClientRect(&client);
    client.left += 1;
    client.top += 1;
    hscroll_.Create(WS_CHILD | SBS_HORZ | SBS_BOTTOMALIGN, client, this, SCROLL_BAR_ID);
    vscroll_.Create(WS_CHILD | SBS_VERT | SBS_RIGHTALIGN, client, this, SCROLL_BAR_ID);
    for (CScrollBar* bar : {&hscroll_, &vscroll_}) {
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        info.nMin = info.nMax = info.nPos = 0;
        info.nPage = 1;
        bar->SetScrollInfo(&info, FALSE);
    }
    CRect bar;
    hscroll_.GetWindowRect(&bar);
    hscroll_height_ = bar.Height();
    vscroll_.GetWindowRect(&bar);
    vscroll_width_ = bar.Width();
}

void CDigitalBusCtrl::PlaceScrollBars()
{
    if (hscroll_.m_hWnd == nullptr) return;
    CRect client;
    GetClientRect(&client);
    client.left += 1;
    client.top += 1;
    const int right = client.right - (vscroll_shown_ ? vscroll_width_ : 0);
    const int bottom = client.bottom - (hscroll_shown_ ? hscroll_height_ : 0);
    hscroll_.MoveWindow(client.left, client.bottom - hscroll_height_, std::max(0, right - client.left),
                        hscroll_height_, FALSE);
    vscroll_.MoveWindow(client.right - vscroll_width_, client.top, vscroll_width_,
                        std::max(0, bottom - client.top), FALSE);
}

void CDigitalBusCtrl::SetBar(CScrollBar& bar, bool shown, int total, int visible, int position)
{
    if (bar.m_hWnd == nullptr) return;
    const int maximum = std::max(0, total - visible);
    const int page = maximum / PAGE_STEP + 1;
    // The range reaches past the last position by the page, so that the thumb (which stops a
    // page before the range's end) can still show the last bits.
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = maximum + page - 1;
    info.nPage = static_cast<UINT>(page);
    info.nPos = position;
    bar.SetScrollInfo(&info, TRUE);
    bar.ShowWindow(shown ? SW_SHOW : SW_HIDE);
}

void CDigitalBusCtrl::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    DeleteBackBuffer();
    PlaceScrollBars();
    Redraw();
}

// ---- drawing --------------------------------------------------------------------------------

void CDigitalBusCtrl::DeleteBackBuffer()
{
    if (old_bitmap_ != nullptr) memory_dc_.SelectObject(old_bitmap_);
    old_bitmap_ = nullptr;
    if (memory_dc_.m_hDC != 0) memory_dc_.DeleteDC();
    memory_bitmap_.DeleteObject();
    buffer_size_ = CSize(0, 0);
}

bool CDigitalBusCtrl::EnsureBackBuffer(const CRect& client)
{
    if (old_bitmap_ != nullptr) return true;
    if (client.Width() <= 0 || client.Height() <= 0) return false;
    CDC* screen = GetDC();
    const bool made = memory_dc_.CreateCompatibleDC(screen) &&
                      memory_bitmap_.CreateCompatibleBitmap(screen, client.Width(), client.Height());
    ReleaseDC(screen);
    if (!made) {
        DeleteBackBuffer();
        return false;
    }
    old_bitmap_ = memory_dc_.SelectObject(&memory_bitmap_);
    buffer_size_ = CSize(client.Width(), client.Height());
    return true;
}

void CDigitalBusCtrl::Redraw()
{
    if (m_hWnd == nullptr) {
        redraw_pending_ = true;
        return;
    }
    CRect client;
    GetClientRect(&client);
    if (!EnsureBackBuffer(client)) {
        redraw_pending_ = true;
        return;
    }
    redraw_pending_ = false;
    drawn_ = true;
    DrawBackground(memory_dc_, client);
    CRect inner = client;
    inner.DeflateRect(CONTENT_INSET, CONTENT_INSET);
    DrawContent(memory_dc_, inner);
    Invalidate(FALSE);
}

void CDigitalBusCtrl::DrawBackground(CDC& dc, CRect rect)
{
    CBrush brush(background_color);
    dc.FillRect(&rect, &brush);
    dc.SetBkColor(background_color);
    dc.DrawEdge(&rect, edge_style, BF_RECT);
}

void CDigitalBusCtrl::DrawContent(CDC& dc, CRect rect)
{
    // What fits is counted without the label band, which holds no bits.
    const int rowCount = GetRowCount();
    auto fitColumns = [&] { return CellsIn(rect.Width() - LABEL_BAND, CELL_WIDTH); };
    auto fitRows = [&] { return CellsIn(rect.Height() - LABEL_BAND, CELL_HEIGHT); };
    hscroll_shown_ = vscroll_shown_ = false;
    if (rowCount > fitRows()) {
        vscroll_shown_ = true;
        rect.right -= vscroll_width_;
        if (longest_ > fitColumns()) {
            hscroll_shown_ = true;
            rect.bottom -= hscroll_height_;
        }
    } else if (longest_ > fitColumns()) {
        hscroll_shown_ = true;
        rect.bottom -= hscroll_height_;
        if (rowCount > fitRows()) {
            vscroll_shown_ = true;
            rect.right -= vscroll_width_;
        }
    }
    visible_columns_ = std::min(fitColumns(), longest_);
    visible_rows_ = std::min(fitRows(), rowCount);
    // A view made larger may leave the old first cell past the last one that fills it.
    first_column_ = std::clamp(first_column_, 0, GetMaxFirstColumn());
    first_row_ = std::clamp(first_row_, 0, GetMaxFirstRow());

    PlaceScrollBars();
    SetBar(hscroll_, hscroll_shown_, longest_, visible_columns_, first_column_);
    SetBar(vscroll_, vscroll_shown_, rowCount, visible_rows_, first_row_);

    const int saved = dc.SaveDC();
    CPen frame(PS_SOLID, 1, line_color);
    dc.SelectObject(&frame);
    dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(&rect);

    content_ = rect;
    content_.left += LABEL_BAND;
    content_.top += LABEL_BAND;
    grid_ = CRect(content_.left, content_.top, content_.left + CELL_WIDTH * visible_columns_,
                  content_.top + CELL_HEIGHT * visible_rows_);
    dc.IntersectClipRect(content_.left, content_.top, std::max(content_.left, rect.right),
                         std::max(content_.top, rect.bottom));

    LOGBRUSH dotsBrush{BS_SOLID, line_color, 0};
    CPen dots;
    dots.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 1, &dotsBrush, 2, GRID_DOTS);
    dc.SelectObject(&dots);
    for (int i = 0; i <= visible_columns_; ++i) {
        dc.MoveTo(grid_.left + CELL_WIDTH * i, grid_.top);
        dc.LineTo(grid_.left + CELL_WIDTH * i, grid_.bottom);
    }
    for (int r = 0; r <= visible_rows_; ++r) {
        dc.MoveTo(grid_.left, grid_.top + CELL_HEIGHT * r);
        dc.LineTo(grid_.right, grid_.top + CELL_HEIGHT * r);
    }

    CPen level(PS_SOLID, LEVEL_PEN_WIDTH, line_color);
    dc.SelectObject(&level);
    for (int r = first_row_; r < first_row_ + visible_rows_ && r < rowCount; ++r) {
        const Row& row = rows_[static_cast<std::size_t>(r)];
        const int low = grid_.top + (r - first_row_) * CELL_HEIGHT + CELL_HEIGHT;
        const int high = low - LEVEL_HEIGHT;
        for (int i = 0; i < visible_columns_ && first_column_ + i < row.bits; ++i) {
            const int bit = first_column_ + i;
            const int x = grid_.left + CELL_WIDTH * i;
            const int y = GetBit(r, bit) ? high : low;
            if (i == 0) dc.MoveTo(x, y);
            else dc.LineTo(x, y);
            const bool last = i == visible_columns_ - 1 || bit == row.bits - 1;
            dc.LineTo(x + (last ? CELL_WIDTH : CELL_WIDTH - TRANSITION_WIDTH), y);
        }
    }
    dc.RestoreDC(saved);
}

BOOL CDigitalBusCtrl::OnEraseBkgnd(CDC* /*dc*/)
{
    // The back buffer covers the whole client area.
    return TRUE;
}

void CDigitalBusCtrl::OnPaint()
{
    CPaintDC dc(this);
    if (!drawn_ || redraw_pending_ || old_bitmap_ == nullptr) Redraw();
    if (old_bitmap_ == nullptr) return;
    dc.BitBlt(0, 0, buffer_size_.cx, buffer_size_.cy, &memory_dc_, 0, 0, SRCCOPY);
    if (band_active_) {
        CPen pen(PS_SOLID, 1, band_color);
        CPen* oldPen = dc.SelectObject(&pen);
        CGdiObject* oldBrush = dc.SelectStockObject(NULL_BRUSH);
        CRect band(band_start_, band_end_);
        band.NormalizeRect();
        dc.Rectangle(&band);
        dc.SelectObject(oldPen);
        if (oldBrush != nullptr) dc.SelectObject(oldBrush->m_hObject);
    }
}

COLORREF CDigitalBusCtrl::GetShownPixel(int x, int y) const
{
    if (old_bitmap_ == nullptr || x < 0 || y < 0 || x >= buffer_size_.cx || y >= buffer_size_.cy)
        return CLR_INVALID;
    return memory_dc_.GetPixel(x, y);
}

// ---- mouse ----------------------------------------------------------------------------------

void CDigitalBusCtrl::OnLButtonDown(UINT /*flags*/, CPoint point)
{
    SetCapture();
    band_active_ = true;
    band_start_ = band_end_ = point;
}

void CDigitalBusCtrl::OnMouseMove(UINT /*flags*/, CPoint point)
{
    if (band_active_) {
        band_end_ = point;
        Invalidate(FALSE);
    }
    if (!panning_) return;
    // Whole cells follow the pointer; what is left of a cell waits for the next move.
    const int dx = point.x - pan_last_.x + pan_rest_x_;
    const int dy = point.y - pan_last_.y + pan_rest_y_;
    pan_last_ = point;
    pan_rest_x_ = dx % CELL_WIDTH;
    pan_rest_y_ = dy % CELL_HEIGHT;
    const int column = std::clamp(first_column_ - dx / CELL_WIDTH, 0, GetMaxFirstColumn());
    const int row = std::clamp(first_row_ - dy / CELL_HEIGHT, 0, GetMaxFirstRow());
    if (column == first_column_ && row == first_row_) return;
    first_column_ = column;
    first_row_ = row;
    Redraw();
    UpdateWindow();
}

void CDigitalBusCtrl::OnLButtonUp(UINT /*flags*/, CPoint point)
{
    const bool wasBand = band_active_;
    band_active_ = false;
    if (GetCapture() == this) ReleaseCapture();
    // Only a click that ends where it began edits: a drag is a band, not a toggle.
    if (wasBand && point == band_start_) ToggleAt(point);
    Redraw();
}

void CDigitalBusCtrl::ToggleAt(CPoint point)
{
    if (!grid_.PtInRect(point)) return;
    const int column = (point.x - grid_.left) / CELL_WIDTH + first_column_;
    // A row owns the band from its high level down to the next row's high level; above row
    // 0's high level lies no row.
    const int band = (point.y - grid_.top + LEVEL_HEIGHT) / CELL_HEIGHT - 1;
    if (band < 0) return;
    const int row = band + first_row_;
    if (row >= GetRowCount()) return;
    Row& r = rows_[static_cast<std::size_t>(row)];
    if (column >= r.bits) return;
    r.bytes[column / 8] ^= static_cast<unsigned char>(0x80 >> (column % 8));
}

void CDigitalBusCtrl::OnRButtonDown(UINT /*flags*/, CPoint point)
{
    SetCapture();
    panning_ = true;
    pan_last_ = point;
    pan_rest_x_ = pan_rest_y_ = 0;
}

void CDigitalBusCtrl::OnRButtonUp(UINT /*flags*/, CPoint /*point*/)
{
    panning_ = false;
    if (GetCapture() == this) ReleaseCapture();
}

// ---- scroll bars ----------------------------------------------------------------------------

int CDigitalBusCtrl::ScrollTarget(UINT code, UINT pos, int current, int maximum)
{
    int target = current;
    switch (code) {
    case SB_LINELEFT: target = current - 1; break;
    case SB_LINERIGHT: target = current + 1; break;
    case SB_PAGELEFT: target = current - PAGE_STEP; break;
    case SB_PAGERIGHT: target = current + PAGE_STEP; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: target = static_cast<int>(pos); break;
    case SB_LEFT: target = 0; break;
    case SB_RIGHT: target = maximum; break;
    default: break;
    }
    return std::clamp(target, 0, maximum);
}

void CDigitalBusCtrl::OnHScroll(UINT code, UINT pos, CScrollBar* /*bar*/)
{
    if (code != SB_ENDSCROLL) {
        first_column_ = ScrollTarget(code, pos, first_column_, GetMaxFirstColumn());
        hscroll_.SetScrollPos(first_column_);
    }
    Redraw();
}

void CDigitalBusCtrl::OnVScroll(UINT code, UINT pos, CScrollBar* /*bar*/)
{
    if (code != SB_ENDSCROLL) {
        first_row_ = ScrollTarget(code, pos, first_row_, GetMaxFirstRow());
        vscroll_.SetScrollPos(first_row_);
    }
    Redraw();
}
