#include "widgets/chart/ChartPointsSerie.h"

#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Clicks name a point within the marker's size, but never farther than this.
constexpr int kMaxHitDistance = 5;
// Modifier bits of the right-pointing triangle: which corner folds to the middle.
constexpr int kFoldFirstCorner = 0x40;
constexpr int kFoldSecondCorner = 0x80;

}  // namespace

CChartPointsSerie::CChartPointsSerie(CChartCtrl* parent) : CChartSerie(parent) {}

void CChartPointsSerie::SetPointSize(int width, int height)
{
    m_iPointWidth = width;
    m_iPointHeight = height;
    RedrawChart();
}

void CChartPointsSerie::SetPointType(int shape)
{
    m_iPointType = shape;
    RedrawChart();
}

void CChartPointsSerie::DrawShape(CDC* dc, CRect r)
{
    const int w2 = std::abs(r.left - r.right) / 2;
    const int h2 = std::abs(r.top - r.bottom) / 2;
    switch (m_iPointType & 0x0F) {
    case Ellipse: dc->Ellipse(&r); break;
    case Rectangle: dc->Rectangle(&r); break;
    case TriangleUp: {
        const POINT p[3] = {{r.left, r.bottom}, {r.right, r.bottom}, {r.left + w2, r.top}};
        dc->Polygon(p, 3);
        break;
    }
    case TriangleRight: {
        POINT p[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.bottom - h2}};
        if ((m_iPointType & kFoldFirstCorner) != 0) p[0] = POINT{r.left, r.bottom - h2};
        if ((m_iPointType & kFoldSecondCorner) != 0) p[1] = POINT{r.left, r.bottom - h2};
        dc->Polygon(p, 3);
        // The folded half is a line only; draw its outline so the marker keeps its full size.
        if ((m_iPointType & kFoldFirstCorner) != 0) {
            const POINT o[3] = {{r.left, r.bottom - h2}, {r.left, r.bottom}, {r.right, r.bottom - h2}};
            dc->Polyline(o, 3);
        }
        if ((m_iPointType & kFoldSecondCorner) != 0) {
            const POINT o[3] = {{r.left, r.bottom - h2}, {r.left, r.top}, {r.right, r.bottom - h2}};
            dc->Polyline(o, 3);
        }
        break;
    }
    case TriangleDown: {
        const POINT p[3] = {{r.left, r.top}, {r.right, r.top}, {r.left + w2, r.bottom}};
        dc->Polygon(p, 3);
        break;
    }
    case TriangleLeft: {
        const POINT p[3] = {{r.right, r.bottom}, {r.left, r.bottom - h2}, {r.right, r.top}};
        dc->Polygon(p, 3);
        break;
    }
    default: break;
    }
}

void CChartPointsSerie::DrawMarker(CDC* dc, CRect rect, bool withShadow)
{
    CBrush brush(m_SerieColor);
    CPen pen(PS_SOLID, 1, m_SerieColor);
    CBrush shadowBrush(m_ShadowColor);
    CPen shadowPen(PS_SOLID, 1, m_ShadowColor);
    CPen* oldPen = nullptr;
    CBrush* oldBrush = nullptr;
    if (withShadow && m_bShadow) {
        oldPen = dc->SelectObject(&shadowPen);
        oldBrush = dc->SelectObject(&shadowBrush);
        CRect shadow = rect;
        shadow.OffsetRect(m_iShadowDepth, m_iShadowDepth);
        DrawShape(dc, shadow);
        dc->SelectObject(&pen);
        dc->SelectObject(&brush);
    } else {
        oldPen = dc->SelectObject(&pen);
        oldBrush = dc->SelectObject(&brush);
    }
    DrawShape(dc, rect);
    dc->SelectObject(oldPen);
    dc->SelectObject(oldBrush);
}

void CChartPointsSerie::DrawMarkers(CDC* dc, unsigned first, unsigned last)
{
    const int oldBk = dc->SetBkMode(TRANSPARENT);
    dc->IntersectClipRect(&m_PlottingRect);
    for (unsigned i = first; i <= last && i < m_Points.GetCount(); ++i) {
        const CPoint p = ValueToScreen(m_Points[i]);
        const CRect r(p.x - m_iPointWidth / 2, p.y - m_iPointHeight / 2, p.x + m_iPointWidth / 2, p.y + m_iPointHeight / 2);
        DrawMarker(dc, r, true);
    }
    dc->SelectClipRgn(nullptr);
    dc->SetBkMode(oldBk);
}

void CChartPointsSerie::DrawAll(CDC* dc)
{
    if (!CanDraw(dc)) return;
    unsigned first = 0;
    unsigned last = 0;
    if (!GetVisibleRange(first, last)) return;
    DrawMarkers(dc, first, last);
    m_uLastDrawnPoint = last + 1;
}

void CChartPointsSerie::DrawNewPoints(CDC* dc)
{
    if (!CanDraw(dc)) return;
    const unsigned count = m_Points.GetCount();
    if (m_uLastDrawnPoint >= count) return;
    DrawMarkers(dc, m_uLastDrawnPoint, count - 1);
    m_uLastDrawnPoint = count;
}

bool CChartPointsSerie::HitTest(CPoint point, int& index) const
{
    index = -1;
    if (!m_bIsVisible || !HasAxes()) return false;
    unsigned first = 0;
    unsigned last = 0;
    if (!GetVisibleRange(first, last)) return false;
    const int dx = std::min(m_iPointWidth, kMaxHitDistance);
    const int dy = std::min(m_iPointHeight, kMaxHitDistance);
    for (unsigned i = first; i <= last; ++i) {
        const CPoint p = ValueToScreen(m_Points[i]);
        if (std::abs(point.x - p.x) <= dx && std::abs(point.y - p.y) <= dy) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void CChartPointsSerie::DrawLegendSymbol(CDC* dc, CRect rect)
{
    if (m_strSerieName.empty() || dc == nullptr) return;
    CRect marker = rect;
    if (m_iPointWidth < rect.Width() && m_iPointHeight < rect.Height()) {
        const CPoint c = rect.CenterPoint();
        marker = CRect(c.x - m_iPointWidth / 2, c.y - m_iPointHeight / 2, c.x - m_iPointWidth / 2 + m_iPointWidth,
                       c.y - m_iPointHeight / 2 + m_iPointHeight);
    }
    DrawMarker(dc, marker, false);
}
