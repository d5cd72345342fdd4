#include "widgets/chart/ChartLogarithmicAxis.h"

#include "widgets/chart/ChartCtrl.h"
#include "widgets/chart/ChartSerie.h"
#include "widgets/chart/ChartStandardAxis.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMaxScrollCount = 1000000;

}  // namespace

bool CChartLogarithmicAxis::IsDegenerate() const
{
    return m_MinValue == m_MaxValue || !(m_MinValue > 0) || !(m_MaxValue > 0);
}

int CChartLogarithmicAxis::ValueToScreenLinear(double value) const
{
    if (IsDegenerate()) return ValueToScreen(value);
    const double span = std::log10(m_MaxValue) - std::log10(m_MinValue);
    const double d = std::floor((std::log10(value) - std::log10(m_MinValue)) * SpanLength() / span);
    // Zero and negative values lie infinitely far below the axis.
    if (std::isinf(d)) return PixelFromOffset(d < 0 ? -1e9 : 1e9);
    return PixelFromOffset(d);
}

double CChartLogarithmicAxis::ScreenToValue(int pixel) const
{
    const int length = SpanLength();
    if (IsDegenerate() || length == 0) return m_MinValue;
    const double lmin = std::log10(m_MinValue);
    const double lmax = std::log10(m_MaxValue);
    return std::pow(10.0, lmin + (lmax - lmin) * OffsetOfPixel(pixel) / length);
}

double CChartLogarithmicAxis::GetFirstTickValue() const
{
    return m_bDiscrete ? m_FirstTickVal / 10 : m_FirstTickVal;
}

bool CChartLogarithmicAxis::GetNextTickValue(double current, double& next) const
{
    next = current * 10;
    return next <= m_MaxValue;
}

int CChartLogarithmicAxis::ValueToScreenStepped(double value) const
{
    if (!(value > 0)) return ValueToScreenLinear(value);
    const int p1 = ValueToScreenLinear(std::pow(10.0, std::floor(std::log10(value))));
    const int p2 = ValueToScreenLinear(std::pow(10.0, std::floor(std::log10(10 * value))));
    return p1 + (p2 - p1) / 2;
}

std::string CChartLogarithmicAxis::GetTickLabel(double value) const
{
    const double g = std::log10(value);
    if (g > 6) return FormatFixed(value / 1e6, 0) + "M";
    if (g > 3) return FormatFixed(value / 1e3, 0) + "k";
    if (g < 0) return FormatFixed(value, static_cast<int>(std::trunc(std::abs(g) + 0.1)));
    return FormatFixed(value, 0);
}

void CChartLogarithmicAxis::RefreshFirstTick()
{
    m_FirstTickVal = m_MinValue > 0 ? std::pow(10.0, std::trunc(std::log10(m_MinValue))) : 1;
}

bool CChartLogarithmicAxis::GetSeriesExtents(double& lo, double& hi) const
{
    lo = hi = 0;
    bool any = false;
    for (const CChartSerie* s : m_pRelatedSeries) {
        double sLo = 0;
        double sHi = 0;
        if (!s->IsVisible() || !s->GetPositiveExtents(m_bIsHorizontal, sLo, sHi)) continue;
        lo = any ? std::min(lo, sLo) : sLo;
        hi = any ? std::max(hi, sHi) : sHi;
        any = true;
    }
    return any;
}

void CChartLogarithmicAxis::SetZoomRange(double min, double max)
{
    if (!(min > 0) || !(max > 0)) return;
    CChartAxis::SetZoomRange(min, max);
}

void CChartLogarithmicAxis::PanPixels(int from, int to)
{
    if (IsDegenerate()) return;
    const double r = ScreenToValue(from) / ScreenToValue(to);
    SetZoomRange(m_MinValue * r, m_MaxValue * r);
}

void CChartLogarithmicAxis::GetScrollRange(int& count, int& position) const
{
    count = 1;
    position = 1;
    double lo = 0;
    double hi = 0;
    GetSeriesExtents(lo, hi);
    if (IsDegenerate() || hi - lo == 0 || !(lo > 0)) return;
    const double s = std::log10(std::pow(m_MaxValue / m_MinValue, 0.1));
    if (s == 0 || !std::isfinite(s)) return;
    const double c = std::ceil(std::log10(hi / lo) / s);
    const double p = std::trunc(std::log10(m_MinValue / lo) / s);
    if (!std::isfinite(c) || !std::isfinite(p)) return;
    count = static_cast<int>(std::clamp(c, -kMaxScrollCount, kMaxScrollCount));
    position = static_cast<int>(std::clamp(p, -kMaxScrollCount, kMaxScrollCount));
}

void CChartLogarithmicAxis::ScrollSteps(int from, int to, bool backward)
{
    if (IsDegenerate()) return;
    const double f = std::pow(std::pow(m_MaxValue / m_MinValue, 0.1), static_cast<double>(to) - from);
    if (!(f > 0) || !std::isfinite(f)) return;
    if (backward) SetZoomRange(m_MinValue / f, m_MaxValue / f);
    else SetZoomRange(m_MinValue * f, m_MaxValue * f);
    if (m_pParentCtrl != nullptr) m_pParentCtrl->RefreshAxes();
}
