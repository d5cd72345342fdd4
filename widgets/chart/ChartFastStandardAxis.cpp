#include "widgets/chart/ChartFastStandardAxis.h"

#include <cmath>

namespace {

// (x - min) * k toward zero, kept to pixel range; NaN counts as no offset.
inline double Offset(double x, double min, double k)
{
    const double u = std::trunc((x - min) * k);
    return std::isnan(u) ? 0.0 : u;
}

}  // namespace

void CChartFastStandardAxis::PrepareMapping()
{
    m_bPrepared = true;
    if (m_MinValue == m_MaxValue) {
        const int c = static_cast<int>(std::abs((static_cast<double>(m_EndPos) - m_StartPos) * 0.5));
        m_CentrePixel = ClampPixel(m_bIsHorizontal ? static_cast<double>(m_StartPos) + c : static_cast<double>(m_StartPos) - c, 0);
        m_pMapping = &MapCentre;
        return;
    }
    if (m_bDiscrete) {
        m_pMapping = &MapStepped;
        return;
    }
    m_PixelsPerUnit = SpanLength() / (m_MaxValue - m_MinValue);
    if (m_bIsHorizontal) m_pMapping = m_bIsInverted ? &MapLeft : &MapRight;
    else m_pMapping = m_bIsInverted ? &MapDown : &MapUp;
}

void CChartFastStandardAxis::MappingChanged()
{
    if (m_bPrepared) PrepareMapping();
}

int CChartFastStandardAxis::MapRight(const CChartFastStandardAxis& a, double v)
{
    return ClampPixel(a.m_StartPos + Offset(v, a.m_MinValue, a.m_PixelsPerUnit), a.m_StartPos);
}

int CChartFastStandardAxis::MapLeft(const CChartFastStandardAxis& a, double v)
{
    return ClampPixel(a.m_EndPos - Offset(v, a.m_MinValue, a.m_PixelsPerUnit), a.m_StartPos);
}

int CChartFastStandardAxis::MapUp(const CChartFastStandardAxis& a, double v)
{
    return ClampPixel(a.m_StartPos - Offset(v, a.m_MinValue, a.m_PixelsPerUnit), a.m_StartPos);
}

int CChartFastStandardAxis::MapDown(const CChartFastStandardAxis& a, double v)
{
    return ClampPixel(a.m_EndPos + Offset(v, a.m_MinValue, a.m_PixelsPerUnit), a.m_StartPos);
}
