#pragma once
// Two lines through the mouse position across the plot area, with the values under them.

#include "widgets/chart/ChartCursor.h"

#include <string>

class CChartAxis;

class CChartCrossHairCursor : public CChartCursor {
public:
    CChartCrossHairCursor(CChartCtrl* parent, CChartAxis* horizontal, CChartAxis* vertical);

    void OnMouseMove(int x, int y) override;
    void Draw(CDC* dc) override;

    void ShowValues(bool show) { m_bShowValues = show; }
    bool ValuesShown() const { return m_bShowValues; }
    void SetAxes(CChartAxis* horizontal, CChartAxis* vertical);
    CChartAxis* GetHorizontalAxis() const { return m_pHorizontalAxis; }
    CChartAxis* GetVerticalAxis() const { return m_pVerticalAxis; }
    // Where the lines cross: the middle of the plot until the mouse first moves over it.
    CPoint GetPosition() const;
    // The values under the lines, on the axes as they are now.
    double GetXValue() const;
    double GetYValue() const;

    // The value as the cursor writes it for an axis of that kind; empty when it writes none.
    static std::string FormatValue(const CChartAxis* axis, double value);

private:
    double ValueAt(const CChartAxis* axis, int pixel) const;
    // The text for one axis, empty when none is written.
    std::string TextFor(const CChartAxis* axis, int pixel) const;

    CChartAxis* m_pHorizontalAxis;
    CChartAxis* m_pVerticalAxis;
    // Where the mouse last moved; unused until it has.
    int m_lXPos = 0;
    int m_lYPos = 0;
    bool m_bShowValues = false;
    bool m_bMouseMoved = false;
};
