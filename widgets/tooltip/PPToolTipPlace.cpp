// Where a tip goes, its shape, and preparing it for the screen: measured text, placement away
// from the screen's edges, the rounded body with its anchor, the painted body and what the
// screen shows behind the window.

#include "widgets/tooltip/PPToolTip.h"

#include "platform/ui/PaintDC.h"
#include "platform/ui/ScreenDC.h"

#include <algorithm>

namespace {

// The sides of the body the anchor can sit on, by the high nibble of the direction.
enum Side { kBelow = 0, kAbove = 1, kRight = 2, kLeft = 3 };
// Where the anchor sits along its side, by the low bits.
enum Along { kFromStart = 0, kFromEnd = 1, kCentred = 2 };

// Chooses where along its side the anchor sits so that the tip stays between lo and hi:
// pos is the anchor point, size the window's extent along the side. "Passing" a bound means
// lying strictly beyond it.
int ChooseAlong(int along, int pos, int lo, int hi, int size, int off)
{
    switch (along) {
    case kFromStart:
        if (pos + size - off > hi) return pos + off - size < lo ? kCentred : kFromEnd;
        return along;
    case kFromEnd:
        if (pos + off - size < lo) return pos + size - off > hi ? kCentred : kFromStart;
        return along;
    default:
        if (off >= pos - lo) return kFromStart;
        if (off >= hi - pos) return kFromEnd;
        return along;
    }
}

// The anchor's position along its side of a window of extent size, kept inside the bounds.
int AnchorAlong(int along, int pos, int lo, int hi, int size, int off)
{
    int a = along == kFromStart ? off : along == kFromEnd ? size - off : size / 2;
    if (along == kCentred) {
        // A centred tip that would pass one edge but not the other touches that edge.
        const int start = pos - a;
        if (start < lo && start + size <= hi) a = pos - lo;
        else if (start + size > hi && start >= lo) a = pos - (hi - size);
    }
    if (along == kFromEnd) {
        if (pos - a + size > hi) a = pos + size - hi;
    } else if (pos - a < lo) {
        a = pos - lo;
    }
    return std::clamp(a, 0, size);
}

}  // namespace

TipPlacement PlaceTip(const CRect& bounds, CPoint point, CSize bodySize, DWORD direction, int anchorOffset,
                      int anchorHeight)
{
    int side = static_cast<int>((direction >> 4) & 0x0F);
    int along = static_cast<int>(direction & 0x0F);
    if (side > kLeft) side = kAbove;
    if (along > kCentred) along = kFromStart;
    const bool horizontalSide = side == kBelow || side == kAbove;
    const int w = bodySize.cx + (horizontalSide ? 0 : anchorHeight);
    const int h = bodySize.cy + (horizontalSide ? anchorHeight : 0);
    const int off = anchorOffset;

    if (horizontalSide) {
        along = ChooseAlong(along, point.x, bounds.left, bounds.right, w, off);
        if (side == kBelow && point.y + h > bounds.bottom) side = kAbove;
        else if (side == kAbove && point.y - h < bounds.top) side = kBelow;
    } else {
        if (side == kRight && point.x + w > bounds.right) side = kLeft;
        else if (side == kLeft && point.x - w < bounds.left) side = kRight;
        along = ChooseAlong(along, point.y, bounds.top, bounds.bottom, h, off);
    }

    TipPlacement place;
    place.direction = static_cast<DWORD>(side << 4 | along);
    if (horizontalSide) {
        place.anchor.x = AnchorAlong(along, point.x, bounds.left, bounds.right, w, off);
        place.anchor.y = side == kBelow ? 0 : h;
        place.body = CRect(0, side == kBelow ? anchorHeight : 0, w, side == kBelow ? h : h - anchorHeight);
    } else {
        place.anchor.y = AnchorAlong(along, point.y, bounds.top, bounds.bottom, h, off);
        place.anchor.x = side == kRight ? 0 : w;
        place.body = CRect(side == kRight ? anchorHeight : 0, 0, side == kRight ? w : w - anchorHeight, h);
    }
    return place;
}

void CPPToolTip::FillDefaults(TipToolInfo& record) const
{
    if ((record.nMask & TipToolInfo::MASK_EFFECT) == 0) {
        record.nEffect = m_defaults.nEffect;
        record.nGranularity = m_defaults.nGranularity;
    }
    if ((record.nMask & TipToolInfo::MASK_COLORS) == 0) {
        record.crBegin = m_defaults.crBegin;
        record.crMid = m_defaults.crMid;
        record.crEnd = m_defaults.crEnd;
    }
    if ((record.nMask & TipToolInfo::MASK_DIRECTION) == 0) record.nDirection = m_defaults.nDirection;
    if ((record.nMask & TipToolInfo::MASK_BEHAVIOUR) == 0) record.nBehaviour = m_defaults.nBehaviour;
    if ((record.nMask & TipToolInfo::MASK_TRANSPARENCY) == 0) record.nTransparency = m_defaults.nTransparency;
    record.nTransparency = std::min<BYTE>(record.nTransparency, 100);
}

void CPPToolTip::FreeTipObjects()
{
    m_rgnTip.DeleteObject();
    m_bmpBody.DeleteObject();
    m_bmpBackground.DeleteObject();
}

bool CPPToolTip::TipRegionContains(CPoint point) const
{
    return m_rgnTip.m_hObject != 0 && m_rgnTip.PtInRegion(point);
}

bool CPPToolTip::PrepareTip(CPoint anchorPoint)
{
    TipToolInfo record = m_tiNextTool;
    FillDefaults(record);
    if (record.sTooltip.empty()) return false;

    CSize text;
    {
        CClientDC dc(this);
        text = m_drawer.MeasureHtml(dc.GetSafeHdc(), record.sTooltip);
    }
    if (text.cx <= 0 || text.cy <= 0) return false;  // the drawer found nothing to show

    const CSize body(text.cx + 2 * m_nMarginX, text.cy + 2 * m_nMarginY);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    CRect bounds(left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN));
    if (bounds.IsRectEmpty()) bounds = CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const TipPlacement place = PlaceTip(bounds, anchorPoint, body, record.nDirection, m_nAnchorOffset, m_nAnchorHeight);
    const bool horizontalSide = (place.direction & 0x20) == 0;
    const CSize window(body.cx + (horizontalSide ? 0 : m_nAnchorHeight), body.cy + (horizontalSide ? m_nAnchorHeight : 0));

    FreeTipObjects();
    m_rcBody = place.body;
    m_rcContent = CRect(CPoint(m_rcBody.left + m_nMarginX, m_rcBody.top + m_nMarginY), text);
    m_ptAnchorInWindow = place.anchor;
    m_dwDisplayedDirection = place.direction;
    MakeRegion(place, window);
    PaintBody(place, window, record);

    // The tip becomes the current one now: painting comes later here than on the original's
    // platform, and everything from now on asks about the tip on screen.
    m_hwndDisplayedTool = m_hwndNextTool;
    m_tiDisplayed = record;
    m_nShowMode = m_nNextShowMode;
    m_nTransparency = m_bFadeIn && m_nFadeInPeriod != 0 ? 100 : record.nTransparency;

    CRgn windowRegion;
    windowRegion.CreateRectRgn(0, 0, 0, 0);
    windowRegion.CopyRgn(&m_rgnTip);
    m_rcTipArea = CRect(CPoint(0, 0), window);
    if (m_szShadowOffset.cx != 0 || m_szShadowOffset.cy != 0) {
        CRgn shadow;
        shadow.CreateRectRgn(0, 0, 0, 0);
        shadow.CopyRgn(&m_rgnTip);
        shadow.OffsetRgn(m_szShadowOffset.cx, m_szShadowOffset.cy);
        windowRegion.CombineRgn(&windowRegion, &shadow, RGN_OR);
        m_rcTipArea.right += m_szShadowOffset.cx;
        m_rcTipArea.bottom += m_szShadowOffset.cy;
    }
    SetWindowRgn(windowRegion, FALSE);  // the window keeps its own copy

    const CPoint origin(anchorPoint.x - place.anchor.x, anchorPoint.y - place.anchor.y);
    // A new window here holds nothing of what lies behind it: read that before showing.
    {
        CScreenDC screen(CRect(origin, m_rcTipArea.Size()));
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        m_bmpBackground.CreateCompatibleBitmap(&screen, m_rcTipArea.Width(), m_rcTipArea.Height());
        CBitmap* old = dc.SelectObject(&m_bmpBackground);
        dc.BitBlt(0, 0, m_rcTipArea.Width(), m_rcTipArea.Height(), &screen, 0, 0, SRCCOPY);
        dc.SelectObject(old);
    }
    SetWindowPos(&wndTopMost, origin.x, origin.y, m_rcTipArea.Width(), m_rcTipArea.Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    return true;
}

void CPPToolTip::MakeRegion(const TipPlacement& place, CSize)
{
    m_rgnTip.CreateRoundRectRgn(m_rcBody.left, m_rcBody.top, m_rcBody.right, m_rcBody.bottom, m_szRoundCorner.cx,
                                m_szRoundCorner.cy);
    if (m_nAnchorHeight <= 0 || m_nAnchorWidth <= 0) return;

    const int side = static_cast<int>(place.direction >> 4);
    const int along = static_cast<int>(place.direction & 0x0F);
    const int aw = m_nAnchorWidth;
    const int off = m_nAnchorOffset;
    // The base reaches two pixels into the body so that the triangle and the body join.
    POINT points[3];
    points[0] = place.anchor;
    if (side == kBelow || side == kAbove) {
        const int y = side == kBelow ? m_rcBody.top + 2 : m_rcBody.bottom - 2;
        const int x = along == kFromStart ? m_rcBody.left + off : along == kFromEnd ? m_rcBody.right - off - aw
                                                                                      : place.anchor.x - aw / 2;
        points[1] = POINT{x, y};
        points[2] = POINT{x + aw, y};
    } else {
        const int x = side == kRight ? m_rcBody.left + 2 : m_rcBody.right - 2;
        const int y = along == kFromStart ? m_rcBody.top + off : along == kFromEnd ? m_rcBody.bottom - off - aw
                                                                                     : place.anchor.y - aw / 2;
        points[1] = POINT{x, y};
        points[2] = POINT{x, y + aw};
    }
    CRgn anchor;
    if (anchor.CreatePolygonRgn(points, 3, ALTERNATE)) m_rgnTip.CombineRgn(&m_rgnTip, &anchor, RGN_OR);
}

void CPPToolTip::PaintBody(const TipPlacement& place, CSize window, const TipToolInfo& record)
{
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    if (!m_bmpBody.CreateCompatibleBitmap(&dc, window.cx, window.cy)) return;
    CBitmap* old = dc.SelectObject(&m_bmpBody);
    m_drawer.GetDrawManager().PaintBackground(dc.GetSafeHdc(), &m_rcBody, static_cast<int>(record.nEffect),
                                              record.crBegin, record.crMid, record.crEnd, record.nGranularity);
    // The anchor's band takes the body's outermost row or column next to it, stretched, so that
    // a gradient runs on into the anchor.
    const int ah = m_nAnchorHeight;
    if (ah > 0 && !m_rcBody.IsRectEmpty()) {
        switch (place.direction >> 4) {
        case kBelow: dc.StretchBlt(0, 0, window.cx, ah, &dc, 0, m_rcBody.top + 1, window.cx, 1, SRCCOPY); break;
        case kAbove: dc.StretchBlt(0, m_rcBody.bottom, window.cx, ah, &dc, 0, m_rcBody.bottom - 2, window.cx, 1, SRCCOPY); break;
        case kRight: dc.StretchBlt(0, 0, ah, window.cy, &dc, m_rcBody.left + 1, 0, 1, window.cy, SRCCOPY); break;
        default: dc.StretchBlt(m_rcBody.right, 0, ah, window.cy, &dc, m_rcBody.right - 2, 0, 1, window.cy, SRCCOPY); break;
        }
    }
    dc.SelectObject(old);
}
