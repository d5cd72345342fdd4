#include "widgets/chart/ChartBiLineSerie.h"

#include "widgets/chart/ChartCtrl.h"

#include <cmath>
#include <vector>

CChartBiLineSerie::CChartBiLineSerie(CChartCtrl* parent) : CChartSerie(parent) {}

int CChartBiLineSerie::HatchOfStyle(int style)
{
    switch (style) {
    case 0:
    case 1: return -1;
    case 2:
    case 3:
    case 4:
    case 5: return style;  // HS_FDIAGONAL .. HS_DIAGCROSS
    case 7: return HS_VERTICAL;
    default: return HS_HORIZONTAL;
    }
}

void CChartBiLineSerie::SetBrushStyle(int style)
{
    m_iBrushStyle = style;
    RedrawChart();
}

void CChartBiLineSerie::SetBrushColor(COLORREF color)
{
    m_BrushColor = color;
    RedrawChart();
}

void CChartBiLineSerie::AddPointPair(double x, double y1, double y2)
{
    // A pair is stored whole or not at all, so every band edge has its partner.
    if (!std::isfinite(x) || !std::isfinite(y1) || !std::isfinite(y2)) return;
    m_Points.AddPoint(x, y1);
    m_Points.AddPoint(x, y2);
    if (m_pParentCtrl == nullptr) return;
    m_pParentCtrl->SuspendRedraw();
    RefitAxes();
    m_pParentCtrl->ResumeRedraw();
    m_bChanged = true;
    if (!m_bIncremental) return;
    if (m_pParentCtrl->IsRedrawSuspended()) {
        m_pParentCtrl->Redraw();
        return;
    }
    if (CDC* image = m_pParentCtrl->GetMemoryDC()) {
        DrawAll(image);
        m_pParentCtrl->Invalidate(FALSE);
    }
}

void CChartBiLineSerie::DrawAll(CDC* dc)
{
    if (!CanDraw(dc)) return;
    unsigned first = 0;
    unsigned last = 0;
    if (!GetVisibleRange(first, last)) return;
    const unsigned stored = m_Points.GetCount();
    first &= ~1u;
    unsigned count = last - first - (last % 2) + 2;
    if (first + count > stored) count = stored - first;
    count &= ~1u;
    if (count < 2) return;

    std::vector<POINT> polygon;
    polygon.reserve(count);
    for (unsigned i = first; i < first + count; i += 2) polygon.push_back(ValueToScreen(m_Points[i]));
    for (unsigned i = first + count; i > first; i -= 2) polygon.push_back(ValueToScreen(m_Points[i - 1]));

    CPen pen(PS_SOLID, 1, m_SerieColor);
    CBrush brush;
    const int hatch = HatchOfStyle(m_iBrushStyle);
    if (m_iBrushStyle == 0) brush.CreateSolidBrush(m_BrushColor);
    else if (hatch >= 0) brush.CreateHatchBrush(hatch, m_BrushColor);
    CPen* oldPen = dc->SelectObject(&pen);
    CBrush* oldBrush = brush.GetSafeHandle() != 0 ? dc->SelectObject(&brush) : nullptr;
    CRect clip = m_PlottingRect;
    clip.DeflateRect(1, 1);
    dc->IntersectClipRect(&clip);
    if (m_iBrushStyle == 1) dc->Polyline(polygon.data(), static_cast<int>(polygon.size()));
    else dc->Polygon(polygon.data(), static_cast<int>(polygon.size()));
    dc->SelectClipRgn(nullptr);
    dc->SelectObject(oldPen);
    if (oldBrush != nullptr) dc->SelectObject(oldBrush);
}

void CChartBiLineSerie::DrawLegendSymbol(CDC* dc, CRect rect)
{
    if (m_strSerieName.empty() || dc == nullptr) return;
    CBrush brush;
    if (m_iBrushStyle == 0 || m_iBrushStyle == 1) brush.CreateSolidBrush(m_SerieColor);
    else brush.CreateHatchBrush(HatchOfStyle(m_iBrushStyle), m_SerieColor);
    dc->FillRect(&rect, &brush);
}
