#pragma once
// A logarithmic axis with a cached value-to-pixel mapping (see the fast standard axis).

#include "widgets/chart/ChartLogarithmicAxis.h"

class CChartFastLogarithmicAxis : public CChartLogarithmicAxis {
public:
    CChartFastLogarithmicAxis() = default;

    int ValueToScreen(double value) const override { return m_pMapping(*this, value); }
    virtual void PrepareMapping();
    bool IsPrepared() const { return m_bPrepared; }

protected:
    void MappingChanged() override;

private:
    using Mapping = int (*)(const CChartFastLogarithmicAxis&, double);
    static int MapUnprepared(const CChartFastLogarithmicAxis&, double) { return 0; }
    static int MapCentre(const CChartFastLogarithmicAxis& a, double) { return a.m_CentrePixel; }
    static int MapStepped(const CChartFastLogarithmicAxis& a, double v) { return a.ValueToScreenStepped(v); }
    static int MapRight(const CChartFastLogarithmicAxis& a, double v);
    static int MapLeft(const CChartFastLogarithmicAxis& a, double v);
    static int MapUp(const CChartFastLogarithmicAxis& a, double v);
    static int MapDown(const CChartFastLogarithmicAxis& a, double v);

    int m_CentrePixel = 0;
    double m_PixelsPerDecade = 0;
    Mapping m_pMapping = &MapUnprepared;
    bool m_bPrepared = false;
};
