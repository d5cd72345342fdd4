#pragma once
// Drawing of one net's decoded frames over the chart, apart from the window so that tests can
// hold it against a recording DC. The caller selects pen, font, colour and alignment.

#include "logic/async/AsyncDecode.h"

#include <functional>
#include <vector>

class CDC;

struct AsyncOverlayGeometry {
    // Screen points per stored sample (x_zoom_in / (x_zoom_out_hw * x_zoom_out_sw)) and the
    // first shown point.
    double points_per_sample = 1;
    double x_offset = 0;
    // The bottom axis: screen point (0..300) to pixel x.
    std::function<int(double)> x_of;
    int top = 0;
    int bottom = 0;
};

// Display modes as the display page numbers them: 1 start/stop ticks, 2 boxes, 3 boxes with
// values (where a box is wider than 10 pixels).
void DrawAsyncFrames(CDC& dc, const std::vector<AsyncPacket>& packets, int mode, int data_bits,
                     const AsyncOverlayGeometry& g);
