#pragma once
// Charts set up and filled the way the program's windows do it, without an instrument: the
// oscilloscope screen with analog and logic channels, a spectrum and a frequency response.
// velkaro-chartshot renders them to files and paper; tests and benchmarks use them too.

#include "platform/gdi/GdiTypes.h"

#include <memory>
#include <string>
#include <vector>

class CChartCtrl;

class ChartScene {
public:
    virtual ~ChartScene() = default;

    // The scene of that name ("scope", "logic", "spectrum", "response"); null for another name.
    static std::unique_ptr<ChartScene> Make(const std::string& name);
    static const std::vector<std::string>& Names();

    const std::string& Name() const { return name_; }
    // The chart window's size for this scene.
    virtual CSize Size() const = 0;
    // Sets up axes, series and legend on a chart whose window exists; then fills it.
    virtual void Setup(CChartCtrl& chart) = 0;
    // One refresh as the program's tick does it: with the chart's redraw suspended, Empty then
    // Fill; the chart redraws once at the end.
    void Refill();
    // The two halves of a refresh, for a caller that suspends the redraw itself: empty the data
    // series, and add their points again.
    virtual void Empty() = 0;
    virtual void Fill() = 0;
    CChartCtrl* Chart() const { return chart_; }

    explicit ChartScene(std::string name) : name_(std::move(name)) {}

protected:
    CChartCtrl* chart_ = nullptr;

private:
    std::string name_;
};
