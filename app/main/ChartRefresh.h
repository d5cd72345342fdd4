#pragma once
// What decides whether a tick redraws the main chart. A full redraw of the chart (grid, axes,
// every series, the overlay) and its copy to the screen are most of what the window costs, so
// a tick redraws it only when something on it changed: the traces are staged first and given
// to their series only when they differ from what the series hold, and the overlay is drawn
// into a recording first and compared with the one the chart shows.

#include "core/data/OscData.h"
#include "platform/gdi/RecordingDC.h"

#include <array>
#include <vector>

// The points of every trace series one tick draws, in the order they are added: line series
// take (x, y) pairs, band and logic series (x, low, high) triples. Points that are not finite
// are left out, as a series would not keep them.
struct TraceFill {
    using Points = std::vector<double>;
    // [trace][new, old data]
    std::array<std::array<Points, 2>, SCREEN_TRACES> line;
    std::array<std::array<Points, 2>, SCREEN_TRACES> band;
    // [new, old data][trace][logic line]
    std::array<std::array<std::array<Points, 8>, SCREEN_TRACES>, 2> logic;
    // Where the buffer limit stands (the end of an incomplete frame); negative: nowhere.
    double buffer_limit = -1;
    // The trail's newest generation, (x, y) pairs; drawn only when a generation starts, so it
    // plays no part in comparing two fills.
    std::array<Points, SCREEN_TRACES> trail;

    // Empties every list (keeping their room) and takes the buffer limit away.
    void Clear();
    // Adds a point (pair) to a list unless a value is not finite.
    static void Add(Points& to, double x, double y);
    static void AddPair(Points& to, double x, double low, double high);
    // Two fills draw the same traces: every series list and the buffer limit are equal.
    bool SameTraces(const TraceFill& other) const;
};

// Two recordings of drawing calls draw the same: the same calls with the same arguments, pens,
// brushes, fonts and colours, in the same order.
bool SameDrawing(const std::vector<GdiRecord>& a, const std::vector<GdiRecord>& b);
