#include "app/main/ChartZoom.h"

#include <cmath>

namespace {
constexpr std::int64_t kScreenWidth = 300;
}

std::vector<ZoomStep> BuildZoomSteps(const std::vector<TDivOption>& options, std::int32_t zoomOutHw,
                                     std::int32_t zoomOutSw, std::int32_t zoomIn)
{
    std::vector<ZoomStep> steps;
    if (zoomOutHw == 0 || zoomOutSw == 0)
        return steps;
    steps.reserve(options.size());
    for (const TDivOption& o : options)
    {
        if (o.x_zoom_in == 0)
            continue;
        // Left to right in integers, as the marks on screen must match the settings exactly;
        // 64 bits keep a coarse option's product from wrapping.
        std::int64_t w = std::int64_t{o.x_zoom_out_sw} * o.x_zoom_out_hw;
        w = w * zoomIn * kScreenWidth;
        w = w / o.x_zoom_in / zoomOutHw / zoomOutSw;
        steps.push_back(ZoomStep{static_cast<std::uint8_t>(o.t_div), w});
    }
    return steps;
}

ZoomChoice ChooseZoomStep(const std::vector<ZoomStep>& steps, double distance)
{
    ZoomChoice choice;
    if (steps.empty())
        return choice;
    const double c = std::fabs(distance);
    const std::int64_t sign = distance < 0 ? -1 : 1;
    std::size_t i = 0;
    while (i < steps.size() && !(static_cast<double>(steps[i].width) > c))
        ++i;
    if (i == 0)
        choice.index = 0;
    else if (i == steps.size())
        choice.index = static_cast<int>(i - 1);
    else
    {
        const std::int64_t w0 = steps[i - 1].width;
        const std::int64_t w1 = steps[i].width;
        choice.index = c > static_cast<double>(w0 + (w1 - w0) / 2) ? static_cast<int>(i) : static_cast<int>(i - 1);
    }
    choice.width = sign * steps[static_cast<std::size_t>(choice.index)].width;
    return choice;
}
