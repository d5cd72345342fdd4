#pragma once
// Passes the main chart's mouse events on to the main window, which owns every drag.

#include "widgets/chart/ChartMouseListener.h"

class CVelkaroDlg;

class CCustomMouseListener : public CChartMouseListener {
public:
    explicit CCustomMouseListener(CVelkaroDlg* window) : window_(window) {}

    void OnMouseEventPlotArea(ChartMouseEvent event, int x, int y) override;
    // Only series that take clicks report here.
    void OnMouseEventSerie(ChartMouseEvent event, int x, int y, CChartSerie* serie, int pointIndex) override;

private:
    CVelkaroDlg* window_;
};
