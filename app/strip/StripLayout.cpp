#include "app/strip/StripLayout.h"

#include <algorithm>
#include <climits>

namespace {

int ClampInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// Samples S(p) of a screen-point count that may lie beyond int.
std::int64_t PointsToSamples(const OscData& d, std::int64_t points)
{
    return d.PointsToSamples(ClampInt(points));
}

}  // namespace

StripQuantities GetStripQuantities(const OscData& d)
{
    StripQuantities q;
    q.memory = d.GetMemoryDepth();
    q.valid = std::max<std::int64_t>(d.last_num_catched_samples, 0);
    q.total = std::max(q.memory, q.valid);
    return q;
}

std::int64_t StripPixelToSample(std::int64_t offset, const StripQuantities& q, int width)
{
    if (width <= 0) return 0;
    return offset * q.total / width;
}

StripLayout ComputeStripLayout(const OscData& d, const CRect& strip)
{
    StripLayout out;
    out.trigger_on = d.GetTriggerSource() != 0;
    const StripQuantities q = GetStripQuantities(d);
    const std::int64_t W = strip.Width();
    const std::int64_t T = q.total;
    if (W <= 0 || T <= 0) return out;
    out.drawable = true;

    const auto at = [&](std::int64_t samples) { return ClampInt(strip.left + samples * W / T); };
    const std::int64_t half = q.memory / 2;
    std::int64_t left = 0;
    std::int64_t right = 0;
    out.filled_right = strip.left;
    if (out.trigger_on) {
        if ((d.osc_sr & OSC_SR_TROK) != 0)
            out.filled_right = (d.osc_sr & OSC_SR_CTCH) != 0 ? strip.right : at(q.valid);
        const std::int64_t extra = d.trigger_offset_extra;
        left = at(half - PointsToSamples(d, extra + SCREEN_POINTS / 2));
        right = at(half - PointsToSamples(d, extra - SCREEN_POINTS / 2));
        out.marker_x = at(half + d.trigger_offset_samples);
    } else {
        out.filled_right = at(q.valid);
        const std::int64_t x = d.x_offset;
        left = at(PointsToSamples(d, x));
        right = at(PointsToSamples(d, x + SCREEN_POINTS));
    }
    // A part too narrow to see is drawn three pixels wide.
    if (left == right) {
        left -= 1;
        right += 2;
    }
    // Kept inside the strip: the left margin holds the full-sweep check box.
    left = std::clamp<std::int64_t>(left, strip.left, strip.right);
    right = std::clamp<std::int64_t>(right, strip.left, strip.right);
    out.visible = CRect(static_cast<int>(left), strip.top, static_cast<int>(right), strip.bottom);
    return out;
}
