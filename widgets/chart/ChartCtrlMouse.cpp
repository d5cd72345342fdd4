// Mouse handling of the chart: box zoom, panning, cursors, auto-hiding scroll bars, and the
// events the host's listener hears.

#include "widgets/chart/ChartCtrl.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCursor.h"
#include "widgets/chart/ChartLegend.h"
#include "widgets/chart/ChartScrollBar.h"
#include "widgets/chart/ChartSerie.h"
#include "widgets/chart/ChartTitle.h"

void CChartCtrl::ForEachCursor(void (CChartCursor::*notify)(int, int), CPoint point)
{
    if (!m_PlottingRect.PtInRect(point)) return;
    for (auto& [id, cursor] : m_mapCursors) (cursor->*notify)(point.x, point.y);
    Invalidate(TRUE);
}

void CChartCtrl::DispatchMouseEvent(ChartMouseEvent event, CPoint point)
{
    CChartMouseListener* listener = m_pMouseListener;
    if (listener == nullptr) return;
    if (m_pTitle->GetRect().PtInRect(point)) listener->OnMouseEventTitle(event, point.x, point.y);
    if (m_pLegend->GetRect().PtInRect(point)) listener->OnMouseEventLegend(event, point.x, point.y);
    for (CChartAxis* axis : m_pAxes)
        if (axis != nullptr && axis->GetAxisRect().PtInRect(point)) listener->OnMouseEventAxis(event, point.x, point.y, axis);
    if (m_PlottingRect.PtInRect(point)) listener->OnMouseEventPlotArea(event, point.x, point.y);
    // The most recently added series lies on top, so it answers first.
    for (auto it = m_mapSeries.rbegin(); it != m_mapSeries.rend(); ++it) {
        CChartSerie* serie = it->second;
        const bool wanted = event == MouseMove ? serie->NotifiesMoves() : serie->NotifiesClicks();
        if (!wanted) continue;
        int index = -1;
        if (serie->HitTest(point, index)) {
            listener->OnMouseEventSerie(event, point.x, point.y, serie, index);
            return;
        }
    }
}

void CChartCtrl::OnMouseMove(UINT, CPoint point)
{
    if (m_bRMouseDown && m_bPanEnabled && point != m_PanAnchor) {
        SuspendRedraw();
        for (int slot : {LeftAxis, RightAxis})
            if (m_pAxes[slot] != nullptr) m_pAxes[slot]->PanPixels(m_PanAnchor.y, point.y);
        for (int slot : {BottomAxis, TopAxis})
            if (m_pAxes[slot] != nullptr) m_pAxes[slot]->PanPixels(m_PanAnchor.x, point.x);
        Redraw();
        ResumeRedraw();
        UpdateWindow();
        m_PanAnchor = point;
    }
    if (m_bLMouseDown && m_bZoomEnabled) {
        m_rectZoomArea.right = point.x;
        m_rectZoomArea.bottom = point.y;
        Invalidate(TRUE);
    }
    for (CChartAxis* axis : m_pAxes) {
        CChartScrollBar* bar = axis != nullptr ? axis->GetScrollBar() : nullptr;
        if (bar != nullptr && bar->IsEnabled() && bar->GetAutoHide()) bar->ShowWindow(SW_HIDE);
    }
    if (auto* bar = dynamic_cast<CChartScrollBar*>(ChildWindowFromPoint(point))) {
        if (bar->IsEnabled() && bar->GetAutoHide()) bar->ShowWindow(SW_SHOW);
    }
    ForEachCursor(&CChartCursor::OnMouseMove, point);
    if (m_PlottingRect.PtInRect(point) && !m_bPointerOverPlot) SetCursor(0);
    else SetCursor(LoadCursor(nullptr, IDC_ARROW));
    DispatchMouseEvent(MouseMove, point);
    Default();
}

void CChartCtrl::OnLButtonDown(UINT, CPoint point)
{
    SetCapture();
    if (m_bZoomEnabled) {
        m_bLMouseDown = true;
        m_rectZoomArea = CRect(point.x, point.y, point.x, point.y);
    }
    ForEachCursor(&CChartCursor::OnMouseButtonDown, point);
    DispatchMouseEvent(LButtonDown, point);
    Default();
}

void CChartCtrl::OnLButtonUp(UINT, CPoint point)
{
    ReleaseCapture();
    const bool wasActive = m_bLMouseDown;
    m_bLMouseDown = false;
    if (m_bZoomEnabled && wasActive) {
        const CRect& z = m_rectZoomArea;
        if (z.right < z.left || z.bottom < z.top) {
            UndoZoom();
        } else if (z.right != z.left && z.bottom != z.top) {
            SuspendRedraw();
            for (int slot : {BottomAxis, TopAxis}) {
                CChartAxis* axis = m_pAxes[slot];
                if (axis == nullptr) continue;
                const double a = axis->ScreenToValue(z.left);
                const double b = axis->ScreenToValue(z.right);
                if (axis->IsInverted()) axis->SetZoomRange(b, a);
                else axis->SetZoomRange(a, b);
            }
            for (int slot : {LeftAxis, RightAxis}) {
                CChartAxis* axis = m_pAxes[slot];
                if (axis == nullptr) continue;
                const double a = axis->ScreenToValue(z.bottom);
                const double b = axis->ScreenToValue(z.top);
                if (axis->IsInverted()) axis->SetZoomRange(b, a);
                else axis->SetZoomRange(a, b);
            }
            Redraw();
            ResumeRedraw();
        }
    }
    // The zoom box leaves the screen in any case.
    Invalidate(TRUE);
    ForEachCursor(&CChartCursor::OnMouseButtonUp, point);
    DispatchMouseEvent(LButtonUp, point);
    Default();
}

void CChartCtrl::OnLButtonDblClk(UINT, CPoint point)
{
    DispatchMouseEvent(LButtonDoubleClick, point);
    Default();
}

void CChartCtrl::OnRButtonDown(UINT, CPoint point)
{
    SetCapture();
    m_bRMouseDown = true;
    if (m_bPanEnabled) m_PanAnchor = point;
    DispatchMouseEvent(RButtonDown, point);
    Default();
}

void CChartCtrl::OnRButtonUp(UINT, CPoint point)
{
    ReleaseCapture();
    m_bRMouseDown = false;
    DispatchMouseEvent(RButtonUp, point);
    Default();
}

void CChartCtrl::OnRButtonDblClk(UINT, CPoint point)
{
    DispatchMouseEvent(RButtonDoubleClick, point);
    Default();
}
