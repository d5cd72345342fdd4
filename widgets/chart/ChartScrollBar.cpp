#include "widgets/chart/ChartScrollBar.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"

#include <algorithm>

namespace {

// The id the chart's scroll bars carry; the chart tells them apart by their window.
constexpr UINT kScrollBarId = 100;
// One page is ten positions: the whole visible span.
constexpr int kPage = 10;

}  // namespace

CChartScrollBar::CChartScrollBar(CChartAxis* axis) : m_pParentAxis(axis) {}

bool CChartScrollBar::IsMirrored() const
{
    return m_pParentAxis->IsHorizontal() == m_pParentAxis->IsInverted();
}

bool CChartScrollBar::CreateScrollBar(const CRect& plot)
{
    CChartCtrl* chart = m_pParentAxis->GetParent();
    if (chart == nullptr || chart->GetSafeHwnd() == nullptr) return false;
    DWORD style = WS_CHILD;
    if (m_pParentAxis->IsHorizontal()) style |= m_pParentAxis->IsSecondary() ? SBS_TOPALIGN : SBS_BOTTOMALIGN;
    else style |= SBS_VERT | (m_pParentAxis->IsSecondary() ? SBS_RIGHTALIGN : SBS_LEFTALIGN);
    const CRect rect(plot.left + 1, plot.top + 1, std::max(plot.right, plot.left + 2), std::max(plot.bottom, plot.top + 2));
    if (!Create(style, rect, chart, kScrollBarId)) return false;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 1;
    info.nMax = 1;
    info.nPage = 1;
    info.nPos = 1;
    SetScrollInfo(&info, TRUE);
    return true;
}

void CChartScrollBar::UpdateFromAxis()
{
    if (!m_bEnabled || GetSafeHwnd() == nullptr) return;
    int count = 1;
    int position = 1;
    m_pParentAxis->GetScrollRange(count, position);
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = count - 1;
    info.nPage = kPage;
    info.nPos = IsMirrored() ? count - position - (kPage - 1) : position;
    SetScrollInfo(&info, TRUE);
}

void CChartScrollBar::OnScroll(UINT code, UINT thumbPosition)
{
    if (GetSafeHwnd() == nullptr) return;
    SCROLLINFO info;
    GetScrollInfo(&info, SIF_ALL);
    const int lo = info.nMin;
    const int hi = info.nMax;
    const int pos = info.nPos;
    int next = pos;
    switch (code) {
    case SB_LINEUP:
        if (pos > lo) next = pos - 1;
        break;
    case SB_LINEDOWN:
        if (pos < hi - (kPage - 1)) next = pos + 1;
        break;
    case SB_PAGEUP:
        if (pos > lo) next = std::max(pos - kPage, lo);
        break;
    case SB_PAGEDOWN:
        if (pos < hi - (kPage - 1)) next = std::min(pos + kPage, hi);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = static_cast<int>(thumbPosition); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = hi; break;
    case SB_ENDSCROLL: return;
    default: break;
    }
    if (next == pos) return;
    SetScrollPos(next, TRUE);
    // The axis moves by the whole step asked for, even where the bar itself stops short of
    // it (a page near the end); the bar then takes the position the axis really has.
    m_pParentAxis->ScrollSteps(pos, next, IsMirrored());
    UpdateFromAxis();
    if (CChartCtrl* chart = m_pParentAxis->GetParent()) chart->Redraw();
}

void CChartScrollBar::Reposition(const CRect& plot)
{
    if (GetSafeHwnd() == nullptr) return;
    CRect current;
    GetWindowRect(&current);
    const int h = current.Height();
    const int w = current.Width();
    if (m_pParentAxis->IsHorizontal()) {
        const int y = m_pParentAxis->IsSecondary() ? plot.top + 1 : plot.bottom - h;
        MoveWindow(plot.left + 1, y, std::max(plot.right - plot.left - 1, 0), h, TRUE);
    } else {
        const int x = m_pParentAxis->IsSecondary() ? plot.right - w : plot.left + 1;
        MoveWindow(x, plot.top + 1, w, std::max(plot.bottom - plot.top - 1, 0), TRUE);
    }
    Invalidate();
}
