#pragma once
// The right-button zoom window of the main chart: which finer time/div settings a window of a
// given width stands for. Widths are in screen points (the chart shows 300 across).

#include "core/data/OscData.h"

#include <cstdint>
#include <vector>

struct ZoomStep {
    std::uint8_t t_div;
    // Screen points of the present view that one screen of this setting would cover.
    std::int64_t width;
};

// One step per option, in the options' order. The present view's zoom is given as the model
// keeps it; an option (or a present view) whose zoom has a zero factor covers no known width
// and yields no step.
std::vector<ZoomStep> BuildZoomSteps(const std::vector<TDivOption>& options, std::int32_t zoomOutHw,
                                     std::int32_t zoomOutSw, std::int32_t zoomIn);

struct ZoomChoice {
    std::int64_t width = 0;  // signed: negative when the window was dragged to the left
    int index = 0;
};

// The step a window dragged `distance` points from its anchor picks: the nearest step width,
// the smallest below the first and the largest past the last. Steps must not be empty.
ZoomChoice ChooseZoomStep(const std::vector<ZoomStep>& steps, double distance);
