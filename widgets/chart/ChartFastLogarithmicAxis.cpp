#include "widgets/chart/ChartFastLogarithmicAxis.h"

#include <cmath>

namespace {

// floor((log10 x - log10 min) * k); values at or below zero lie far below the axis.
inline double Offset(double x, double logMin, double k)
{
    if (std::isnan(x)) return 0.0;
    if (!(x > 0)) return -1e9;
    return std::floor((std::log10(x) - logMin) * k);
}

}  // namespace

void CChartFastLogarithmicAxis::PrepareMapping()
{
    m_bPrepared = true;
    if (IsDegenerate()) {
        const int c = static_cast<int>(std::abs((static_cast<double>(m_EndPos) - m_StartPos) * 0.5));
        m_CentrePixel = ClampPixel(m_bIsHorizontal ? static_cast<double>(m_StartPos) + c : static_cast<double>(m_StartPos) - c, 0);
        m_pMapping = &MapCentre;
        return;
    }
    if (m_bDiscrete) {
        m_pMapping = &MapStepped;
        return;
    }
    m_PixelsPerDecade = SpanLength() / (std::log10(m_MaxValue) - std::log10(m_MinValue));
    if (m_bIsHorizontal) m_pMapping = m_bIsInverted ? &MapLeft : &MapRight;
    else m_pMapping = m_bIsInverted ? &MapDown : &MapUp;
}

void CChartFastLogarithmicAxis::MappingChanged()
{
    if (m_bPrepared) PrepareMapping();
}

int CChartFastLogarithmicAxis::MapRight(const CChartFastLogarithmicAxis& a, double v)
{
    return ClampPixel(a.m_StartPos + Offset(v, std::log10(a.m_MinValue), a.m_PixelsPerDecade), a.m_StartPos);
}

int CChartFastLogarithmicAxis::MapLeft(const CChartFastLogarithmicAxis& a, double v)
{
    return ClampPixel(a.m_EndPos - Offset(v, std::log10(a.m_MinValue), a.m_PixelsPerDecade), a.m_StartPos);
}

int CChartFastLogarithmicAxis::MapUp(const CChartFastLogarithmicAxis& a, double v)
{
    return ClampPixel(a.m_StartPos - Offset(v, std::log10(a.m_MinValue), a.m_PixelsPerDecade), a.m_StartPos);
}

int CChartFastLogarithmicAxis::MapDown(const CChartFastLogarithmicAxis& a, double v)
{
    return ClampPixel(a.m_EndPos + Offset(v, std::log10(a.m_MinValue), a.m_PixelsPerDecade), a.m_StartPos);
}
