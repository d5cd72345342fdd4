#include "widgets/chart/ChartGrid.h"

#include "widgets/chart/ChartCtrl.h"

CChartGrid::CChartGrid() { RebuildPen(); }

void CChartGrid::RebuildPen()
{
    LOGBRUSH brush{BS_SOLID, m_GridColor, 0};
    static const DWORD kDashes[] = {2, 3};
    m_Pen.DeleteObject();
    m_Pen.CreatePen(PS_GEOMETRIC | PS_USERSTYLE, 0, &brush, 2, kDashes);
}

void CChartGrid::SetColor(COLORREF color)
{
    m_GridColor = color;
    RebuildPen();
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartGrid::SetVisible(bool visible)
{
    m_bIsVisible = visible;
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartGrid::Draw(CDC* dc)
{
    if (!m_bIsVisible || dc == nullptr || m_pParentCtrl == nullptr) return;
    const CRect plot = m_pParentCtrl->GetPlottingRect();
    dc->IntersectClipRect(&plot);
    CPen* old = dc->SelectObject(&m_Pen);
    for (int p : m_TickPositions) {
        if (m_bIsHorizontal) {
            dc->MoveTo(p, plot.bottom);
            dc->LineTo(p, plot.top);
        } else {
            dc->MoveTo(plot.left, p);
            dc->LineTo(plot.right, p);
        }
    }
    dc->SelectObject(old);
    dc->SelectClipRgn(nullptr);
}
