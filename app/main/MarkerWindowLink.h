#pragma once
// What the main window asks of the marker window. The main window cannot know that window's
// class (the tool windows are built on top of it), so the marker window offers these calls and
// the main window finds them on whatever sits in its marker slot.
//
// Positions are chart units: vx in screen points, vy in screen sample units.

class CChartCtrl;
class CChartSerie;
struct ScreenSnapshot;

class MarkerWindowLink {
public:
    virtual ~MarkerWindowLink() = default;

    // Chart set-up: the window makes its marker lines and readout points on `chart`.
    virtual void AttachToChart(CChartCtrl* chart) = 0;
    // End of every tick: the channels under the vertical markers, read from `screen`.
    virtual void UpdateVerticalMarkerReadouts(const ScreenSnapshot& screen) = 0;

    // Chart mouse handling: a press on `series` grabs the marker it draws (false for any other
    // series); a drag moves the grabbed marker (false when none is held); the button going up
    // lets go of all of them.
    virtual bool GrabMarker(double vx, double vy, const CChartSerie* series) = 0;
    virtual bool DragMarker(double vx, double vy) = 0;
    virtual bool IsMarkerGrabbed() const = 0;
    virtual void ReleaseMarkers() = 0;
};
