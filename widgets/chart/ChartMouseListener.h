#pragma once
// What a host implements to hear about mouse activity on a chart. Every slot does nothing by
// default; x and y are client pixels of the chart.

class CChartAxis;
class CChartSerie;

enum ChartMouseEvent {
    MouseMove = 0,
    LButtonUp = 1,
    LButtonDown = 2,
    LButtonDoubleClick = 3,
    RButtonUp = 4,
    RButtonDown = 5,
    RButtonDoubleClick = 6,
};

class CChartMouseListener {
public:
    virtual ~CChartMouseListener() = default;
    virtual void OnMouseEventTitle(ChartMouseEvent, int /*x*/, int /*y*/) {}
    virtual void OnMouseEventAxis(ChartMouseEvent, int /*x*/, int /*y*/, CChartAxis*) {}
    virtual void OnMouseEventLegend(ChartMouseEvent, int /*x*/, int /*y*/) {}
    virtual void OnMouseEventPlotArea(ChartMouseEvent, int /*x*/, int /*y*/) {}
    virtual void OnMouseEventSerie(ChartMouseEvent, int /*x*/, int /*y*/, CChartSerie*, int /*pointIndex*/) {}
};
