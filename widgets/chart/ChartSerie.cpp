#include "widgets/chart/ChartSerie.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"

#include <algorithm>

namespace {

// Series ids are unique across every chart of the program.
unsigned g_nextSerieId = 0;

}  // namespace

CChartSerie::CChartSerie(CChartCtrl* parent) : m_pParentCtrl(parent), m_uSerieId(g_nextSerieId++) {}

CChartSerie::~CChartSerie()
{
    if (m_pHorizontalAxis != nullptr) m_pHorizontalAxis->UnregisterSerie(this);
    if (m_pVerticalAxis != nullptr) m_pVerticalAxis->UnregisterSerie(this);
}

void CChartSerie::RedrawChart()
{
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

void CChartSerie::RefitAxes()
{
    if (m_pHorizontalAxis != nullptr) m_pHorizontalAxis->UpdateAutoRange();
    if (m_pVerticalAxis != nullptr) m_pVerticalAxis->UpdateAutoRange();
}

void CChartSerie::SetAxes(CChartAxis* horizontal, CChartAxis* vertical)
{
    m_pHorizontalAxis = horizontal;
    m_pVerticalAxis = vertical;
}

CPoint CChartSerie::ValueToScreen(const SeriePoint& point) const
{
    return CPoint(m_pHorizontalAxis->ValueToScreen(point.X), m_pVerticalAxis->ValueToScreen(point.Y));
}

void CChartSerie::SetOrdering(int ordering)
{
    m_Points.SetOrdering(ordering);
}

void CChartSerie::SetColor(COLORREF color)
{
    m_SerieColor = color;
    RedrawChart();
}

void CChartSerie::SetSecondaryColor(COLORREF color)
{
    m_ShadowColor = color;
    RedrawChart();
}

void CChartSerie::SetName(const std::string& name)
{
    m_strSerieName = name;
    RedrawChart();
}

void CChartSerie::SetVisible(bool visible)
{
    m_bIsVisible = visible;
    RedrawChart();
}

void CChartSerie::SetShadow(bool shadow)
{
    m_bShadow = shadow;
    RedrawChart();
}

void CChartSerie::SetShadowDepth(int depth)
{
    m_iShadowDepth = depth;
    RedrawChart();
}

void CChartSerie::AddPoint(double x, double y)
{
    if (!m_Points.AddPoint(x, y)) return;
    if (m_pParentCtrl == nullptr) return;
    m_pParentCtrl->SuspendRedraw();
    RefitAxes();
    m_pParentCtrl->ResumeRedraw();
    // Suspended, the batch ends with one full redraw; drawing now would only be drawn over.
    if (m_pParentCtrl->IsRedrawSuspended()) {
        m_pParentCtrl->Redraw();
        return;
    }
    if (CDC* image = m_pParentCtrl->GetMemoryDC()) DrawNewPoints(image);
}

void CChartSerie::AddPoints(const double* x, const double* y, unsigned count)
{
    m_Points.SetPoints(x, y, count);
    m_uLastDrawnPoint = 0;
    if (m_pParentCtrl == nullptr) return;
    m_pParentCtrl->SuspendRedraw();
    RefitAxes();
    m_pParentCtrl->Redraw();
    m_pParentCtrl->ResumeRedraw();
}

void CChartSerie::RemoveAllPoints()
{
    if (m_Points.GetCount() == 0) return;
    m_Points.Clear();
    m_uLastDrawnPoint = 0;
    if (m_pParentCtrl == nullptr) return;
    m_pParentCtrl->SuspendRedraw();
    RefitAxes();
    m_pParentCtrl->Redraw();
    m_pParentCtrl->ResumeRedraw();
}

bool CChartSerie::GetPositiveExtents(bool horizontal, double& lo, double& hi) const
{
    bool any = false;
    for (unsigned i = 0; i < m_Points.GetCount(); ++i) {
        const double v = horizontal ? m_Points[i].X : m_Points[i].Y;
        if (!(v > 0)) continue;
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    return any;
}

bool CChartSerie::GetVisibleRange(unsigned& first, unsigned& last) const
{
    const unsigned count = m_Points.GetCount();
    if (count == 0) return false;
    const int ordering = m_Points.GetOrdering();
    const CChartAxis* axis = ordering == SeriePoints::OrderByY ? m_pVerticalAxis : m_pHorizontalAxis;
    if (ordering == SeriePoints::NoOrdering || axis == nullptr) {
        first = 0;
        last = count - 1;
        return true;
    }
    first = m_Points.LowerBound(axis->GetMin());
    if (first == count) first = 0;
    last = m_Points.UpperBound(axis->GetMax());
    if (last == count) last = count - 1;
    return true;
}
