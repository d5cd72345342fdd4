#include "widgets/chart/ChartStandardAxis.h"

#include "widgets/chart/ChartCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Below this a step counts as none: the first tick is then simply the minimum.
constexpr double kNoStep = 1e-12;
// Whole steps added or taken while placing the first tick; it normally takes one or two.
constexpr int kMaxStepWalk = 1000;
// Keeps a value that sits on a step boundary (up to rounding) in its own interval.
constexpr double kStepEpsilon = 1e-10;

}  // namespace

std::string FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) return std::string();
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 15), value);
    std::string text = buffer;
    // A tick reached by adding steps may land a hair below zero; it still reads as zero.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

double CChartStandardAxis::GetFirstTickValue() const
{
    return m_bDiscrete ? m_FirstTickVal - m_TickIncrement : m_FirstTickVal;
}

bool CChartStandardAxis::GetNextTickValue(double current, double& next) const
{
    if (m_TickIncrement == 0) return false;
    next = current + m_TickIncrement;
    return next <= m_MaxValue;
}

int CChartStandardAxis::ValueToScreenStepped(double value) const
{
    if (m_TickIncrement == 0 || !std::isfinite(m_TickIncrement)) return ValueToScreenLinear(value);
    const double eps = value >= 0 ? kStepEpsilon : -kStepEpsilon;
    const double v = m_TickIncrement * std::trunc((value + eps) / m_TickIncrement) + m_TickIncrement * 0.5;
    return ValueToScreenLinear(v);
}

std::string CChartStandardAxis::GetTickLabel(double value) const { return FormatFixed(value, m_DecCount); }

void CChartStandardAxis::RefreshTickIncrement()
{
    if (!m_bAutoTicks) return;
    if (m_MaxValue == m_MinValue) {
        m_TickIncrement = 0;
        return;
    }
    const int length = SpanLength();
    const int n = m_bIsHorizontal ? length / 30 : length / 20;
    // Too short an axis for one tick per 30 (20) pixels: keep the step it has.
    if (n == 0) return;
    const double raw = (m_MaxValue - m_MinValue) / n;
    if (!std::isfinite(raw) || raw <= 0) return;
    const double e = std::floor(std::log10(raw));
    const double p = std::pow(10.0, e);
    int decimals = e < 0 ? static_cast<int>(std::min(-e, 300.0)) : 0;
    if (raw <= p) m_TickIncrement = p;
    else if (raw <= 2 * p) m_TickIncrement = 2 * p;
    else if (raw <= 5 * p) m_TickIncrement = 5 * p;
    else {
        m_TickIncrement = 10 * p;
        decimals = std::max(decimals - 1, 0);
    }
    m_DecCount = decimals;
}

void CChartStandardAxis::RefreshFirstTick()
{
    const double step = m_TickIncrement;
    const double min = m_MinValue;
    if (std::abs(step) <= kNoStep || !std::isfinite(step) || !std::isfinite(min)) {
        m_FirstTickVal = min;
        return;
    }
    if (min == 0) {
        m_FirstTickVal = 0;
        return;
    }
    double t = step * std::trunc(min / step);
    if (min > 0) {
        for (int i = 0; i < kMaxStepWalk && t < min; ++i) {
            const double next = t + step;
            if (next == t) break;
            t = next;
        }
        m_FirstTickVal = t;
        return;
    }
    for (int i = 0; i < kMaxStepWalk && min < t; ++i) {
        const double next = t - step;
        if (next == t) break;
        t = next;
    }
    m_FirstTickVal = t != min ? t + step : t;
}

void CChartStandardAxis::SetTickIncrement(bool automatic, double step)
{
    m_bAutoTicks = automatic;
    if (!automatic && std::isfinite(step)) m_TickIncrement = step;
    RedrawChart();
}

void CChartStandardAxis::SetDecimals(int decimals)
{
    m_DecCount = std::clamp(decimals, 0, 15);
    RedrawChart();
}
