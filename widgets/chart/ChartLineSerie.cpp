#include "widgets/chart/ChartLineSerie.h"

#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// How close (in pixels) a click must come to a segment, and to a point to name it.
constexpr double kSegmentTolerance = 3;
constexpr int kPointTolerance = 5;

CPoint Shifted(CPoint p, int d) { return CPoint(p.x + d, p.y + d); }

long RoundPixel(double v) { return static_cast<long>(std::lround(std::clamp(v, -1e9, 1e9))); }

// Thomas algorithm for a tridiagonal system a[i] x[i-1] + b[i] x[i] + c[i] x[i+1] = r[i].
std::vector<double> SolveTridiagonal(std::vector<double> a, std::vector<double> b, std::vector<double> c, std::vector<double> r)
{
    const size_t n = b.size();
    for (size_t i = 1; i < n; ++i) {
        const double m = a[i] / b[i - 1];
        b[i] -= m * c[i - 1];
        r[i] -= m * r[i - 1];
    }
    std::vector<double> x(n);
    x[n - 1] = r[n - 1] / b[n - 1];
    for (size_t i = n - 1; i-- > 0;) x[i] = (r[i] - c[i] * x[i + 1]) / b[i];
    return x;
}

}  // namespace

CChartLineSerie::CChartLineSerie(CChartCtrl* parent) : CChartSerie(parent)
{
    m_bShadow = false;
    RebuildPens();
}

void CChartLineSerie::RebuildPens()
{
    m_NewPen.DeleteObject();
    m_ShadowPen.DeleteObject();
    if (m_iPenStyle == PS_SOLID) {
        m_NewPen.CreatePen(PS_SOLID, m_iLineWidth, m_SerieColor);
        m_ShadowPen.CreatePen(PS_SOLID, m_iLineWidth, m_ShadowColor);
        return;
    }
    LOGBRUSH line{BS_SOLID, m_SerieColor, 0};
    LOGBRUSH shadow{BS_SOLID, m_ShadowColor, 0};
    const DWORD* pattern = m_pDashPattern.empty() ? nullptr : m_pDashPattern.data();
    const int count = m_iPenStyle == PS_USERSTYLE ? static_cast<int>(m_pDashPattern.size()) : 0;
    m_NewPen.CreatePen(PS_GEOMETRIC | m_iPenStyle, m_iLineWidth, &line, count, count > 0 ? pattern : nullptr);
    m_ShadowPen.CreatePen(PS_GEOMETRIC | m_iPenStyle, m_iLineWidth, &shadow, count, count > 0 ? pattern : nullptr);
}

void CChartLineSerie::SetColor(COLORREF color)
{
    m_SerieColor = color;
    RebuildPens();
    RedrawChart();
}

void CChartLineSerie::SetSecondaryColor(COLORREF color)
{
    m_ShadowColor = color;
    RebuildPens();
    RedrawChart();
}

void CChartLineSerie::SetWidth(int width)
{
    m_iLineWidth = width;
    RebuildPens();
    RedrawChart();
}

void CChartLineSerie::SetPenStyle(int style)
{
    m_iPenStyle = style;
    RebuildPens();
    RedrawChart();
}

void CChartLineSerie::SetSmooth(bool smooth)
{
    m_bSmooth = smooth;
    RedrawChart();
}

void CChartLineSerie::SetDashPattern(unsigned count, const DWORD* pattern)
{
    if (pattern == nullptr) count = 0;
    m_pDashPattern.assign(pattern, pattern + count);
    m_iPenStyle = PS_USERSTYLE;
    RebuildPens();
    RedrawChart();
}

std::vector<CPoint> CChartLineSerie::BezierPoints(const std::vector<CPoint>& knots)
{
    std::vector<CPoint> out;
    const size_t n = knots.size();
    if (n < 2) return out;
    if (n == 2) {
        // One segment: the straight line, its controls at a third and two thirds.
        const CPoint k0 = knots[0];
        const CPoint k1 = knots[1];
        out.push_back(k0);
        out.emplace_back(RoundPixel(k0.x + (k1.x - k0.x) / 3.0), RoundPixel(k0.y + (k1.y - k0.y) / 3.0));
        out.emplace_back(RoundPixel(k0.x + 2.0 * (k1.x - k0.x) / 3.0), RoundPixel(k0.y + 2.0 * (k1.y - k0.y) / 3.0));
        out.push_back(k1);
        return out;
    }
    const size_t m = n - 1;  // segments, and first control points P1[0 .. m-1]
    std::vector<double> a(m, 1.0);
    std::vector<double> b(m, 4.0);
    std::vector<double> c(m, 1.0);
    b[0] = 2.0;
    b[m - 1] = 2.0;
    a[0] = 0.0;
    c[m - 1] = 0.0;
    std::vector<double> p1[2];
    for (int axis = 0; axis < 2; ++axis) {
        auto k = [&](size_t i) { return static_cast<double>(axis == 0 ? knots[i].x : knots[i].y); };
        std::vector<double> r(m);
        r[0] = k(0) + 2 * k(1);
        for (size_t i = 1; i + 1 < m; ++i) r[i] = 4 * k(i) + 2 * k(i + 1);
        r[m - 1] = 3 * k(m - 1);
        p1[axis] = SolveTridiagonal(a, b, c, r);
    }
    out.reserve(3 * n - 2);
    for (size_t i = 0; i < m; ++i) {
        double p2x;
        double p2y;
        if (i + 1 < m) {
            p2x = 2.0 * knots[i + 1].x - p1[0][i + 1];
            p2y = 2.0 * knots[i + 1].y - p1[1][i + 1];
        } else {
            p2x = (knots[n - 1].x + p1[0][i]) / 2;
            p2y = (knots[n - 1].y + p1[1][i]) / 2;
        }
        out.push_back(knots[i]);
        out.emplace_back(RoundPixel(p1[0][i]), RoundPixel(p1[1][i]));
        out.emplace_back(RoundPixel(p2x), RoundPixel(p2y));
    }
    out.push_back(knots[n - 1]);
    return out;
}

void CChartLineSerie::DrawAll(CDC* dc)
{
    if (!CanDraw(dc)) return;
    unsigned first = 0;
    unsigned last = 0;
    if (!GetVisibleRange(first, last)) return;
    const unsigned count = m_Points.GetCount();
    if (first > 0) --first;
    if (last < count - 1) ++last;
    if (first >= last) return;

    const int oldBk = dc->SetBkMode(TRANSPARENT);
    dc->IntersectClipRect(&m_PlottingRect);
    CPen* oldPen = dc->SelectObject(&m_NewPen);

    if (!m_bSmooth) {
        std::vector<CPoint> pts;
        pts.reserve(last - first + 1);
        for (unsigned i = first; i <= last; ++i) {
            const CPoint p = ValueToScreen(m_Points[i]);
            if (pts.empty() || pts.back() != p) pts.push_back(p);
        }
        if (m_bShadow) {
            std::vector<CPoint> shadow(pts);
            for (CPoint& p : shadow) p = Shifted(p, m_iShadowDepth);
            dc->SelectObject(&m_ShadowPen);
            dc->Polyline(shadow.data(), static_cast<int>(shadow.size()));
            dc->SelectObject(&m_NewPen);
        }
        dc->Polyline(pts.data(), static_cast<int>(pts.size()));
        m_uLastDrawnPoint = last;
    } else {
        std::vector<CPoint> knots;
        knots.reserve(count);
        for (unsigned i = 0; i < count; ++i) knots.push_back(ValueToScreen(m_Points[i]));
        const std::vector<CPoint> bezier = BezierPoints(knots);
        if (!bezier.empty()) {
            if (m_bShadow) {
                std::vector<CPoint> shadow(bezier);
                for (CPoint& p : shadow) p = Shifted(p, m_iShadowDepth);
                dc->SelectObject(&m_ShadowPen);
                dc->PolyBezier(shadow.data(), static_cast<int>(shadow.size()));
                dc->SelectObject(&m_NewPen);
            }
            dc->PolyBezier(bezier.data(), static_cast<int>(bezier.size()));
        }
    }

    dc->SelectClipRgn(nullptr);
    dc->SelectObject(oldPen);
    dc->SetBkMode(oldBk);
}

void CChartLineSerie::DrawNewPoints(CDC* dc)
{
    if (!m_bIsVisible) return;
    if (m_bShadow || m_bSmooth) {
        DrawAll(dc);
        return;
    }
    if (!CanDraw(dc)) return;
    const unsigned count = m_Points.GetCount();
    if (count == 0 || m_uLastDrawnPoint >= count - 1) return;
    const int oldBk = dc->SetBkMode(TRANSPARENT);
    const CRect plot = m_pParentCtrl != nullptr ? m_pParentCtrl->GetPlottingRect() : m_PlottingRect;
    dc->IntersectClipRect(&plot);
    CPen* oldPen = dc->SelectObject(&m_NewPen);
    std::vector<CPoint> pts;
    pts.reserve(count - m_uLastDrawnPoint);
    for (unsigned i = m_uLastDrawnPoint; i < count; ++i) pts.push_back(ValueToScreen(m_Points[i]));
    dc->Polyline(pts.data(), static_cast<int>(pts.size()));
    m_uLastDrawnPoint = count - 1;
    dc->SelectClipRgn(nullptr);
    dc->SelectObject(oldPen);
    dc->SetBkMode(oldBk);
}

bool CChartLineSerie::HitTest(CPoint point, int& index) const
{
    index = -1;
    if (!m_bIsVisible || !HasAxes()) return false;
    unsigned first = 0;
    unsigned last = 0;
    if (!GetVisibleRange(first, last)) return false;
    const unsigned count = m_Points.GetCount();
    if (first > 0) --first;
    if (last < count - 1) ++last;
    for (unsigned i = first; i < last; ++i) {
        const CPoint a = ValueToScreen(m_Points[i]);
        const CPoint b = ValueToScreen(m_Points[i + 1]);
        const double dx = static_cast<double>(b.x) - a.x;
        const double dy = static_cast<double>(b.y) - a.y;
        const double length2 = dx * dx + dy * dy;
        if (length2 == 0) continue;
        const double t = ((static_cast<double>(point.x) - a.x) * dx + (static_cast<double>(point.y) - a.y) * dy) / length2;
        if (t < 0 || t > 1) continue;
        if (std::abs(point.x - (a.x + t * dx)) > kSegmentTolerance || std::abs(point.y - (a.y + t * dy)) > kSegmentTolerance)
            continue;
        if (std::abs(point.x - a.x) <= kPointTolerance && std::abs(point.y - a.y) <= kPointTolerance) index = static_cast<int>(i);
        if (std::abs(point.x - b.x) <= kPointTolerance && std::abs(point.y - b.y) <= kPointTolerance) index = static_cast<int>(i + 1);
        return true;
    }
    return false;
}

void CChartLineSerie::DrawLegendSymbol(CDC* dc, CRect rect)
{
    if (m_strSerieName.empty() || dc == nullptr) return;
    CPen* old = dc->SelectObject(&m_NewPen);
    const int middle = (rect.top + rect.bottom) / 2;
    dc->MoveTo(rect.left, middle);
    dc->LineTo(rect.right, middle);
    dc->SelectObject(old);
}
