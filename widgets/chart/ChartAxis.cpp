#include "widgets/chart/ChartAxis.h"

#include "widgets/chart/ChartAxisLabel.h"
#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartGrid.h"
#include "widgets/chart/ChartScrollBar.h"
#include "widgets/chart/ChartSerie.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A scroll bar of more positions than this would only mean a span far narrower than the data.
constexpr double kMaxScrollCount = 1000000;

}  // namespace

int ClampPixel(double pixel, int fallback)
{
    if (std::isnan(pixel)) return fallback;
    return static_cast<int>(std::clamp(pixel, -32768.0, 32767.0));
}

CChartAxis::CChartAxis() : m_pAxisGrid(new CChartGrid()), m_pAxisLabel(new CChartAxisLabel()) {}

CChartAxis::~CChartAxis()
{
    // Series keep pointers to their axes; the chart rebinds or drops them before this runs.
    delete m_pAxisGrid;
    delete m_pAxisLabel;
    if (m_pScrollBar != nullptr) {
        if (m_pScrollBar->GetSafeHwnd() != nullptr) m_pScrollBar->DestroyWindow();
        delete m_pScrollBar;
    }
}

void CChartAxis::SetParent(CChartCtrl* chart)
{
    m_pParentCtrl = chart;
    m_pAxisGrid->SetParent(chart);
    m_pAxisLabel->SetParent(chart);
}

void CChartAxis::RedrawChart()
{
    if (m_pParentCtrl != nullptr) m_pParentCtrl->Redraw();
}

// ---- mapping --------------------------------------------------------------------------------------

int CChartAxis::SpanLength() const
{
    return static_cast<int>(std::min<long long>(std::llabs(static_cast<long long>(m_EndPos) - m_StartPos), 1 << 30));
}

int CChartAxis::PixelFromOffset(double d) const
{
    if (std::isnan(d)) return ClampPixel(m_StartPos, 0);
    double p;
    if (m_bIsHorizontal) p = m_bIsInverted ? m_EndPos - d : m_StartPos + d;
    else p = m_bIsInverted ? m_EndPos + d : m_StartPos - d;
    return ClampPixel(p, m_StartPos);
}

int CChartAxis::OffsetOfPixel(int pixel) const
{
    if (m_bIsHorizontal) return m_bIsInverted ? m_EndPos - pixel : pixel - m_StartPos;
    return m_bIsInverted ? pixel - m_EndPos : m_StartPos - pixel;
}

int CChartAxis::ValueToScreen(double value) const
{
    if (IsDegenerate()) {
        const int c = static_cast<int>(std::abs((static_cast<double>(m_EndPos) - m_StartPos) * 0.5));
        return ClampPixel(m_bIsHorizontal ? m_StartPos + static_cast<double>(c) : m_StartPos - static_cast<double>(c), m_StartPos);
    }
    return m_bDiscrete ? ValueToScreenStepped(value) : ValueToScreenLinear(value);
}

int CChartAxis::ValueToScreenLinear(double value) const
{
    if (IsDegenerate()) return ValueToScreen(value);
    const double d = std::floor(SpanLength() * (value - m_MinValue) / (m_MaxValue - m_MinValue));
    return PixelFromOffset(d);
}

double CChartAxis::ScreenToValue(int pixel) const
{
    const int length = SpanLength();
    if (IsDegenerate() || length == 0) return m_MinValue;
    return m_MinValue + static_cast<double>(OffsetOfPixel(pixel)) / length * (m_MaxValue - m_MinValue);
}

void CChartAxis::SetStepMapping(bool stepped)
{
    m_bDiscrete = stepped;
    MappingChanged();
    RedrawChart();
}

void CChartAxis::SetPixelSpan(int start, int end)
{
    const bool changed = start != m_StartPos || end != m_EndPos;
    m_StartPos = start;
    m_EndPos = end;
    if (changed) MappingChanged();
}

// ---- range ----------------------------------------------------------------------------------------

void CChartAxis::ApplyRange(double min, double max)
{
    m_MinValue = min;
    m_MaxValue = max;
    MappingChanged();
}

void CChartAxis::SetMinMax(double min, double max)
{
    m_UnzoomMin = min;
    m_UnzoomMax = max;
    ApplyRange(min, max);
    RefreshScrollBar();
    RedrawChart();
}

void CChartAxis::SetAutomatic(bool automatic)
{
    m_AutoMode = automatic ? Automatic : Manual;
    if (automatic) UpdateAutoRange();
}

void CChartAxis::UndoZoom()
{
    ApplyRange(m_UnzoomMin, m_UnzoomMax);
    RefreshScrollBar();
    RedrawChart();
}

bool CChartAxis::GetSeriesExtents(double& lo, double& hi) const
{
    lo = hi = 0;
    bool any = false;
    // The first series seeds the extents only when it can; otherwise 0 stays in the range.
    for (size_t i = 0; i < m_pRelatedSeries.size(); ++i) {
        const CChartSerie* s = m_pRelatedSeries[i];
        if (!s->IsVisible() || s->GetPointsCount() == 0) continue;
        const double sLo = m_bIsHorizontal ? s->GetXMin() : s->GetYMin();
        const double sHi = m_bIsHorizontal ? s->GetXMax() : s->GetYMax();
        if (i == 0) {
            lo = sLo;
            hi = sHi;
        } else {
            lo = std::min(lo, sLo);
            hi = std::max(hi, sHi);
        }
        any = true;
    }
    return any;
}

void CChartAxis::UpdateAutoRange()
{
    RefreshScrollBar();
    if (m_AutoMode != Automatic) return;
    double lo = 0;
    double hi = 0;
    GetSeriesExtents(lo, hi);
    if (lo != m_MinValue || hi != m_MaxValue) {
        m_UnzoomMin = lo;
        m_UnzoomMax = hi;
        ApplyRange(lo, hi);
        RefreshScrollBar();
        RedrawChart();
    }
}

void CChartAxis::SetZoomRange(double min, double max)
{
    if (!m_bZoomEnabled || IsDegenerate()) return;
    if (!std::isfinite(min) || !std::isfinite(max)) return;
    ApplyRange(min, std::max(max, min + m_dZoomLimit));
    RefreshScrollBar();
}

void CChartAxis::PanPixels(int from, int to)
{
    if (IsDegenerate()) return;
    const double d = ScreenToValue(from) - ScreenToValue(to);
    SetZoomRange(m_MinValue + d, m_MaxValue + d);
}

void CChartAxis::GetScrollRange(int& count, int& position) const
{
    count = 1;
    position = 1;
    double lo = 0;
    double hi = 0;
    GetSeriesExtents(lo, hi);
    const double span = m_MaxValue - m_MinValue;
    if (span == 0 || hi - lo == 0) return;
    const double c = std::ceil((hi - lo) / (span / 10));
    if (!std::isfinite(c)) return;
    const double capped = std::clamp(c, -kMaxScrollCount, kMaxScrollCount);
    const double p = std::trunc((m_MinValue - lo) / (hi - lo) * capped);
    count = static_cast<int>(capped);
    position = std::isfinite(p) ? static_cast<int>(std::clamp(p, -kMaxScrollCount, kMaxScrollCount)) : 1;
}

void CChartAxis::ScrollSteps(int from, int to, bool backward)
{
    if (IsDegenerate()) return;
    const double f = (m_MaxValue - m_MinValue) / 10 * (static_cast<double>(to) - from);
    if (backward) SetZoomRange(m_MinValue - f, m_MaxValue - f);
    else SetZoomRange(m_MinValue + f, m_MaxValue + f);
    if (m_pParentCtrl != nullptr) m_pParentCtrl->RefreshAxes();
}

// ---- series ---------------------------------------------------------------------------------------

void CChartAxis::RegisterSerie(CChartSerie* serie)
{
    if (serie == nullptr) return;
    if (std::find(m_pRelatedSeries.begin(), m_pRelatedSeries.end(), serie) == m_pRelatedSeries.end())
        m_pRelatedSeries.push_back(serie);
}

void CChartAxis::UnregisterSerie(CChartSerie* serie)
{
    m_pRelatedSeries.erase(std::remove(m_pRelatedSeries.begin(), m_pRelatedSeries.end(), serie), m_pRelatedSeries.end());
}

// ---- settings -------------------------------------------------------------------------------------

void CChartAxis::SetHorizontal(bool horizontal)
{
    m_bIsHorizontal = horizontal;
    m_pAxisGrid->SetHorizontal(horizontal);
    m_pAxisLabel->SetHorizontal(horizontal);
    MappingChanged();
}

void CChartAxis::SetInverted(bool inverted)
{
    m_bIsInverted = inverted;
    MappingChanged();
    RefreshScrollBar();
    RedrawChart();
}

void CChartAxis::SetSecondary(bool secondary)
{
    m_bIsSecondary = secondary;
    RedrawChart();
}

void CChartAxis::SetVisible(bool visible)
{
    m_bIsVisible = visible;
    RedrawChart();
}

void CChartAxis::SetFont(int pointSize, const std::string& faceName)
{
    m_nFontSize = pointSize;
    m_strFontName = faceName;
    RedrawChart();
}

void CChartAxis::SetTextColor(COLORREF color)
{
    m_TextColor = color;
    RedrawChart();
}

void CChartAxis::SetAxisColor(COLORREF color)
{
    m_AxisColor = color;
    RedrawChart();
}

void CChartAxis::SetAutoTicks(bool automatic)
{
    m_bAutoTicks = automatic;
    RedrawChart();
}

void CChartAxis::SetTickLabelsVisible(bool visible)
{
    m_bTickLabelsVisible = visible;
    RedrawChart();
}

void CChartAxis::SetMarginSize(bool automatic, int margin)
{
    m_bAutoMargin = automatic;
    m_iMarginSize = margin;
    RedrawChart();
}

// ---- scroll bar -----------------------------------------------------------------------------------

void CChartAxis::CreateScrollBar()
{
    if (m_pParentCtrl == nullptr || m_pParentCtrl->GetSafeHwnd() == nullptr || m_pScrollBar != nullptr) return;
    auto* bar = new CChartScrollBar(this);
    if (!bar->CreateScrollBar(m_pParentCtrl->GetPlottingRect())) {
        delete bar;
        return;
    }
    m_pScrollBar = bar;
}

void CChartAxis::EnableScrollBar(bool enabled)
{
    if (m_pScrollBar == nullptr) return;
    m_pScrollBar->SetEnabled(enabled);
    if (enabled) {
        m_pScrollBar->UpdateFromAxis();
        if (!m_pScrollBar->GetAutoHide()) m_pScrollBar->ShowWindow(SW_SHOW);
    } else {
        m_pScrollBar->ShowWindow(SW_HIDE);
    }
}

void CChartAxis::SetAutoHideScrollBar(bool autoHide)
{
    if (m_pScrollBar == nullptr) return;
    m_pScrollBar->SetAutoHide(autoHide);
    if (m_pScrollBar->IsEnabled()) m_pScrollBar->ShowWindow(autoHide ? SW_HIDE : SW_SHOW);
}

void CChartAxis::RefreshScrollBar()
{
    if (m_pScrollBar != nullptr) m_pScrollBar->UpdateFromAxis();
}
