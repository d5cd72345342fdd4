#pragma once
// A linear axis with a decimal tick step (1, 2 or 5 times a power of ten when automatic).

#include "widgets/chart/ChartAxis.h"

class CChartStandardAxis : public CChartAxis {
public:
    CChartStandardAxis() = default;

    double GetFirstTickValue() const override;
    bool GetNextTickValue(double current, double& next) const override;
    int ValueToScreenStepped(double value) const override;
    std::string GetTickLabel(double value) const override;
    void RefreshTickIncrement() override;
    void RefreshFirstTick() override;

    // A manual step turns the automatic step off.
    void SetTickIncrement(bool automatic, double step);
    double GetTickIncrement() const { return m_TickIncrement; }
    void SetDecimals(int decimals);
    int GetDecimals() const { return m_DecCount; }
    double GetFirstTick() const { return m_FirstTickVal; }

protected:
    double m_FirstTickVal = 0;
    double m_TickIncrement = 1.0;
    int m_DecCount = 0;
};

// Fixed notation with `decimals` digits (kept within 0..15), without a sign on a zero.
std::string FormatFixed(double value, int decimals);
