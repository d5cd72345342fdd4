#include "core/data/ScreenPoints.h"

#include "core/data/OscData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// Interpolated values are raw samples: clamp into the signed 8-bit range, then drop the
// fraction toward zero.
std::int32_t ToSample(double value)
{
    if (value > 127.0) return 127;
    if (value < -128.0) return -128;
    return static_cast<std::int32_t>(value);
}

std::int64_t FloorMod(std::int64_t value, std::int64_t modulus)
{
    const std::int64_t rest = value % modulus;
    return rest < 0 ? rest + modulus : rest;
}

// Where each output point falls on the input, counted in 1/zoom of an input step.
//
// The read planner fetches the input from the step at floor(step * phase / zoom) on, so that
// step is the input's origin: point q lies at step * (phase + q) / zoom minus the origin. All
// forms measure from that same origin, so a sinc, a linear and a logic trace of one capture
// line up with each other and with the sample positions whatever the step.
struct Grid {
    std::int64_t step;
    std::int64_t zoom;
    std::int64_t phase;
    std::int64_t origin;  // origin step * zoom
    std::int64_t needed;  // input values (per series) the frame needs, margin included

    std::int64_t Ticks(std::int64_t q) const { return step * (phase + q) - origin; }
};

std::optional<Grid> MakeGrid(int count, int step, int zoom, int phase)
{
    if (count <= 0 || zoom < 2 || step < 1) return std::nullopt;
    Grid grid{};
    grid.step = step;
    grid.zoom = zoom;
    grid.phase = FloorMod(phase, zoom);
    grid.origin = grid.step * grid.phase / grid.zoom * grid.zoom;
    grid.needed = grid.step * (std::int64_t{count} + grid.zoom - 2) / grid.zoom + 2;
    return grid;
}

// One series (plain values, or the minima or maxima of pairs) of the work copy.
struct Series {
    const std::int32_t* first;
    std::size_t stride;
    std::int64_t size;

    std::int64_t operator[](std::int64_t index) const
    {
        return first[static_cast<std::size_t>(index) * stride];
    }
    // Beyond the copied input the last value holds: only a mapping that steps faster than it
    // zooms reaches there, and the model never builds one.
    std::int64_t Held(std::int64_t index) const { return (*this)[std::min(index, size - 1)]; }
};

// Copies the input once, then writes every output point of every series over the array.
template <class PointRule>
void Expand(std::span<std::int32_t> values, int count, int step, int zoom, int phase,
            std::size_t stride, PointRule rule)
{
    const std::optional<Grid> grid = MakeGrid(count, step, zoom, phase);
    if (!grid) return;
    const std::size_t slots = values.size() / stride;
    const std::int64_t available = std::min<std::int64_t>(grid->needed, static_cast<std::int64_t>(slots));
    if (available <= 0) return;

    // The output overwrites the input it is computed from.
    const std::vector<std::int32_t> work(values.begin(),
                                         values.begin() + static_cast<std::ptrdiff_t>(available * stride));
    const std::size_t outputs = std::min(static_cast<std::size_t>(count), slots);
    for (std::size_t series = 0; series < stride; ++series) {
        const Series input{work.data() + series, stride, available};
        for (std::size_t q = 0; q < outputs; ++q)
            values[q * stride + series] = rule(input, grid->Ticks(static_cast<std::int64_t>(q)), grid->zoom);
    }
}

std::int32_t SincPoint(const Series& input, std::int64_t ticks, std::int64_t zoom)
{
    // Exact when the point lies on a sample: ticks and zoom are whole numbers well below 2^53.
    const double x = static_cast<double>(ticks) / static_cast<double>(zoom);
    const std::int64_t whole = ticks / zoom;
    // Only the four samples within two steps of x carry weight; the rest of the kernel is 0.
    const std::int64_t first = std::max<std::int64_t>(0, whole - 1);
    const std::int64_t last = std::min(input.size - 1, whole + 2);
    double sum = 0.0;
    for (std::int64_t j = first; j <= last; ++j)
        sum += SincKernel(x - static_cast<double>(j)) * static_cast<double>(input[j]);
    return ToSample(sum);
}

std::int32_t LinearPoint(const Series& input, std::int64_t ticks, std::int64_t zoom)
{
    const std::int64_t k = ticks / zoom;
    const std::int64_t rest = ticks % zoom;
    const std::int64_t left = input.Held(k);
    const std::int64_t right = input.Held(k + 1);
    const double value = static_cast<double>(left) +
                         static_cast<double>(rest) * static_cast<double>(right - left) /
                             static_cast<double>(zoom);
    return ToSample(value);
}

}  // namespace

double SincKernel(double t)
{
    if (t == 0.0) return 1.0;
    const double magnitude = std::fabs(t);
    // sin(pi) is not 0 in floating point: a sample lying on a point must keep its value.
    if (magnitude >= 2.0 || magnitude == 1.0) return 0.0;
    const double angle = std::numbers::pi * t;
    return std::sin(angle) * std::sin(angle / 2.0) / (angle * angle / 2.0);
}

void SincInterpolate(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    Expand(values, count, step, zoom, phase, 1, SincPoint);
}

void SincInterpolate2(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    Expand(values, count, step, zoom, phase, 2, SincPoint);
}

void LinearInterpolate(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    Expand(values, count, step, zoom, phase, 1, LinearPoint);
}

void LinearInterpolate2(std::span<std::int32_t> values, int count, int step, int zoom, int phase)
{
    Expand(values, count, step, zoom, phase, 2, LinearPoint);
}

void InterpolateLogicPoints(std::span<std::uint8_t[8]> records, int count, int step, int zoom,
                            int phase)
{
    const std::optional<Grid> grid = MakeGrid(count, step, zoom, phase);
    if (!grid) return;
    const std::int64_t available =
        std::min<std::int64_t>(grid->needed, static_cast<std::int64_t>(records.size()));
    if (available <= 0) return;

    std::vector<std::array<std::uint8_t, 8>> work(static_cast<std::size_t>(available));
    for (std::size_t r = 0; r < work.size(); ++r) std::copy_n(records[r], 8, work[r].begin());
    // As for the samples, the last copied record holds beyond the copy.
    auto held = [&work, available](std::int64_t index) -> const std::array<std::uint8_t, 8>& {
        return work[static_cast<std::size_t>(std::min(index, available - 1))];
    };

    const std::size_t outputs = std::min(static_cast<std::size_t>(count), records.size());
    for (std::size_t q = 0; q < outputs; ++q) {
        const std::int64_t ticks = grid->Ticks(static_cast<std::int64_t>(q));
        const std::int64_t f = ticks / grid->zoom;
        const auto& a = held(f);
        if (ticks % grid->zoom == 0) {
            std::copy(a.begin(), a.end(), records[q]);
            continue;
        }
        const auto& b = held(f + 1);
        for (int line = 0; line < 8; ++line) {
            std::uint8_t value = 1;
            if (a[line] == 0 && b[line] == 0) value = 0;
            if (a[line] == 2 && b[line] == 2) value = 2;
            records[q][line] = value;
        }
    }
}

void RepackLogicSamples(int channel, OscData& data, int count, int firstPoint)
{
    if (channel != 0 && channel != 1) return;
    const std::uint16_t logicBit = channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B;
    if ((data.osc_cr & logicBit) == 0) return;
    const bool pairs = (data.osc_cr & OSC_CR_MIN_MAX) != 0;

    const std::int32_t* source = data.screen_points[channel];
    std::uint8_t (*records)[8] = data.logic_points[channel];
    // Every point needs its record and its value (or pair).
    const std::int64_t limit = pairs ? SCREEN_VALUES / 2 : SCREEN_VALUES;
    const std::int64_t begin = std::max<std::int64_t>(0, firstPoint);
    const std::int64_t end = std::min<std::int64_t>(limit, std::int64_t{firstPoint} + count);
    for (std::int64_t p = begin; p < end; ++p) {
        if (pairs) {
            const std::int32_t low = source[2 * p];
            const std::int32_t high = source[2 * p + 1];
            for (int line = 0; line < 8; ++line)
                records[p][line] = static_cast<std::uint8_t>(((low >> line) & 1) + ((high >> line) & 1));
        } else {
            const std::int32_t value = source[p];
            for (int line = 0; line < 8; ++line)
                records[p][line] = static_cast<std::uint8_t>(2 * ((value >> line) & 1));
        }
    }
}

void OscData::InterpolateScreen()
{
    if (x_zoom_in < 2) return;
    const int step = x_zoom_out_sw;
    const int zoom = x_zoom_in;
    const bool pairs = (osc_cr & OSC_CR_MIN_MAX) != 0;
    const bool linear = (mode & MODE_LINEAR) != 0;
    for (int channel = 0; channel < 2; ++channel) {
        const std::uint16_t logicBit = channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B;
        if ((osc_cr & logicBit) != 0) {
            // The logic view follows the current position rather than the one of the plan.
            const int phase = static_cast<int>(FloorMod(x_offset, zoom));
            InterpolateLogicPoints(logic_points[channel], SCREEN_POINTS, step, zoom, phase);
            continue;
        }
        const std::span<std::int32_t> values(screen_points[channel]);
        if (pairs) {
            if (linear)
                LinearInterpolate2(values, SCREEN_POINTS, step, zoom, interp_phase);
            else
                SincInterpolate2(values, SCREEN_POINTS, step, zoom, interp_phase);
        } else {
            if (linear)
                LinearInterpolate(values, SCREEN_POINTS, step, zoom, interp_phase);
            else
                SincInterpolate(values, SCREEN_POINTS, step, zoom, interp_phase);
        }
    }
}
