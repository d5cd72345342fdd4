#pragma once
// A standard axis that caches its value-to-pixel mapping for the high-rate traces: one function
// chosen by PrepareMapping serves every point. Once prepared, the mapping follows every layout
// and range change by itself; before that every value maps to pixel 0.

#include "widgets/chart/ChartStandardAxis.h"

class CChartFastStandardAxis : public CChartStandardAxis {
public:
    CChartFastStandardAxis() = default;

    int ValueToScreen(double value) const override { return m_pMapping(*this, value); }
    virtual void PrepareMapping();
    bool IsPrepared() const { return m_bPrepared; }

protected:
    void MappingChanged() override;

private:
    using Mapping = int (*)(const CChartFastStandardAxis&, double);
    static int MapUnprepared(const CChartFastStandardAxis&, double) { return 0; }
    static int MapCentre(const CChartFastStandardAxis& a, double) { return a.m_CentrePixel; }
    static int MapStepped(const CChartFastStandardAxis& a, double v) { return a.ValueToScreenStepped(v); }
    static int MapRight(const CChartFastStandardAxis& a, double v);
    static int MapLeft(const CChartFastStandardAxis& a, double v);
    static int MapUp(const CChartFastStandardAxis& a, double v);
    static int MapDown(const CChartFastStandardAxis& a, double v);

    int m_CentrePixel = 0;
    double m_PixelsPerUnit = 0;
    Mapping m_pMapping = &MapUnprepared;
    bool m_bPrepared = false;
};
