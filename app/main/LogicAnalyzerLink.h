#pragma once
// What the main window asks of the logic analyser window. The main window cannot know that
// window's class (the logic windows are built on top of it), so the logic analyser offers these
// calls and the main window finds them on whatever sits in its slot.

class CChartCtrl;
class CDC;

class LogicAnalyzerLink {
public:
    virtual ~LogicAnalyzerLink() = default;

    // From the chart's paint callback, clipped to the plot: the decoders paint their results
    // over `chart`, the synchronous one first.
    virtual void DrawDecoderOverlays(CDC& dc, CChartCtrl& chart) = 0;
    // The acquisition runs again: the decoded results no longer match the screen.
    virtual void ClearDecoderResults() = 0;
};
