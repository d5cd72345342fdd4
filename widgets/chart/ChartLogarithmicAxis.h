#pragma once
// A base-10 logarithmic axis with one tick per decade. It maps only a wholly positive range and
// fits itself to the positive values of its series.

#include "widgets/chart/ChartAxis.h"

class CChartLogarithmicAxis : public CChartAxis {
public:
    CChartLogarithmicAxis() = default;

    double ScreenToValue(int pixel) const override;
    double GetFirstTickValue() const override;
    bool GetNextTickValue(double current, double& next) const override;
    int ValueToScreenStepped(double value) const override;
    int ValueToScreenLinear(double value) const override;
    std::string GetTickLabel(double value) const override;
    void RefreshFirstTick() override;
    void GetScrollRange(int& count, int& position) const override;
    void ScrollSteps(int from, int to, bool backward) override;
    void PanPixels(int from, int to) override;
    void SetZoomRange(double min, double max) override;
    bool IsDegenerate() const override;
    bool GetSeriesExtents(double& lo, double& hi) const override;

    double GetFirstTick() const { return m_FirstTickVal; }

protected:
    bool HasTicks() const override { return m_MinValue > 0 && m_MaxValue > 0; }
    double m_FirstTickVal = 1;
};
