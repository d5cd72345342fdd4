#include "app/strip/BufferDraw.h"

#include "platform/ui/PaintDC.h"

#include <algorithm>
#include <climits>

namespace {

// The class is shared by every module of the program, like the system's own controls.
constexpr UINT CS_GLOBALCLASS = 0x4000;

int ClampInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

}  // namespace

BEGIN_MESSAGE_MAP(CBufferDraw, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CBufferDraw::CBufferDraw()
{
    RegisterWindowClass();
}

CBufferDraw::~CBufferDraw()
{
    if (old_bitmap_ != nullptr) memory_dc_.SelectObject(old_bitmap_);
}

bool CBufferDraw::RegisterWindowClass()
{
    if (AfxGetClassInfo(CLASS_NAME, nullptr)) return true;
    WNDCLASS wc;
    wc.style = CS_GLOBALCLASS;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = CLASS_NAME;
    return AfxRegisterClass(&wc) != FALSE;
}

int CBufferDraw::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) == -1) return -1;
    CreateSurface();
    return 0;
}

// Also reached from the first redraw of a strip that a dialog template made before this
// object was attached to it.
void CBufferDraw::CreateSurface()
{
    if (surface_made_ || m_hWnd == nullptr) return;
    surface_made_ = true;
    CRect client;
    GetClientRect(&client);
    surface_size_ = CSize(std::max(client.Width(), 0), std::max(client.Height(), 0));
    if (surface_size_.cx > 0 && surface_size_.cy > 0) {
        CDC* screen = GetDC();
        memory_dc_.CreateCompatibleDC(screen);
        memory_bitmap_.CreateCompatibleBitmap(screen, surface_size_.cx, surface_size_.cy);
        ReleaseDC(screen);
        old_bitmap_ = memory_dc_.SelectObject(&memory_bitmap_);
        memory_dc_.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
        memory_dc_.FillSolidRect(client.left + MARGIN, client.top, client.Width() - MARGIN - 1,
                                 client.Height(), CREATION_BACKGROUND);
    }
    full_sweep_.Create("", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                       CRect(client.left, client.top, client.left + MARGIN, client.bottom), this,
                       IDC_FULL_SWEEP);
}

COLORREF CBufferDraw::GetShownPixel(int x, int y) const
{
    if (old_bitmap_ == nullptr) return CLR_INVALID;
    return memory_dc_.GetPixel(x, y);
}

BOOL CBufferDraw::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (full_sweep_.m_hWnd != nullptr && reinterpret_cast<HWND>(lParam) == full_sweep_.m_hWnd) {
        if (CWnd* parent = GetParent()) parent->SendMessage(WM_COMMAND, wParam, lParam);
        if (m_hWnd == nullptr) return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

bool CBufferDraw::Redraw()
{
    if (m_hWnd == nullptr) return false;
    CreateSurface();
    CRect client;
    GetClientRect(&client);
    strip_ = CRect(client.left + MARGIN, client.top, client.right - 1, client.bottom);

    CSingleLock lock(&DataLock, TRUE);
    OscData& d = *GetOscData();
    trigger_on_ = d.GetTriggerSource() != 0;
    stopped_ = (d.mode & MODE_STOPPED) != 0;
    const StripQuantities q = GetStripQuantities(d);

    bool moved = false;
    if (dragging_) DragStep(d, q, moved);

    const StripLayout layout = ComputeStripLayout(d, strip_);
    DrawStrip(layout);

    Shown now;
    now.any = true;
    if (trigger_on_) {
        now.trigger_offset_extra = d.trigger_offset_extra;
        now.trigger_offset_samples = d.trigger_offset_samples;
    } else {
        now.x_offset = d.x_offset;
    }
    now.valid = q.valid;
    now.t_div = d.t_div;
    const bool changed = !shown_.any || now.trigger_offset_extra != shown_.trigger_offset_extra ||
                         now.trigger_offset_samples != shown_.trigger_offset_samples ||
                         now.x_offset != shown_.x_offset || now.valid != shown_.valid ||
                         now.t_div != shown_.t_div;
    shown_ = now;
    if (changed) Invalidate(TRUE);
    return moved;
}

void CBufferDraw::DragStep(OscData& d, const StripQuantities& q, bool& moved)
{
    const int width = strip_.Width();
    const bool measurable = width > 0 && q.total > 0;
    if (!grab_known_ && measurable) {
        // Where in the view the user took hold: kept for the whole drag, so the part under the
        // pointer stays under it.
        const std::int64_t p = d.SamplesToPoints(ClampInt(StripPixelToSample(down_x_, q, width)));
        if (trigger_on_ && stopped_)
            grab_offset_ = p + d.trigger_offset_extra;
        else if (trigger_on_)
            grab_offset_ = p - d.SamplesToPoints(d.trigger_offset_samples);
        else
            grab_offset_ = p - d.x_offset;
        grab_known_ = true;
    }
    if ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0) {
        // The button went up where this window did not see it.
        grab_known_ = false;
        dragging_ = false;
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return;
    }
    if (!measurable || !grab_known_) return;
    CPoint cursor;
    GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    const int f = cursor.x > MARGIN ? cursor.x - MARGIN : 0;
    const std::int64_t points = d.SamplesToPoints(ClampInt(StripPixelToSample(f, q, width)));
    moved = d.SetHorizontalPosition(ClampInt(points - grab_offset_));
}

void CBufferDraw::DrawStrip(const StripLayout& layout)
{
    if (old_bitmap_ == nullptr) return;
    memory_dc_.FillSolidRect(&strip_, BACKGROUND);
    if (!layout.drawable) {
        visible_.SetRectEmpty();
        return;
    }
    if (layout.filled_right > strip_.left)
        memory_dc_.FillSolidRect(CRect(strip_.left, strip_.top, layout.filled_right, strip_.bottom), FILLED);
    visible_ = layout.visible;
    memory_dc_.FillSolidRect(&visible_, VISIBLE);
    marker_x_ = layout.marker_x;
    if (!layout.trigger_on) return;
    CPen pen(PS_SOLID, 1, MARKER);
    CPen* old = memory_dc_.SelectObject(&pen);
    const int x = marker_x_;
    memory_dc_.MoveTo(x, strip_.top);
    memory_dc_.LineTo(x, strip_.bottom);
    const int shortBottom = strip_.bottom - strip_.Height() / 3;
    for (int side : {x - 1, x + 1}) {
        memory_dc_.MoveTo(side, strip_.top);
        memory_dc_.LineTo(side, shortBottom);
    }
    memory_dc_.SelectObject(old);
}

void CBufferDraw::OnPaint()
{
    CPaintDC dc(this);
    if (old_bitmap_ == nullptr) return;
    dc.BitBlt(0, 0, surface_size_.cx, surface_size_.cy, &memory_dc_, 0, 0, SRCCOPY);
}

bool CBufferDraw::IsOnGrabTarget(CPoint point) const
{
    // While acquisition runs with the trigger on, the view follows the trigger: only the
    // marker can be taken.
    if (trigger_on_ && !stopped_)
        return point.y >= strip_.top && point.y < strip_.bottom && point.x >= marker_x_ - 1 &&
               point.x <= marker_x_ + 1;
    return visible_.PtInRect(point) != FALSE;
}

void CBufferDraw::OnLButtonDown(UINT flags, CPoint point)
{
    if (IsOnGrabTarget(point)) {
        down_x_ = point.x - MARGIN;
        dragging_ = true;
    }
    CWnd::OnLButtonDown(flags, point);
}

void CBufferDraw::OnMouseMove(UINT flags, CPoint point)
{
    SetCursor(LoadCursor(nullptr, dragging_ || IsOnGrabTarget(point) ? IDC_SIZEWE : IDC_ARROW));
    CWnd::OnMouseMove(flags, point);
}

void CBufferDraw::OnLButtonUp(UINT flags, CPoint point)
{
    grab_known_ = false;
    dragging_ = false;
    CWnd::OnLButtonUp(flags, point);
}
